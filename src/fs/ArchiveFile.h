// A read-only source over the stored (uncompressed) entries of one zip archive. Only
// the local headers are walked, from the start of the archive, on every open; the
// central directory is never read and nothing is decompressed. Handles share the
// archive's FILE; each reading operation re-positions it when the handle changes, so
// several handles can be read alternately. A handle reads like a file of its entry's
// size: nothing past the entry's end is ever returned.
#pragma once

#include <map>
#include <string>

#include "fs/FileSystem.h"

namespace arvel {

class ArchiveFile : public FileSource {
public:
    // Entry names longer than this never match (and are stepped over).
    static constexpr int kMaxNameLength = 259;

    ArchiveFile() = default;
    ~ArchiveFile() override;
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    // False when path is not a readable zip file (no zip signature at its start, a
    // folder, or too big for 32-bit offsets).
    bool mount(const char* path) override;
    // The first stored entry whose name matches, '\' in name standing for '/'; case
    // matters. Modes other than read show a fatal box and then open for reading.
    FileHandle* open(const char* name, int mode) override;
    void close(FileHandle* handle) override;
    // EOF at the end of the entry.
    int readByte(FileHandle* handle) override;
    // Throws: archives are read-only.
    int writeByte(int character, FileHandle* handle) override;
    // Returns count; throws when fewer than count items remain in the entry (the
    // whole items that do remain are read first).
    int read(void* buffer, int size, int count, FileHandle* handle) override;
    int write(const void* buffer, int size, int count, FileHandle* handle) override;
    // 0, or -1 (position unchanged) for a target before the entry's start or an
    // unknown whence.
    int seek(FileHandle* handle, int offset, int whence) override;
    int tell(FileHandle* handle) override;
    // Up to and including the next 0 byte, or to the end of the entry; caller frees.
    char* readString(FileHandle* handle) override;
    int flush(FileHandle* handle) override;
    // The entry open() would serve, with its size and a fixed time: entries never
    // change. The entries are listed on the first call and looked up after that.
    bool stamp(const char* name, FileStamp& stamp) override;

    static constexpr int64_t kEntryTime = 0;

private:
    // Calls visit(nameLength, dataStart, size) for each stored entry in archive order,
    // the archive positioned at the entry's name, until visit returns true or the
    // entries end.
    template <typename Visit>
    void walkEntries(Visit visit);

    // Points the archive at the handle's position unless it is there already.
    bool position(FileHandle* handle);
    // Bytes left in the handle's entry from its position.
    static int32_t remaining(const FileHandle* handle);

    FILE* archive_ = nullptr;
    long archiveSize_ = 0;
    FileHandle* current_ = nullptr;
    bool indexed_ = false;
    std::map<std::string, int64_t, std::less<>> index_;  // entry name to size
};

}  // namespace arvel
