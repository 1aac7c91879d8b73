#include "render/Texture.h"

#include <strings.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "driver/Driver.h"
#include "fs/DataStream.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Material\\Texture";
constexpr int kUnsupportedTargaLine = 183;
constexpr int kUnsupportedDepthLine = 204;
constexpr int kUnknownFormatLine = 412;
constexpr int kNoBytesLine = 568;

constexpr int kTargaHeaderSize = 18;
constexpr int kTargaTrueColour = 2;
constexpr int kTargaGrey = 3;
constexpr int kTargaTopFirst = 0x20;
constexpr int kTargaRejectedDescriptorBits = 0x10 | 0x40 | 0x80;
constexpr int kTargaGreyDescriptor = 8;

constexpr int kFpfCubeMap = 1;
constexpr int kFpfBlockOrder = 2;
constexpr int kCubeFaces = 6;

// File pixels are blue, green, red (, alpha); the driver takes red first.
void swapRedAndBlue(uint8_t* row, int pixels, int bytesPerPixel) {
    if (bytesPerPixel < 3) return;
    for (int i = 0; i < pixels; ++i) {
        uint8_t* p = row + static_cast<size_t>(i) * static_cast<size_t>(bytesPerPixel);
        const uint8_t blue = p[0];
        p[0] = p[2];
        p[2] = blue;
    }
}

int formatForBytes(int bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1:
            return Texture::kFormatLuminance;
        case 3:
            return Texture::kFormatRgb;
        case 4:
            return Texture::kFormatRgba;
        default:
            return 0;
    }
}

// The product of non-negative sizes, or INT64_MAX when it does not fit: declared sizes
// are only compared with what the file holds.
int64_t byteCount(std::initializer_list<int64_t> factors) {
    int64_t product = 1;
    for (int64_t factor : factors) {
        if (__builtin_mul_overflow(product, factor, &product)) return INT64_MAX;
    }
    return product;
}

// Runs read, false when the stream ended first.
template <typename Read>
bool readWhole(Read read) {
    try {
        read();
        return true;
    } catch (Exception* error) {
        delete error;
        return false;
    }
}

}  // namespace

Texture::Texture(std::string fileName, bool mipmaps, bool exactSize, bool compress)
    : Resource(std::move(fileName)),
      compress_(compress),
      mipmaps_(mipmaps),
      exactSize_(exactSize) {}

Texture::~Texture() { freeImages(); }

void Texture::stream() {
    forgetLoadedFiles();
    noteLoadedFile(name());
    try {
        load(name().c_str());
    } catch (Exception* cause) {
        throw new Exception(__LINE__, kSource, cause, "Couldn't stream texture %s\n",
                            name().c_str());
    }
}

void Texture::reload() {
    Texture fresh(name(), mipmaps_, exactSize_, compress_);
    fresh.filter_ = filter_;
    fresh.wrapS_ = wrapS_;
    fresh.wrapT_ = wrapT_;
    fresh.wrapR_ = wrapR_;
    fresh.stream();
    if (!fresh.loaded_) {
        const bool found = !fresh.loadedFiles().empty() && fresh.loadedFiles()[0].stamp.source >= 0;
        throw new Exception(
            __LINE__, kSource,
            found ? "Texture %s did not load\n" : "Texture %s is not found any more\n",
            name().c_str());
    }
    const bool registered = handle_ != nullptr;
    unload();
    images_.swap(fresh.images_);
    width_ = fresh.width_;
    height_ = fresh.height_;
    pixelFormat_ = fresh.pixelFormat_;
    bytesPerPixel_ = fresh.bytesPerPixel_;
    cubeMap_ = fresh.cubeMap_;
    wrapS_ = fresh.wrapS_;
    wrapT_ = fresh.wrapT_;
    wrapR_ = fresh.wrapR_;
    loaded_ = true;
    takeLoadedFiles(fresh);
    if (registered) upload();
}

void Texture::parse(const void* bytes, int size) {
    FileBytes owned(bytes);
    if (!bytes) {
        SetErrorLocation(kNoBytesLine, kSource);
        FatalError("Couldn't acces texture file %s properly\n", name().c_str());
        return;
    }
    DataStream stream(bytes, size);
    loadByExtension(stream);
}

