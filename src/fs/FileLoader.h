// The one way data files are read: the whole file pulled into memory through the file
// system, then handed to the loader's parse. Loaders never parse from an open file.
#pragma once

namespace arvel {

class FileLoader {
public:
    virtual ~FileLoader() = default;

    // Reads the named file whole and calls parse with it. A name no source has is not
    // an error: parse is not called and false comes back. A short read throws the
    // file source's Exception; the handle is closed either way.
    bool load(const char* name);

protected:
    // bytes is a malloc'd block of size bytes, which parse owns from the call on: it
    // must free it exactly once, also when it throws (FileBytes does that).
    virtual void parse(const void* bytes, int size) = 0;
};

// Frees a block handed to parse when the scope ends, however it ends.
class FileBytes {
public:
    explicit FileBytes(const void* bytes) : bytes_(bytes) {}
    ~FileBytes();
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;

private:
    const void* bytes_;
};

}  // namespace arvel
