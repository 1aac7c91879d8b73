#include "fs/CommonFile.h"

#include <sys/stat.h>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/Exception.h"
#include "fs/StdioFile.h"

namespace arvel {

namespace {

// Data names use "\" between folders; elsewhere than Windows that is "/".
void toPlatformSeparators(char* path) {
#ifndef _WIN32
    for (char* c = path; *c; ++c) {
        if (*c == '\\') *c = '/';
    }
#else
    (void)path;
#endif
}

const char* stdioMode(int mode) {
    switch (mode) {
        case kFileRead:
            return "rb";
        case kFileWrite:
            return "wb";
        case kFileReadWrite:
            return "r+b";
        default:
            return nullptr;
    }
}

}  // namespace

CommonFile::~CommonFile() { free(prefix_); }

bool CommonFile::mount(const char* path) {
    if (!path) path = "";
    char* copy = static_cast<char*>(malloc(strlen(path) + 1));
    if (!copy) return false;
    strcpy(copy, path);
    toPlatformSeparators(copy);
    free(prefix_);
    prefix_ = copy;
    return true;
}

bool CommonFile::fullName(const char* name, char (&path)[kNameBufferSize]) const {
    const int length = snprintf(path, sizeof path, "%s%s", prefix(), name);
    if (length < 0 || length >= kNameBufferSize) return false;
    toPlatformSeparators(path);
    return true;
}

FileHandle* CommonFile::open(const char* name, int mode) {
    const char* stdio = stdioMode(mode);
    if (!stdio || !name) return nullptr;
    char path[kNameBufferSize];
    if (!fullName(name, path)) return nullptr;
    FILE* file = fopen(path, stdio);
    if (!file) return nullptr;
    long size = isRegularFile(file) ? measureFile(file) : -1;
    if (size < 0) {
        fclose(file);
        return nullptr;
    }
    return new FileHandle(this, file, 0, static_cast<int32_t>(size));
}

void CommonFile::close(FileHandle* handle) {
    if (!handle) return;
    if (handle->file) fclose(handle->file);
    delete handle;
}

int CommonFile::readByte(FileHandle* handle) { return handle ? fgetc(handle->file) : EOF; }

int CommonFile::writeByte(int character, FileHandle* handle) {
    return handle ? fputc(character, handle->file) : EOF;
}

int CommonFile::read(void* buffer, int size, int count, FileHandle* handle) {
    size_t got = 0;
    bool usable = size >= 0 && count >= 0 && (size == 0 || count == 0 || (handle && buffer));
    if (usable && size > 0 && count > 0) {
        got = fread(buffer, static_cast<size_t>(size), static_cast<size_t>(count), handle->file);
    }
    if (!usable || (size > 0 && got < static_cast<size_t>(count))) {
        throw new Exception(90, "Utils\\CommonFile", "Error while reading file, %d != %d\n",
                            static_cast<int>(got), count);
    }
    return count;
}

int CommonFile::write(const void* buffer, int size, int count, FileHandle* handle) {
    size_t put = 0;
    bool usable = size >= 0 && count >= 0 && (size == 0 || count == 0 || (handle && buffer));
    if (usable && size > 0 && count > 0) {
        put = fwrite(buffer, static_cast<size_t>(size), static_cast<size_t>(count), handle->file);
    }
    if (!usable || (size > 0 && put < static_cast<size_t>(count))) {
        throw new Exception(85, "Utils\\CommonFile", "Error while writing file, %d != %d\n",
                            static_cast<int>(put), count);
    }
    return count;
}

int CommonFile::seek(FileHandle* handle, int offset, int whence) {
    return handle ? fseek(handle->file, offset, whence) : -1;
}

int CommonFile::tell(FileHandle* handle) {
    return handle ? static_cast<int>(ftell(handle->file)) : -1;
}

char* CommonFile::readString(FileHandle* handle) {
    return collectString([&] { return CommonFile::readByte(handle); });
}

int CommonFile::flush(FileHandle* handle) { return handle ? fflush(handle->file) : EOF; }

bool CommonFile::stamp(const char* name, FileStamp& stamp) {
    char path[kNameBufferSize];
    if (!name || !fullName(name, path)) return false;
    struct stat status;
    if (::stat(path, &status) != 0 || !S_ISREG(status.st_mode)) return false;
#ifdef _WIN32
    stamp.modified = static_cast<int64_t>(status.st_mtime) * 1000000000;
#else
    stamp.modified =
        static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
#endif
    stamp.size = static_cast<int64_t>(status.st_size);
    return true;
}

}  // namespace arvel
