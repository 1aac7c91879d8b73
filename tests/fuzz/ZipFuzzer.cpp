// Zip archives through ArchiveFile: the input is mounted as an archive, the entries
// named in its local headers are opened and read every way a loader reads, and what
// comes back must be exactly the entry's bytes in the input.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "core/Exception.h"
#include "fs/ArchiveFile.h"
#include "fs/FileLoader.h"

using namespace arvel;

namespace {

uint32_t le(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return value;
}

// Names of the first local headers, found by stepping over each header's sizes, with
// '/' turned into the '\' that requested names use; plus names no entry should have.
std::vector<std::string> candidateNames(const uint8_t* data, size_t size) {
    std::vector<std::string> names = {"autoexec.cfg", "textures\\white.tga", ""};
    uint64_t offset = 0;
    for (int i = 0; i < 8 && offset + 30 <= size; ++i) {
        const uint8_t* header = data + offset;
        const uint32_t stored = le(header + 18, 4);
        const uint32_t nameLength = le(header + 26, 2);
        const uint32_t extraLength = le(header + 28, 2);
        std::string name(reinterpret_cast<const char*>(header + 30),
                         std::min<uint64_t>(nameLength, size - offset - 30));
        for (char& c : name)
            if (c == '/') c = '\\';
        names.push_back(name.c_str());  // up to a 0 byte, as a C name would be
        offset += 30ull + nameLength + extraLength + stored;
    }
    return names;
}

// Whatever exceptions reading throws are the archive's documented answers.
template <typename F>
bool survives(F&& body) {
    try {
        body();
        return true;
    } catch (Exception* e) {
        delete e;
        return false;
    }
}

// The entry through every reading operation, checked against the input's bytes.
void readEntry(ArchiveFile& archive, FileHandle* handle, const uint8_t* data, size_t size) {
    FUZZ_CHECK(handle->size >= 0 && handle->start >= 0);
    FUZZ_CHECK(static_cast<uint64_t>(handle->start) + static_cast<uint64_t>(handle->size) <= size);
    const uint8_t* entry = data + handle->start;

    // As a loader does: measure, rewind, read all.
    FUZZ_CHECK(archive.seek(handle, 0, SEEK_END) == 0);
    const int length = archive.tell(handle);
    FUZZ_CHECK(length == handle->size);
    FUZZ_CHECK(archive.seek(handle, 0, SEEK_SET) == 0);
    std::vector<uint8_t> whole(static_cast<size_t>(length) + 1);
    FUZZ_CHECK(survives([&] { archive.read(whole.data(), 1, length, handle); }));
    FUZZ_CHECK(std::memcmp(whole.data(), entry, static_cast<size_t>(length)) == 0);
    // Nothing past the end.
    FUZZ_CHECK(!survives([&] { archive.read(whole.data(), 1, 1, handle); }));
    FUZZ_CHECK(archive.readByte(handle) == EOF);

    // Byte by byte from a point inside.
    const int from = length > 0 ? static_cast<int>(entry[0]) % (length + 1) : 0;
    FUZZ_CHECK(archive.seek(handle, from, SEEK_SET) == 0);
    for (int i = from; i < length && i < from + 64; ++i)
        FUZZ_CHECK(archive.readByte(handle) == entry[i]);

    // Strings up to each 0 byte.
    FUZZ_CHECK(archive.seek(handle, 0, SEEK_SET) == 0);
    for (int start = 0, strings = 0; start < length && strings < 8; ++strings) {
        char* text = archive.readString(handle);
        FUZZ_CHECK(text != nullptr);
        const size_t got = std::strlen(text);
        FUZZ_CHECK(std::memcmp(text, entry + start, got) == 0);
        free(text);
        start += static_cast<int>(got) + 1;
        FUZZ_CHECK(archive.tell(handle) == std::min(start, length));
    }

    // Odd seeks never move before the start, and reads after them stay in the entry.
    const int offsets[] = {-1, length + 1, INT32_MIN, INT32_MAX, -length};
    for (int offset : offsets) {
        for (int whence = 0; whence < 4; ++whence) {
            const int before = archive.tell(handle);
            if (archive.seek(handle, offset, whence) != 0)
                FUZZ_CHECK(archive.tell(handle) == before);
            FUZZ_CHECK(archive.tell(handle) >= 0);
            uint8_t byte = 0;
            const int at = archive.tell(handle);
            if (survives([&] { archive.read(&byte, 1, 1, handle); }))
                FUZZ_CHECK(at < length && byte == entry[at]);
        }
    }
}

class WholeFile : public FileLoader {
public:
    std::string bytes;

protected:
    void parse(const void* block, int size) override {
        FileBytes owned(block);
        bytes.assign(static_cast<const char*>(block), static_cast<size_t>(size));
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::scratch().write("fuzz.zip", fuzz::bytesOf(data, size)).string();
    const std::vector<std::string> names = candidateNames(data, size);

    ArchiveFile archive;
    if (!archive.mount(path.c_str())) return 0;
    FileHandle* previous = nullptr;
    for (const std::string& name : names) {
        FileHandle* handle = archive.open(name.c_str(), kFileRead);
        if (!handle) continue;
        readEntry(archive, handle, data, size);
        // Two handles read alternately each keep their own place.
        if (previous) {
            archive.seek(previous, 0, SEEK_SET);
            archive.seek(handle, 0, SEEK_SET);
            const int first = archive.readByte(previous);
            const int second = archive.readByte(handle);
            FUZZ_CHECK(first == (previous->size > 0 ? data[previous->start] : EOF));
            FUZZ_CHECK(second == (handle->size > 0 ? data[handle->start] : EOF));
            archive.close(previous);
        }
        previous = handle;
    }
    if (previous) archive.close(previous);

    // The way the game reads it: mounted last in the search list, loaded whole.
    fileSystem().clear();
    auto* mounted = new ArchiveFile();
    if (!fileSystem().mount(mounted, path.c_str())) {
        delete mounted;
        return 0;
    }
    for (const std::string& name : names) {
        WholeFile file;
        if (!survives([&] { file.load(name.c_str()); })) continue;
    }
    fileSystem().clear();
    return 0;
}
