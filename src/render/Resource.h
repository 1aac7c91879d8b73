// Base of everything shared by file name through a ResourceRegistry: techniques,
// programs, textures and dynamic meshes.
#pragma once

#include <string>
#include <vector>

#include "fs/FileSystem.h"

namespace arvel {

// A file a resource was read from, stamped just before it was read.
struct LoadedFile {
    std::string name;
    FileStamp stamp;
};

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

    // The files the last load read (or tried to: a missing one is watched for too), for
    // noticing when they change; empty for a resource made in memory.
    const std::vector<LoadedFile>& loadedFiles() const { return mLoadedFiles; }

protected:
    // Stamps a file about to be read (before, so a write during the read is noticed).
    void noteLoadedFile(const std::string& fileName) {
        mLoadedFiles.push_back({fileName, fileSystem().stamp(fileName.c_str())});
    }
    void forgetLoadedFiles() { mLoadedFiles.clear(); }
    // A reload takes the files of the fresh copy it takes its contents from.
    void takeLoadedFiles(Resource& fresh) { mLoadedFiles.swap(fresh.mLoadedFiles); }

private:
    friend class ResourceRegistry;
    std::string mName;
    int mRefCount = 0;
    std::vector<LoadedFile> mLoadedFiles;
};

}  // namespace arvel
