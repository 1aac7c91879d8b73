#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "MshReader.h"
#include "shared/TempDir.h"

namespace arvel {
namespace {

using content::mshBytes;
using content::MshFile;
using content::MshReadError;
using content::parseMsh;
using testing::HasSubstr;

// Two bones, a two-frame animation, a textured material, three skinned positions and
// one triangle: every section holds something.
MshFile everySection() {
    MshFile file;
    file.bones = {content::MshBone::at(0, 0, 0), content::MshBone::at(0, 2, 0)};
    file.bones[0].children = {1};
    file.bones[1].boxMin = {-1, -2, -3};
    file.bones[1].boxMax = {1, 2, 3};
    content::MshBoneKeys keys;
    keys.positions = {{0, 0, 0}, {1, 2, 3}};
    keys.rotations = {{0.5f, {0, 1, 0}}, {-0.25f, {1, 0, 0}}};
    keys.scales = {{1, 1, 1}, {2, 2, 2}};
    file.animations.push_back({2, {keys, keys}});
    file.materials.push_back({3, 128, "dynamic_default.rt", {"a.tga", "b.tga"}});
    file.positions = {
        {{0, 0, 0}, {{0, 1.0f}}}, {{1, 0, 0}, {{0, 0.5f}, {1, 0.5f}}}, {{0, 1, 0}, {}}};
    file.vertices = {{0, 0, 0, {0, 0, 1}, {1, 0, 0}},
                     {1, 1, 0, {0, 0, 1}, {1, 0, 0}},
                     {2, 0, 1, {0, 0, 1}, {1, 0, 0}}};
    file.triangles = {{{0, 1, 2}, 0}};
    return file;
}

std::string errorOf(const std::string& bytes) {
    try {
        parseMsh(bytes);
    } catch (const MshReadError& error) {
        return error.what();
    }
    return "";
}

TEST(MshReaderTest, ReadsBackEverySectionTheWriterWrote) {
    const MshFile file = everySection();
    const MshFile read = parseMsh(mshBytes(file));
    ASSERT_EQ(read.bones.size(), 2u);
    EXPECT_EQ(read.bones[0].children, std::vector<int32_t>{1});
    EXPECT_EQ(read.bones[1].bindRows, file.bones[1].bindRows);
    EXPECT_EQ(read.bones[1].boxMax, file.bones[1].boxMax);
    ASSERT_EQ(read.animations.size(), 1u);
    EXPECT_EQ(read.animations[0].frameCount, 2);
    EXPECT_EQ(read.animations[0].bones[1].rotations[1].angle, -0.25f);
    EXPECT_EQ(read.animations[0].bones[1].scales[1], (std::array<float, 3>{2, 2, 2}));
    EXPECT_EQ(read.materials[0].technique, "dynamic_default.rt");
    EXPECT_EQ(read.materials[0].textures, (std::vector<std::string>{"a.tga", "b.tga"}));
    EXPECT_EQ(read.materials[0].flags, 3);
    EXPECT_EQ(read.materials[0].opacity, 128);
    ASSERT_EQ(read.positions.size(), 3u);
    EXPECT_EQ(read.positions[1].influences[1].bone, 1);
    EXPECT_EQ(read.positions[1].influences[1].weight, 0.5f);
    EXPECT_TRUE(read.positions[2].influences.empty());
    EXPECT_EQ(read.vertices[1].u, 1.0f);
    EXPECT_EQ(read.triangles[0].vertices, (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_EQ(mshBytes(read), mshBytes(file));
}

TEST(MshReaderTest, EveryTruncationIsAnErrorNamingTheOffset) {
    const std::string bytes = mshBytes(everySection());
    for (size_t length = 0; length < bytes.size(); ++length) {
        const std::string message = errorOf(bytes.substr(0, length));
        ASSERT_THAT(message, HasSubstr("at byte")) << length;
    }
}

TEST(MshReaderTest, BytesAfterTheTrianglesAreAnError) {
    EXPECT_THAT(errorOf(mshBytes(everySection()) + "x"), HasSubstr("bytes left after"));
}

TEST(MshReaderTest, IndicesOutsideTheirListsAreErrors) {
    MshFile file = everySection();
    file.bones[0].children = {2};
    EXPECT_THAT(errorOf(mshBytes(file)), HasSubstr("child bone index 2 outside 0..1"));
    file = everySection();
    file.positions[0].influences[0].bone = -1;
    EXPECT_THAT(errorOf(mshBytes(file)), HasSubstr("influence bone index -1"));
    file = everySection();
    file.vertices[2].position = 3;
    EXPECT_THAT(errorOf(mshBytes(file)), HasSubstr("vertex position index 3"));
    file = everySection();
    file.triangles[0].vertices[1] = 7;
    EXPECT_THAT(errorOf(mshBytes(file)), HasSubstr("triangle vertex index 7"));
    file = everySection();
    file.triangles[0].material = 1;
    EXPECT_THAT(errorOf(mshBytes(file)), HasSubstr("triangle material index 1 outside 0..0"));
}

TEST(MshReaderTest, NegativeAndOversizedCountsAreErrorsNotAllocations) {
    EXPECT_THAT(errorOf(std::string("\xff\xff\xff\xff", 4)), HasSubstr("negative bone count"));
    EXPECT_THAT(errorOf(std::string("\xff\xff\xff\x7f", 4) + std::string(100, '\0')),
                HasSubstr("bone count 2147483647 exceeds the file"));
    MshFile file;
    file.bones.resize(1);
    content::MshBoneKeys keys;
    keys.positions.resize(1);
    keys.rotations.resize(1);
    keys.scales.resize(1);
    file.animations.push_back({1, {keys}});
    std::string bytes = mshBytes(file);
    // Bone count, one 76-byte bone, the animation count, then the frame count.
    bytes.replace(84, 4, std::string("\x00\x00\x00\x10", 4));
    EXPECT_THAT(errorOf(bytes), HasSubstr("frame count 268435456 exceeds the file"));
}

TEST(MshReaderTest, AnimationsWithoutBonesHoldNoKeys) {
    MshFile file;
    file.animations.push_back({5, {}});
    const MshFile read = parseMsh(mshBytes(file));
    ASSERT_EQ(read.animations.size(), 1u);
    EXPECT_EQ(read.animations[0].frameCount, 5);
}

TEST(MshReaderTest, MissingFileIsAnErrorNamingIt) {
    test::TempDir folder;
    try {
        content::loadMsh(folder.path() / "absent.msh");
        FAIL() << "no error";
    } catch (const MshReadError& error) {
        EXPECT_THAT(error.what(), HasSubstr("absent.msh"));
    }
}

TEST(MshReaderTest, FileErrorsNameTheFile) {
    test::TempDir folder;
    const auto path = folder.write("short.msh", std::string(3, '\0'));
    try {
        content::loadMsh(path);
        FAIL() << "no error";
    } catch (const MshReadError& error) {
        EXPECT_THAT(error.what(), HasSubstr("short.msh: file ends inside bone count at byte 0"));
    }
}

}  // namespace
}  // namespace arvel