void Texture::loadByExtension(DataStream& stream) {
    const std::string& file = name();
    if (file.size() < 4 || file[file.size() - 4] != '.') return;
    const char* extension = file.c_str() + file.size() - 3;
    if (strcasecmp(extension, "tga") == 0) {
        loadTarga(stream);
    } else if (strcasecmp(extension, "fpf") == 0) {
        loadFpf(stream);
    } else {
        SetErrorLocation(kUnknownFormatLine, kSource);
        FatalError("Unknown file format, file %s", file.c_str());
    }
}

void Texture::reportBadImage(int line, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0 || length >= static_cast<int>(sizeof text)) return;
    SetErrorLocation(line, kSource);
    FatalError("%s", text);
}

bool Texture::pixelsFit(const DataStream& stream, int64_t bytes, const char* kind) {
    if (bytes <= stream.remaining()) return true;
    reportBadImage(__LINE__,
                   "%s %s is truncated: its pixels need %lld bytes, the file has %d left\n", kind,
                   name().c_str(), static_cast<long long>(bytes), stream.remaining());
    return false;
}

template <typename Read>
bool Texture::headerRead(DataStream& stream, const char* kind, Read read) {
    if (readWhole(read)) return true;
    reportBadImage(__LINE__, "%s %s is truncated: the file has %d bytes\n", kind, name().c_str(),
                   stream.size());
    return false;
}

bool Texture::loadPixels(DataStream& stream, const char* kind, const PixelLayout& layout,
                         bool flipRows) {
    const int64_t faceBytes = byteCount({layout.width, layout.height, layout.bytesPerPixel});
    const int64_t imageBytes = byteCount({faceBytes, layout.faces});
    if (!pixelsFit(stream, byteCount({imageBytes, layout.images}), kind)) return false;

    const size_t rowBytes =
        static_cast<size_t>(layout.width) * static_cast<size_t>(layout.bytesPerPixel);
    std::vector<std::vector<uint8_t>> images(static_cast<size_t>(layout.images));
    // Cannot fail after the size check; left unloaded all the same if it does.
    const bool read = readWhole([&] {
        for (auto& block : images) {
            block.resize(static_cast<size_t>(imageBytes));
            for (int f = 0; f < layout.faces; ++f) {
                uint8_t* face =
                    block.data() + static_cast<size_t>(f) * static_cast<size_t>(faceBytes);
                for (int y = 0; y < layout.height; ++y) {
                    const int blockRow = flipRows ? layout.height - 1 - y : y;
                    uint8_t* row = face + static_cast<size_t>(blockRow) * rowBytes;
                    stream.read(row, static_cast<int>(rowBytes));
                    swapRedAndBlue(row, layout.width, layout.bytesPerPixel);
                }
            }
        }
    });
    if (!read) return false;
    width_ = layout.width;
    height_ = layout.height;
    bytesPerPixel_ = layout.bytesPerPixel;
    pixelFormat_ = formatForBytes(layout.bytesPerPixel);
    images_ = std::move(images);
    loaded_ = true;
    return true;
}

void Texture::loadTarga(DataStream& stream) {
    freeImages();
    int mapType = 0, imageType = 0, width = 0, height = 0, depth = 0, descriptor = 0;
    if (!headerRead(stream, "Targa Image", [&] {
            const int idLength = stream.readByte();
            mapType = stream.readByte();
            imageType = stream.readByte();
            stream.skip(9);
            width = stream.readUInt16();
            height = stream.readUInt16();
            depth = stream.readByte();
            descriptor = stream.readByte();
            stream.skip(idLength);
        })) {
        return;
    }

    const bool trueColour = mapType == 0 && imageType == kTargaTrueColour &&
                            (descriptor & kTargaRejectedDescriptorBits) == 0;
    const bool grey = imageType == kTargaGrey && descriptor == kTargaGreyDescriptor;
    if (!trueColour && !grey) {
        reportBadImage(kUnsupportedTargaLine,
                       "Targa Image %s is of an unsupported format.\nSupported are 8,24,32 bpp "
                       "unmapped images, (%d %d %d, %d)",
                       name().c_str(), mapType, imageType, descriptor, depth);
        return;
    }
    if (depth != 8 && depth != 24 && depth != 32) {
        reportBadImage(kUnsupportedDepthLine,
                       "Targa Image %s is of an unsupported format.\nSupported are 8,24,32 bpp "
                       "unmapped images",
                       name().c_str());
        return;
    }
    const int bytesPerPixel = depth / 8;
    if (width == 0 || height == 0) {
        reportBadImage(__LINE__, "Targa Image %s has no pixels (%d x %d)\n", name().c_str(), width,
                       height);
        return;
    }
    const bool topFirst = (descriptor & kTargaTopFirst) != 0;
    loadPixels(stream, "Targa Image", {1, 1, width, height, bytesPerPixel}, topFirst);
}

