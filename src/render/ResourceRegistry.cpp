#include "render/ResourceRegistry.h"

#include <strings.h>

#include "core/Semaphore.h"
#include "render/Resource.h"

namespace arvel {

namespace {

// Holds the registry lock for one scope; a registry whose lock could not be made
// (already reported when it was created) runs unguarded rather than crash.
class Guard {
public:
    explicit Guard(Semaphore* lock) : mLock(lock) {
        if (mLock) waitSemaphore(mLock);
    }
    ~Guard() {
        if (mLock) releaseSemaphore(mLock);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    Semaphore* mLock;
};

}  // namespace

ResourceRegistry::ResourceRegistry() : mLock(createSemaphore(1, 1)) {}

ResourceRegistry::~ResourceRegistry() {
    clear();
    destroySemaphore(mLock);
}

Resource* ResourceRegistry::find(const std::string& name) const {
    Guard guard(mLock);
    for (Resource* resource : mResources) {
        if (strcasecmp(resource->name().c_str(), name.c_str()) == 0) return resource;
    }
    return nullptr;
}

void ResourceRegistry::add(Resource* resource) {
    if (!resource) return;
    Guard guard(mLock);
    mResources.push_back(resource);
    ++mChanges;
}

void ResourceRegistry::addRef(Resource* resource) {
    if (!resource) return;
    Guard guard(mLock);
    ++resource->mRefCount;
}

void ResourceRegistry::release(Resource* resource) {
    // While clear() deletes, what a dying resource gives back may be gone already.
    if (!resource || mClearing) return;
    Guard guard(mLock);
    if (resource->mRefCount > 0) --resource->mRefCount;
}

void ResourceRegistry::clear() {
    std::vector<Resource*> resources;
    {
        Guard guard(mLock);
        resources.swap(mResources);
        ++mChanges;
    }
    // Newest first, as a technique is usually registered after the programs it
    // compiled; one compiled again registers new programs after itself, so releases
    // are ignored meanwhile.
    mClearing = true;
    for (auto it = resources.rbegin(); it != resources.rend(); ++it) delete *it;
    mClearing = false;
}

std::size_t ResourceRegistry::size() const {
    Guard guard(mLock);
    return mResources.size();
}

void ResourceRegistry::list(std::vector<Resource*>& out) const {
    Guard guard(mLock);
    out.assign(mResources.begin(), mResources.end());
}

uint64_t ResourceRegistry::changes() const {
    Guard guard(mLock);
    return mChanges;
}

}  // namespace arvel
