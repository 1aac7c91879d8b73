#include "app/PngWriter.h"

#include <algorithm>
#include <array>

namespace arvel {

namespace {

constexpr size_t kStoredBlockLimit = 65535;

const std::array<uint32_t, 256>& crcTable() {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void putBigEndian(std::string& out, uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

void putChunk(std::string& out, const char type[4], const std::string& data) {
    putBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    const auto* covered = reinterpret_cast<const uint8_t*>(out.data() + typeAt);
    putBigEndian(out, pngCrc32(covered, 4 + data.size()));
}

// The zlib stream: header, the raw bytes in stored blocks, the Adler-32 of the raw bytes.
std::string zlibStored(const std::string& raw) {
    std::string out;
    out += '\x78';  // deflate, 32 KB window
    out += '\x01';  // no preset dictionary, lowest level; 0x7801 is a multiple of 31
    size_t at = 0;
    do {
        const size_t length = std::min(raw.size() - at, kStoredBlockLimit);
        const bool last = at + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, at, length);
        at += length;
    } while (at < raw.size());
    putBigEndian(out, adler32(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()));
    return out;
}

}  // namespace

uint32_t pngCrc32(const uint8_t* bytes, size_t length, uint32_t crc) {
    const auto& table = crcTable();
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

uint32_t adler32(const uint8_t* bytes, size_t length, uint32_t adler) {
    constexpr uint32_t kModulus = 65521;
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (size_t i = 0; i < length; ++i) {
        a = (a + bytes[i]) % kModulus;
        b = (b + a) % kModulus;
    }
    return b << 16 | a;
}

std::string encodePng(int width, int height, const uint8_t* rgb) {
    // PNG sizes are 31-bit; the raw image must also fit in memory as one string.
    constexpr int kMaxSide = 1 << 16;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || rgb == nullptr)
        return {};
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::string raw;
    raw.reserve((rowBytes + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter type None
        raw.append(reinterpret_cast<const char*>(rgb + rowBytes * static_cast<size_t>(y)),
                   rowBytes);
    }

    std::string header;
    putBigEndian(header, static_cast<uint32_t>(width));
    putBigEndian(header, static_cast<uint32_t>(height));
    header += '\x08';  // bits per sample
    header += '\x02';  // colour type RGB
    header += '\0';    // deflate
    header += '\0';    // adaptive filtering
    header += '\0';    // not interlaced

    std::string png("\x89PNG\r\n\x1a\n", 8);
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", std::string());
    return png;
}

}  // namespace arvel
