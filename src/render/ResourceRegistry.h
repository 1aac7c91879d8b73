// Owns resources shared by name for the rest of the run. Reference counts are kept
// for bookkeeping only: nothing is deleted before clear().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace arvel {

class Resource;
struct Semaphore;

class ResourceRegistry {
public:
    ResourceRegistry();
    ~ResourceRegistry();  // clear(), then the lock is freed

    ResourceRegistry(const ResourceRegistry&) = delete;
    ResourceRegistry& operator=(const ResourceRegistry&) = delete;

    // The first resource whose name equals `name` ignoring case, or null.
    Resource* find(const std::string& name) const;
    void add(Resource* resource);  // takes ownership
    void addRef(Resource* resource);
    void release(Resource* resource);  // never below 0; does not delete
    // Deletes every listed resource. Not guarded: called when nobody else uses it.
    void clear();

    std::size_t size() const;
    // Replaces out's contents with the resources in the order added, taken under the
    // lock (out's storage is reused).
    void list(std::vector<Resource*>& out) const;
    // Counts every add and clear: while it stays the same, so does the list.
    uint64_t changes() const;

private:
    Semaphore* mLock;
    std::vector<Resource*> mResources;
    uint64_t mChanges = 0;
    bool mClearing = false;
};

}  // namespace arvel
