// A second, deliberately plain reading of the two image formats, pixel for pixel, that
// the texture loaders are compared with: what it accepts must load into exactly these
// blocks, what it refuses must leave the texture unloaded.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "FuzzSupport.h"
#include "fs/DataStream.h"
#include "render/Texture.h"
#include "support/RecordingDriver.h"

namespace arvel::fuzz {

struct ReferenceImage {
    int width = 0, height = 0, bytesPerPixel = 0;
    bool cubeMap = false;
    std::vector<std::vector<uint8_t>> images;
};

inline int64_t le(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | p[i];
    return bytes == 4 ? static_cast<int32_t>(value) : static_cast<int64_t>(value);
}

// A file row of pixels into a block row: blue and red change places.
inline void copyRow(uint8_t* out, const uint8_t* in, int width, int bytesPerPixel) {
    for (int x = 0; x < width; ++x) {
        const uint8_t* p = in + static_cast<size_t>(x) * bytesPerPixel;
        uint8_t* q = out + static_cast<size_t>(x) * bytesPerPixel;
        std::memcpy(q, p, static_cast<size_t>(bytesPerPixel));
        if (bytesPerPixel >= 3) {
            q[0] = p[2];
            q[2] = p[0];
        }
    }
}

// Refused files and files of no pixels give nothing.
inline std::optional<ReferenceImage> referenceTarga(const uint8_t* data, size_t size) {
    if (size < 18) return std::nullopt;
    const int idLength = data[0], mapType = data[1], imageType = data[2];
    const int width = static_cast<int>(le(data + 12, 2)),
              height = static_cast<int>(le(data + 14, 2));
    const int depth = data[16], descriptor = data[17];
    const bool colour = mapType == 0 && imageType == 2 && (descriptor & 0xD0) == 0;
    const bool grey = imageType == 3 && descriptor == 8;
    if (!colour && !grey) return std::nullopt;
    if (depth != 8 && depth != 24 && depth != 32) return std::nullopt;
    if (width == 0 || height == 0) return std::nullopt;
    const int bpp = depth / 8;
    const size_t rowBytes = static_cast<size_t>(width) * bpp;
    const size_t start = 18 + static_cast<size_t>(idLength);
    if (start > size || (size - start) / rowBytes < static_cast<size_t>(height))
        return std::nullopt;
    ReferenceImage image{width, height, bpp, false, {std::vector<uint8_t>(rowBytes * height)}};
    for (int i = 0; i < height; ++i) {
        const int row = (descriptor & 0x20) ? height - 1 - i : i;
        copyRow(image.images[0].data() + rowBytes * row, data + start + rowBytes * i, width, bpp);
    }
    return image;
}

inline std::optional<ReferenceImage> referenceFpf(const uint8_t* data, size_t size) {
    if (size < 20) return std::nullopt;
    const int64_t flags = le(data, 4), count = le(data + 4, 4), width = le(data + 8, 4),
                  height = le(data + 12, 4), bpp = le(data + 16, 4);
    if (bpp != 1 && bpp != 3 && bpp != 4) return std::nullopt;
    if (count <= 0 || width <= 0 || height <= 0) return std::nullopt;
    const int64_t faces = (flags & 1) ? 6 : 1;
    // Compared in 128 bits: the declared sizes may be far beyond the file.
    const __int128 needed = static_cast<__int128>(count) * faces * height * width * bpp;
    if (needed > static_cast<__int128>(size - 20)) return std::nullopt;
    const size_t rowBytes = static_cast<size_t>(width * bpp);
    ReferenceImage image{
        static_cast<int>(width), static_cast<int>(height), static_cast<int>(bpp), faces == 6, {}};
    const uint8_t* in = data + 20;
    for (int64_t i = 0; i < count; ++i) {
        std::vector<uint8_t> block(rowBytes * height * faces);
        for (int64_t f = 0; f < faces; ++f) {
            uint8_t* face = block.data() + rowBytes * height * f;
            for (int64_t y = 0; y < height; ++y, in += rowBytes) {
                const int64_t row = (flags & 2) ? y : height - 1 - y;
                copyRow(face + rowBytes * row, in, static_cast<int>(width), static_cast<int>(bpp));
            }
        }
        image.images.push_back(std::move(block));
    }
    return image;
}

// Loads the input as the named texture through the loader the extension picks, and
// holds the result to the reference reading; a loaded texture is then registered.
inline void loadAndCompare(const char* name, const uint8_t* data, size_t size,
                           const std::optional<ReferenceImage>& expected) {
    test::RecordingDriver driver;
    Texture texture(name, true, true, true);
    DataStream stream(data, static_cast<int>(size));
    texture.loadByExtension(stream);
    drainMessages();
    FUZZ_CHECK(texture.loaded() == expected.has_value());
    if (!expected) {
        FUZZ_CHECK(texture.imageCount() == 0);
        return;
    }
    FUZZ_CHECK(texture.width() == expected->width && texture.height() == expected->height);
    FUZZ_CHECK(texture.bytesPerPixel() == expected->bytesPerPixel);
    FUZZ_CHECK(texture.cubeMap() == expected->cubeMap);
    FUZZ_CHECK(texture.imageCount() == static_cast<int>(expected->images.size()));
    for (int i = 0; i < texture.imageCount(); ++i)
        FUZZ_CHECK(texture.image(i) == expected->images[static_cast<size_t>(i)]);
    texture.upload();
    FUZZ_CHECK(driver.countOf("dRegisterTexture") == 1);
}

}  // namespace arvel::fuzz
