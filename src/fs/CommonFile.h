// A directory source: names are opened below a prefix ("" for the working directory,
// "textures\\" and the like), with the standard library's buffered files.
#pragma once

#include "fs/FileSystem.h"

namespace arvel {

class CommonFile : public FileSource {
public:
    CommonFile() = default;
    ~CommonFile() override;
    CommonFile(const CommonFile&) = delete;
    CommonFile& operator=(const CommonFile&) = delete;

    bool mount(const char* path) override;
    // Modes 1 "rb", 2 "wb", 3 "r+b"; anything else, a missing file or a folder: null.
    FileHandle* open(const char* name, int mode) override;
    void close(FileHandle* handle) override;
    int readByte(FileHandle* handle) override;
    int writeByte(int character, FileHandle* handle) override;
    // Throws an Exception when fewer than count items arrive.
    int read(void* buffer, int size, int count, FileHandle* handle) override;
    int write(const void* buffer, int size, int count, FileHandle* handle) override;
    int seek(FileHandle* handle, int offset, int whence) override;
    int tell(FileHandle* handle) override;
    // Up to and including the next 0 byte, or to the end of the file; caller frees.
    char* readString(FileHandle* handle) override;
    int flush(FileHandle* handle) override;
    // One stat of prefix + name; folders are not files here either.
    bool stamp(const char* name, FileStamp& stamp) override;

    const char* prefix() const { return prefix_ ? prefix_ : ""; }

    static constexpr int kNameBufferSize = 65536;

private:
    // prefix + name with the platform's separators; false when it does not fit.
    bool fullName(const char* name, char (&path)[kNameBufferSize]) const;

    char* prefix_ = nullptr;  // malloc'd, separators in the platform's form
};

}  // namespace arvel
