// Every data file is opened by a bare relative name through one ordered list of
// mounted sources (directory prefixes and zip archives); the first that has it wins.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace arvel {

struct Semaphore;
class FileSource;

enum FileMode { kFileRead = 1, kFileWrite = 2, kFileReadWrite = 3 };

// Where a name is found and what its file looked like then: the index of the source in
// the search list (-1 when none has it), modification time in nanoseconds and size in
// bytes. Any difference means the file has to be read again.
struct FileStamp {
    int source = -1;
    int64_t modified = 0;
    int64_t size = -1;

    bool operator==(const FileStamp&) const = default;
};

class FileHandle {
public:
    static constexpr int32_t kPoison = static_cast<int32_t>(0xFEEDFACEu);

    FileHandle(FileSource* owner, FILE* file, int32_t start, int32_t size);
    // Poisons the fields (0xFEEDFACE, null) so a stale handle is recognisable.
    virtual ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    FILE* file = nullptr;
    Semaphore* semaphore = nullptr;
    int32_t start = 0;     // offset of the data in file
    int32_t position = 0;  // relative to start (archive handles)
    int32_t size = 0;
    FileSource* owner = nullptr;
};

class FileSource {
public:
    virtual ~FileSource() = default;
    virtual bool mount(const char* path) = 0;
    virtual FileHandle* open(const char* name, int mode) = 0;
    virtual void close(FileHandle* handle) = 0;
    virtual int readByte(FileHandle* handle) = 0;
    virtual int writeByte(int character, FileHandle* handle) = 0;
    virtual int read(void* buffer, int size, int count, FileHandle* handle) = 0;
    virtual int write(const void* buffer, int size, int count, FileHandle* handle) = 0;
    virtual int seek(FileHandle* handle, int offset, int whence) = 0;
    virtual int tell(FileHandle* handle) = 0;
    virtual char* readString(FileHandle* handle) = 0;  // caller frees
    virtual int flush(FileHandle* handle) = 0;
    // Fills stamp's time and size when this source has the name; false when it has
    // not. The default opens and closes the file and reports a time of 0.
    virtual bool stamp(const char* name, FileStamp& stamp);
    // Wait on and release the handle's semaphore, for callers sharing a handle.
    virtual void lock(FileHandle* handle);
    virtual void unlock(FileHandle* handle);
};

class FileSystem {
public:
    FileSystem() = default;
    ~FileSystem() { clear(); }
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // On success the source joins the end of the list (and is owned by it).
    bool mount(FileSource* source, const char* path);
    FileHandle* open(const char* name, int mode);
    // The stamp of the file open() would read for the name: one look per source up to
    // the one that has it.
    FileStamp stamp(const char* name);
    void clear();
    const std::vector<FileSource*>& sources() const { return sources_; }

private:
    std::vector<FileSource*> sources_;
};

FileSystem& fileSystem();

// Handle operations, forwarded to the handle's owner. A null handle is closed as a
// no-op, reads from it throw, seek and tell give -1.
void fileClose(FileHandle* handle);
int fileRead(void* buffer, int size, int count, FileHandle* handle);
int fileSeek(FileHandle* handle, int offset, int whence);
int fileTell(FileHandle* handle);

}  // namespace arvel
