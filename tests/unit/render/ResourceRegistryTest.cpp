#include <gtest/gtest.h>

#include <vector>

#include "render/Resource.h"
#include "render/ResourceRegistry.h"

namespace arvel {
namespace {

// Counts its own destruction so tests can see who deletes what.
class CountedResource : public Resource {
public:
    CountedResource(std::string name, int* deletions)
        : Resource(std::move(name)), deletions_(deletions) {}
    ~CountedResource() override { ++*deletions_; }

private:
    int* deletions_;
};

TEST(ResourceRegistry, FindIgnoresCaseAndReturnsTheFirstMatch) {
    int deletions = 0;
    ResourceRegistry registry;
    auto* first = new CountedResource("Wall.TGA", &deletions);
    auto* second = new CountedResource("wall.tga", &deletions);
    registry.add(first);
    registry.add(second);
    EXPECT_EQ(registry.find("WALL.tga"), first);
    EXPECT_EQ(registry.find("floor.tga"), nullptr);
    EXPECT_EQ(registry.size(), 2u);
}

TEST(ResourceRegistry, ReleaseNeverGoesBelowZeroAndDeletesNothing) {
    int deletions = 0;
    ResourceRegistry registry;
    auto* resource = new CountedResource("x", &deletions);
    registry.add(resource);
    registry.addRef(resource);
    registry.addRef(resource);
    EXPECT_EQ(resource->refCount(), 2);
    registry.release(resource);
    registry.release(resource);
    registry.release(resource);
    EXPECT_EQ(resource->refCount(), 0);
    EXPECT_EQ(deletions, 0);
    EXPECT_EQ(registry.find("x"), resource);
}

TEST(ResourceRegistry, NullResourcesAreIgnored) {
    ResourceRegistry registry;
    registry.add(nullptr);
    registry.addRef(nullptr);
    registry.release(nullptr);
    EXPECT_EQ(registry.size(), 0u);
}

TEST(ResourceRegistry, ClearDeletesEveryResourceAndEmptiesTheList) {
    int deletions = 0;
    ResourceRegistry registry;
    registry.add(new CountedResource("a", &deletions));
    registry.add(new CountedResource("b", &deletions));
    registry.clear();
    EXPECT_EQ(deletions, 2);
    EXPECT_EQ(registry.size(), 0u);
    EXPECT_EQ(registry.find("a"), nullptr);
}

TEST(ResourceRegistry, DestructionDeletesWhatIsStillListed) {
    int deletions = 0;
    {
        ResourceRegistry registry;
        registry.add(new CountedResource("a", &deletions));
    }
    EXPECT_EQ(deletions, 1);
}

// Gives back what it uses when it goes, as a pass does its programs.
class UsingResource : public Resource {
public:
    UsingResource(ResourceRegistry& registry, Resource*& used)
        : Resource("user"), registry_(registry), used_(used) {}
    ~UsingResource() override { registry_.release(used_); }

private:
    ResourceRegistry& registry_;
    Resource*& used_;
};

// A technique compiled again registers the programs it makes after itself.
TEST(ResourceRegistry, ListsInOrderCountsChangesAndClearsWhateverTheOrderOfUse) {
    int deletions = 0;
    Resource* used = nullptr;
    ResourceRegistry registry;
    const uint64_t initial = registry.changes();
    auto* user = new UsingResource(registry, used);
    registry.add(user);
    used = new CountedResource("program", &deletions);
    registry.add(used);
    registry.addRef(used);
    EXPECT_EQ(registry.changes(), initial + 2);

    std::vector<Resource*> listed = {nullptr, nullptr, nullptr};
    registry.list(listed);
    EXPECT_EQ(listed, (std::vector<Resource*>{user, used}));
    registry.find("program");
    EXPECT_EQ(registry.changes(), initial + 2) << "looking changes nothing";

    registry.clear();  // the used one goes first; the sanitizers see any late release
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(registry.changes(), initial + 3);
    registry.list(listed);
    EXPECT_TRUE(listed.empty());
}

}  // namespace
}  // namespace arvel
