// Writes zip archives of stored (uncompressed) entries: local headers and data in the
// order added, then the central directory and its end record, so that the engine's
// archive source and ordinary zip tools both read them. Dates are fixed (1980-01-01)
// so the same entries always give the same bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace arvel::content {

class ZipWriter {
public:
    // Adds an entry; name uses '/' between folders. Throws std::length_error for a
    // name or data zip cannot describe, or past 65535 entries.
    void add(std::string name, std::string_view bytes);
    // The whole archive.
    std::string bytes() const;
    // Writes the archive to path; false when the file cannot be written.
    bool save(const std::filesystem::path& path) const;

    size_t entryCount() const { return entries_.size(); }

private:
    struct Entry {
        std::string name;
        std::string data;
        uint32_t crc;
    };
    std::vector<Entry> entries_;
};

}  // namespace arvel::content
