#include "fs/ArchiveFile.h"

#include <sys/stat.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/StdioFile.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Utils\\ArchiveFile";

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kEndOfDirectorySignature = 0x06054B50;  // the whole of an empty zip
constexpr int kLocalHeaderSize = 30;
constexpr uint16_t kStoredVersion = 10;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagOption2 = 0x0004;
// Sizes follow the data in a descriptor; the header's sizes cannot be trusted.
constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kMethodStored = 0;

uint16_t get16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

uint32_t get32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// The fields of a local file header that the scan needs.
struct LocalHeader {
    uint32_t signature;
    uint16_t version;
    uint16_t flags;
    uint16_t method;
    uint32_t compressedSize;
    uint32_t uncompressedSize;
    uint16_t nameLength;
    uint16_t extraLength;

    explicit LocalHeader(const uint8_t* bytes)
        : signature(get32(bytes)),
          version(get16(bytes + 4)),
          flags(get16(bytes + 6)),
          method(get16(bytes + 8)),
          compressedSize(get32(bytes + 18)),
          uncompressedSize(get32(bytes + 22)),
          nameLength(get16(bytes + 26)),
          extraLength(get16(bytes + 28)) {}

    // Only these are served: the bytes in the archive are the file's bytes.
    bool stored() const {
        return version == kStoredVersion && !(flags & (kFlagEncrypted | kFlagOption2)) &&
               method == kMethodStored && compressedSize == uncompressedSize;
    }
};

bool readExact(FILE* file, void* buffer, size_t length) {
    return fread(buffer, 1, length, file) == length;
}

bool seekTo(FILE* file, int64_t offset) {
    return offset >= 0 && offset <= LONG_MAX &&
           fseek(file, static_cast<long>(offset), SEEK_SET) == 0;
}

// Requested names separate folders with '\', entry names with '/'. A folder entry
// (name ending in '/') is not a file and matches nothing.
bool namesMatch(const char* requested, size_t requestedLength, const char* entry,
                size_t entryLength) {
    if (requestedLength != entryLength || entryLength == 0 || entry[entryLength - 1] == '/')
        return false;
    for (size_t i = 0; i < entryLength; ++i) {
        char c = requested[i] == '\\' ? '/' : requested[i];
        if (c != entry[i]) return false;
    }
    return true;
}

[[noreturn]] void throwShortRead(int count) {
    throw new Exception(141, kSource, "Error while reading file, couldn't read %d", count);
}

}  // namespace

ArchiveFile::~ArchiveFile() {
    if (archive_) fclose(archive_);
    archive_ = nullptr;
    current_ = nullptr;
}

bool ArchiveFile::mount(const char* path) {
    if (!path) return false;
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    long size = isRegularFile(file) ? measureFile(file) : -1;
    uint8_t signature[4];
    bool zip =
        size >= 4 && size <= INT32_MAX && readExact(file, signature, sizeof signature) &&
        (get32(signature) == kLocalHeaderSignature || get32(signature) == kEndOfDirectorySignature);
    if (!zip) {
        fclose(file);
        return false;
    }
    if (archive_) fclose(archive_);
    archive_ = file;
    archiveSize_ = size;
    current_ = nullptr;
    indexed_ = false;
    index_.clear();
    return true;
}

template <typename Visit>
void ArchiveFile::walkEntries(Visit visit) {
    // The walk moves the archive's file position under every handle.
    current_ = nullptr;
    int64_t offset = 0;
    for (;;) {
        uint8_t fixed[kLocalHeaderSize];
        if (!seekTo(archive_, offset) || !readExact(archive_, fixed, sizeof fixed)) return;
        LocalHeader header(fixed);
        // A central directory (or anything else) ends the entries.
        if (header.signature != kLocalHeaderSignature) return;
        // Without trustworthy sizes the next header cannot be found.
        if (header.flags & kFlagDataDescriptor) return;
        const int64_t dataStart =
            offset + kLocalHeaderSize + header.nameLength + header.extraLength;
        const int64_t dataEnd = dataStart + header.compressedSize;
        if (dataEnd > archiveSize_) return;  // truncated archive
        // Only stored entries with names that fit are ever served; the visitor finds
        // the archive at the entry's name.
        if (header.stored() && header.nameLength <= kMaxNameLength &&
            visit(header.nameLength, dataStart, header.compressedSize)) {
            return;
        }
        offset = dataEnd;
    }
}

