#include "fs/FileLoader.h"

#include <cstdlib>
#include <cstring>

#include "core/Exception.h"
#include "fs/FileSystem.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Utils\\FileLoader";

// Closes the handle when the read throws as well as when it succeeds.
struct OpenFile {
    explicit OpenFile(FileHandle* handle) : handle(handle) {}
    ~OpenFile() { fileClose(handle); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    FileHandle* handle;
};

// The whole file as a malloc'd block; its size in size.
void* readWhole(FileHandle* handle, const char* name, int* size) {
    fileSeek(handle, 0, SEEK_END);
    int length = fileTell(handle);
    fileSeek(handle, 0, SEEK_SET);
    if (length < 0) throw new Exception(__LINE__, kSource, "Can't measure file %s\n", name);
    // malloc(0) may give null; one spare byte keeps an empty file a real block.
    void* block = malloc(static_cast<size_t>(length) + 1);
    if (!block) {
        throw new Exception(__LINE__, kSource, "Out of memory for file %s (%d bytes)\n", name,
                            length);
    }
    memset(block, 0xFF, static_cast<size_t>(length) + 1);
    try {
        fileRead(block, 1, length, handle);
    } catch (...) {
        free(block);
        throw;
    }
    *size = length;
    return block;
}

}  // namespace

bool FileLoader::load(const char* name) {
    FileHandle* handle = fileSystem().open(name, kFileRead);
    if (!handle) return false;
    int size = 0;
    void* block;
    {
        OpenFile file(handle);
        block = readWhole(handle, name, &size);
    }
    parse(block, size);
    return true;
}

FileBytes::~FileBytes() { free(const_cast<void*>(bytes_)); }

}  // namespace arvel
