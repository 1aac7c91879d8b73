#include "ZipWriter.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

namespace arvel::content {

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kDirectoryHeaderSignature = 0x02014B50;
constexpr uint32_t kEndOfDirectorySignature = 0x06054B50;
constexpr uint16_t kVersionStored = 10;  // 1.0: stored entries, no extensions
constexpr uint16_t kDosTime = 0;
constexpr uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
constexpr size_t kMaxEntries = 0xFFFF;
constexpr uint64_t kMaxOffset = 0xFFFFFFFFu;

void put16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void put32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// The fields local and central headers share, from "version needed" to the lengths.
void putCommon(std::string& out, uint32_t crc, uint32_t size, uint16_t nameLength) {
    put16(out, kVersionStored);
    put16(out, 0);  // flags
    put16(out, 0);  // method: stored
    put16(out, kDosTime);
    put16(out, kDosDate);
    put32(out, crc);
    put32(out, size);  // compressed
    put32(out, size);  // uncompressed
    put16(out, nameLength);
    put16(out, 0);  // extra field length
}

}  // namespace

void ZipWriter::add(std::string name, std::string_view bytes) {
    if (name.size() > 0xFFFF) throw std::length_error("zip entry name longer than 65535 bytes");
    if (bytes.size() > kMaxOffset) throw std::length_error("zip entry larger than 4 GB");
    if (entries_.size() == kMaxEntries) throw std::length_error("more than 65535 zip entries");
    const auto crc = static_cast<uint32_t>(
        ::crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
    entries_.push_back({std::move(name), std::string(bytes), crc});
}

std::string ZipWriter::bytes() const {
    std::string out;
    std::vector<uint32_t> offsets;
    for (const Entry& entry : entries_) {
        if (out.size() > kMaxOffset) throw std::length_error("zip archive larger than 4 GB");
        offsets.push_back(static_cast<uint32_t>(out.size()));
        put32(out, kLocalHeaderSignature);
        putCommon(out, entry.crc, static_cast<uint32_t>(entry.data.size()),
                  static_cast<uint16_t>(entry.name.size()));
        out += entry.name;
        out += entry.data;
    }
    const size_t directoryStart = out.size();
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        put32(out, kDirectoryHeaderSignature);
        put16(out, kVersionStored);  // made by: MS-DOS attributes, 1.0
        putCommon(out, entry.crc, static_cast<uint32_t>(entry.data.size()),
                  static_cast<uint16_t>(entry.name.size()));
        put16(out, 0);  // comment length
        put16(out, 0);  // disk number
        put16(out, 0);  // internal attributes
        put32(out, 0);  // external attributes
        put32(out, offsets[i]);
        out += entry.name;
    }
    const size_t directorySize = out.size() - directoryStart;
    if (directoryStart > kMaxOffset || directorySize > kMaxOffset) {
        throw std::length_error("zip archive larger than 4 GB");
    }
    put32(out, kEndOfDirectorySignature);
    put16(out, 0);  // this disk
    put16(out, 0);  // disk holding the directory
    put16(out, static_cast<uint16_t>(entries_.size()));
    put16(out, static_cast<uint16_t>(entries_.size()));
    put32(out, static_cast<uint32_t>(directorySize));
    put32(out, static_cast<uint32_t>(directoryStart));
    put16(out, 0);  // comment length
    return out;
}

bool ZipWriter::save(const std::filesystem::path& path) const {
    const std::string archive = bytes();
    FILE* file = fopen(path.string().c_str(), "wb");
    if (!file) return false;
    bool written = fwrite(archive.data(), 1, archive.size(), file) == archive.size();
    return fclose(file) == 0 && written;
}

}  // namespace arvel::content
