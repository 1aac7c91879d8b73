// Base of everything shared by file name through a ResourceRegistry: techniques,
// programs, textures and dynamic meshes.
#pragma once

#include <string>

namespace arvel {

class Resource {
public:
    explicit Resource(std::string name = {}) : mName(std::move(name)) {}
    virtual ~Resource() = default;

    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    const std::string& name() const { return mName; }
    void setName(std::string name) { mName = std::move(name); }
    void appendName(const std::string& text) { mName += text; }

    // Changed only through a ResourceRegistry, under its lock.
    int refCount() const { return mRefCount; }

private:
    friend class ResourceRegistry;
    std::string mName;
    int mRefCount = 0;
};

}  // namespace arvel
