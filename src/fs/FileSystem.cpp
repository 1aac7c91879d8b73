#include "fs/FileSystem.h"

#include "core/Exception.h"
#include "core/Semaphore.h"

namespace arvel {

FileHandle::FileHandle(FileSource* owner, FILE* file, int32_t start, int32_t size)
    : file(file), semaphore(createSemaphore(1, 1)), start(start), size(size), owner(owner) {}

FileHandle::~FileHandle() {
    destroySemaphore(semaphore);
    // Volatile stores: the compiler may otherwise drop writes to a dying object.
    *static_cast<FILE* volatile*>(&file) = nullptr;
    *static_cast<Semaphore* volatile*>(&semaphore) = nullptr;
    *static_cast<volatile int32_t*>(&start) = kPoison;
    *static_cast<volatile int32_t*>(&position) = kPoison;
    *static_cast<volatile int32_t*>(&size) = kPoison;
    *static_cast<FileSource* volatile*>(&owner) = nullptr;
}

void FileSource::lock(FileHandle* handle) {
    if (handle) waitSemaphore(handle->semaphore);
}

void FileSource::unlock(FileHandle* handle) {
    if (handle) releaseSemaphore(handle->semaphore);
}

bool FileSource::stamp(const char* name, FileStamp& stamp) {
    FileHandle* handle = open(name, kFileRead);
    if (!handle) return false;
    stamp.modified = 0;
    stamp.size = handle->size;
    close(handle);
    return true;
}

bool FileSystem::mount(FileSource* source, const char* path) {
    if (!source || !source->mount(path)) return false;
    sources_.push_back(source);
    return true;
}

FileHandle* FileSystem::open(const char* name, int mode) {
    if (!name) return nullptr;
    for (FileSource* source : sources_) {
        if (FileHandle* handle = source->open(name, mode)) return handle;
    }
    return nullptr;
}

FileStamp FileSystem::stamp(const char* name) {
    FileStamp found;
    if (!name) return found;
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i]->stamp(name, found)) {
            found.source = static_cast<int>(i);
            return found;
        }
    }
    return FileStamp();
}

void FileSystem::clear() {
    for (FileSource* source : sources_) delete source;
    sources_.clear();
}

FileSystem& fileSystem() {
    static FileSystem instance;
    return instance;
}

void fileClose(FileHandle* handle) {
    if (handle && handle->owner) handle->owner->close(handle);
}

int fileRead(void* buffer, int size, int count, FileHandle* handle) {
    if (!handle || !handle->owner) {
        throw new Exception(__LINE__, "Utils\\FileSystem", "Read from a file that is not open\n");
    }
    return handle->owner->read(buffer, size, count, handle);
}

int fileSeek(FileHandle* handle, int offset, int whence) {
    if (!handle || !handle->owner) return -1;
    return handle->owner->seek(handle, offset, whence);
}

int fileTell(FileHandle* handle) {
    if (!handle || !handle->owner) return -1;
    return handle->owner->tell(handle);
}

}  // namespace arvel
