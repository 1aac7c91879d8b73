// A PNG encoder small enough to need no image library: 8-bit RGB, no filtering, the
// image data in stored (uncompressed) deflate blocks. Files are larger than a
// compressing encoder's, and every reader takes them.
#pragma once

#include <cstdint>
#include <string>

namespace arvel {

// Encodes width x height pixels of 3 bytes each, rows top-down, packed without gaps.
// An empty string for a size of 0 or one a PNG cannot hold.
std::string encodePng(int width, int height, const uint8_t* rgb);

// CRC-32 (the reflected polynomial 0xEDB88320) and Adler-32, as PNG and zlib use them.
uint32_t pngCrc32(const uint8_t* bytes, size_t length, uint32_t crc = 0);
uint32_t adler32(const uint8_t* bytes, size_t length, uint32_t adler = 1);

}  // namespace arvel