void Texture::loadFpf(DataStream& stream) {
    freeImages();
    int flags = 0, count = 0, width = 0, height = 0, bytesPerPixel = 0;
    if (!headerRead(stream, "FPF image", [&] {
            flags = stream.readInt32();
            count = stream.readInt32();
            width = stream.readInt32();
            height = stream.readInt32();
            bytesPerPixel = stream.readInt32();
        })) {
        return;
    }
    if (formatForBytes(bytesPerPixel) == 0) {
        reportBadImage(__LINE__, "FPF image %s has %d bytes per pixel.\nSupported are 1, 3 and 4\n",
                       name().c_str(), bytesPerPixel);
        return;
    }
    if (count <= 0 || width <= 0 || height <= 0) {
        reportBadImage(__LINE__, "FPF image %s has no pixels (%d images of %d x %d)\n",
                       name().c_str(), count, width, height);
        return;
    }

    const bool cube = (flags & kFpfCubeMap) != 0;
    const bool blockOrder = (flags & kFpfBlockOrder) != 0;
    if (!loadPixels(stream, "FPF image",
                    {count, cube ? kCubeFaces : 1, width, height, bytesPerPixel}, !blockOrder)) {
        return;
    }
    cubeMap_ = cube;
    if (cube) wrapS_ = wrapT_ = wrapR_ = kWrapClamp;
}

void Texture::createBlank(int width, int height, int formatFlags, int imageCount) {
    freeImages();
    pixelFormat_ = formatFlags;
    if (formatFlags & kFormatLuminance)
        bytesPerPixel_ = 1;
    else if (formatFlags & kFormatRgb)
        bytesPerPixel_ = 3;
    else if (formatFlags & kFormatRgba)
        bytesPerPixel_ = 4;
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    // The first image always exists: it is the one filled with ones.
    images_.resize(static_cast<size_t>(imageCount > 1 ? imageCount : 1));
    const size_t floats = static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4;
    std::vector<uint8_t>& first = images_.front();
    first.resize(floats * sizeof(float));
    const float one = 1.0f;
    for (size_t i = 0; i < floats; ++i) memcpy(first.data() + i * sizeof one, &one, sizeof one);
    loaded_ = true;
}

void Texture::upload() {
    if (images_.empty()) return;
    std::vector<const void*> blocks;
    blocks.reserve(images_.size());
    for (const auto& block : images_) blocks.push_back(block.empty() ? nullptr : block.data());
    const bool compress = compress_ && settings().gfxTexcompress.flag;
    handle_ = gDriver.dRegisterTexture(blocks.data(), width_, height_,
                                       cubeMap_ ? dcode::kCubeMap : dcode::kTextureMap,
                                       pixelFormat_, imageCount(), mipmaps_, exactSize_, compress);
    if (!handle_) return;
    gDriver.dSetTextureParam(handle_, kParamFilter, filter_);
    gDriver.dSetTextureParam(handle_, kParamWrapS, wrapS_);
    gDriver.dSetTextureParam(handle_, kParamWrapT, wrapT_);
    gDriver.dSetTextureParam(handle_, kParamWrapR, wrapR_);
}

void Texture::unload() {
    if (!handle_) return;
    gDriver.dRemoveTexture(handle_);
    handle_ = nullptr;
}

void Texture::freeImages() {
    unload();
    images_.clear();
    width_ = height_ = pixelFormat_ = 0;
    cubeMap_ = false;
    loaded_ = false;
}

void Texture::activate(int unit) {
    if (!handle_) upload();
    gDriver.dActivateTexture(handle_, unit, 0);
}

void Texture::setParam(int parameter, int value) {
    if (loaded_ && !handle_) upload();
    switch (parameter) {
        case kParamFilter:
            filter_ = value;
            break;
        case kParamWrapS:
            wrapS_ = value;
            break;
        case kParamWrapT:
            wrapT_ = value;
            break;
        case kParamWrapR:
            wrapR_ = value;
            break;
        default:
            break;
    }
    if (loaded_ && handle_) gDriver.dSetTextureParam(handle_, parameter, value);
}

void Texture::getNormalizationFactors(float* s, float* t) {
    if (!handle_) upload();
    if (handle_) gDriver.dGetNormalizationFactors(handle_, s, t);
}

}  // namespace arvel