FileHandle* ArchiveFile::open(const char* name, int mode) {
    if (!archive_ || !name) return nullptr;
    if (mode != kFileRead) {
        SetErrorLocation(57, kSource);
        FatalError("ERROR: Can't open a .ZIP file for anything but read");
    }
    const size_t requestedLength = strlen(name);
    FileHandle* found = nullptr;
    walkEntries([&](uint16_t nameLength, int64_t dataStart, uint32_t size) {
        if (nameLength != requestedLength) return false;
        char entryName[kMaxNameLength + 1];
        if (!readExact(archive_, entryName, nameLength)) return true;
        entryName[nameLength] = 0;
        if (!namesMatch(name, requestedLength, entryName, nameLength)) return false;
        auto* handle = new FileHandle(this, archive_, static_cast<int32_t>(dataStart),
                                      static_cast<int32_t>(size));
        if (position(handle))
            found = handle;
        else
            delete handle;
        return true;
    });
    return found;
}

bool ArchiveFile::stamp(const char* name, FileStamp& stamp) {
    if (!archive_ || !name) return false;
    if (!indexed_) {
        indexed_ = true;
        walkEntries([&](uint16_t nameLength, int64_t, uint32_t size) {
            std::string entry(nameLength, '\0');
            if (!readExact(archive_, entry.data(), nameLength)) return true;
            // A folder is no file; a later entry of the same name is never opened.
            if (!entry.empty() && entry.back() != '/' && !index_.count(entry))
                index_.emplace(std::move(entry), size);
            return false;
        });
    }
    // Requests separate folders with '\', entries with '/'.
    char entry[kMaxNameLength + 1];
    size_t length = 0;
    for (; name[length]; ++length) {
        if (length == kMaxNameLength) return false;
        entry[length] = name[length] == '\\' ? '/' : name[length];
    }
    const auto it = index_.find(std::string_view(entry, length));
    if (it == index_.end()) return false;
    stamp.modified = kEntryTime;
    stamp.size = it->second;
    return true;
}

void ArchiveFile::close(FileHandle* handle) {
    if (!handle) return;
    if (handle == current_) current_ = nullptr;
    delete handle;
}

int32_t ArchiveFile::remaining(const FileHandle* handle) {
    if (handle->position < 0 || handle->position >= handle->size) return 0;
    return handle->size - handle->position;
}

bool ArchiveFile::position(FileHandle* handle) {
    if (handle == current_) return true;
    if (handle->position < 0 || handle->position > handle->size ||
        !seekTo(archive_, static_cast<int64_t>(handle->start) + handle->position)) {
        current_ = nullptr;
        return false;
    }
    current_ = handle;
    return true;
}

int ArchiveFile::readByte(FileHandle* handle) {
    if (!handle || remaining(handle) == 0 || !position(handle)) return EOF;
    int c = fgetc(archive_);
    if (c == EOF) {
        current_ = nullptr;
        return EOF;
    }
    ++handle->position;
    return c;
}

int ArchiveFile::writeByte(int, FileHandle*) {
    throw new Exception(126, kSource, "Can't write to an archive file");
}

int ArchiveFile::read(void* buffer, int size, int count, FileHandle* handle) {
    if (!handle || size < 0 || count < 0) throwShortRead(count);
    if (size == 0 || count == 0) return count;
    if (!buffer) throwShortRead(count);
    // Whole items only, and never past the entry's end.
    const int64_t items = std::min<int64_t>(count, remaining(handle) / size);
    const size_t bytes = static_cast<size_t>(items * size);
    size_t got = 0;
    if (bytes > 0 && position(handle)) {
        got = fread(buffer, 1, bytes, archive_);
        handle->position += static_cast<int32_t>(got);
        if (got < bytes) current_ = nullptr;
    }
    if (items < count || got < bytes) throwShortRead(count);
    return count;
}

int ArchiveFile::write(const void*, int, int, FileHandle*) {
    throw new Exception(131, kSource, "Can't write to an archive file");
}

int ArchiveFile::seek(FileHandle* handle, int offset, int whence) {
    if (!handle) return -1;
    int64_t target;
    switch (whence) {
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = static_cast<int64_t>(handle->position) + offset;
            break;
        case SEEK_END:
            target = static_cast<int64_t>(handle->size) + offset;
            break;
        default:
            return -1;
    }
    if (target < 0 || target > INT32_MAX) return -1;
    handle->position = static_cast<int32_t>(target);
    // Past the end nothing is read, so the archive need not follow.
    if (handle == current_) current_ = nullptr;
    position(handle);
    return 0;
}

int ArchiveFile::tell(FileHandle* handle) { return handle ? handle->position : -1; }

char* ArchiveFile::readString(FileHandle* handle) {
    return collectString([&] { return ArchiveFile::readByte(handle); });
}

// Nothing is ever written to an archive.
int ArchiveFile::flush(FileHandle*) { return 0; }

}  // namespace arvel
