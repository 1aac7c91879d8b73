// An image loaded by file name (Targa or the engine's raw ".fpf"), kept in memory in
// the layout the driver takes, and registered with the driver on first use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/DriverTypes.h"
#include "fs/FileLoader.h"
#include "render/Resource.h"

namespace arvel {

class DataStream;
struct DTexture;

class Texture : public Resource, public FileLoader {
public:
    // Texture parameters of the driver interface.
    static constexpr int kParamFilter = dcode::kTextureFilter;
    static constexpr int kParamWrapS = dcode::kTextureWrapS;
    static constexpr int kParamWrapT = dcode::kTextureWrapT;
    static constexpr int kParamWrapR = dcode::kTextureWrapR;
    static constexpr int kDefaultFilter = dcode::kFilterLinear | dcode::kMipmapNearest;
    static constexpr int kWrapClamp = dcode::kWrapClamp;
    static constexpr int kWrapRepeat = dcode::kWrapRepeat;
    // Pixel formats the loaders produce.
    static constexpr int kFormatRgb = dcode::kFormatRgb;
    static constexpr int kFormatRgba = dcode::kFormatRgba;
    static constexpr int kFormatLuminance = dcode::kFormatLuminance;

    // Nothing is read until stream().
    Texture(std::string fileName, bool mipmaps, bool exactSize, bool compress);
    ~Texture() override;  // removes the driver texture, frees the pixels
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Loads the file named like the texture. A missing file leaves it unloaded without
    // a message; a bad image leaves it unloaded with a fatal box; a failing file source
    // throws "Couldn't stream texture %s\n" wrapping the cause.
    void stream();
    // Reads the file again into a fresh texture of the same parameters and takes over
    // its pixels; a texture the driver had is registered again at once. Throws an
    // Exception, changing nothing, when the file is gone or does not load (a bad image
    // also shows its fatal box).
    void reload();

    virtual void loadTarga(DataStream& stream);
    virtual void loadFpf(DataStream& stream);
    // Registers the pixels with the driver and sends filter and wrap; nothing without
    // pixels.
    virtual void upload();
    virtual void unload();  // removes the driver texture; the pixels stay
    virtual void freeImages();
    // Chooses the loader by the name's extension: ".tga" or ".fpf", any case.
    virtual void loadByExtension(DataStream& stream);
    // A loaded texture of imageCount images whose first is width x height pixels of
    // four floats, all 1.0; the others are left for the driver to fill.
    virtual void createBlank(int width, int height, int formatFlags, int imageCount);

    // Binds frame 0 on the unit, registering the texture first if needed.
    void activate(int unit);
    // Filter (304) or wrap (305 to 307). A loaded texture is registered and the value
    // sent to the driver; the value is kept for the next registration either way.
    void setParam(int parameter, int value);
    // The driver's texture-coordinate scales, registering the texture first if needed.
    // s and t are left alone when there is no driver texture.
    void getNormalizationFactors(float* s, float* t);

    bool loaded() const { return loaded_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int pixelFormat() const { return pixelFormat_; }
    int bytesPerPixel() const { return bytesPerPixel_; }
    int imageCount() const { return static_cast<int>(images_.size()); }
    bool cubeMap() const { return cubeMap_; }
    bool mipmaps() const { return mipmaps_; }
    bool exactSize() const { return exactSize_; }
    bool compress() const { return compress_; }
    int filter() const { return filter_; }
    int wrapS() const { return wrapS_; }
    int wrapT() const { return wrapT_; }
    int wrapR() const { return wrapR_; }
    // Image i's pixel block: rows bottom first, faces one after another; empty for an
    // image the driver fills.
    const std::vector<uint8_t>& image(int i) const { return images_.at(static_cast<size_t>(i)); }
    DTexture* handle() const { return handle_; }

protected:
    void parse(const void* bytes, int size) override;

private:
    // Shows a fatal box about this texture's file at the given line of the source.
    void reportBadImage(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Checks that a picture of the declared size fits in what remains of the stream.
    bool pixelsFit(const DataStream& stream, int64_t bytes, const char* kind);
    // Runs read over a file's header; false, after a fatal box saying the kind of file
    // is truncated, when the file ends first.
    template <typename Read>
    bool headerRead(DataStream& stream, const char* kind, Read read);
    // How the pixels of a file are laid out: images of faces of rows.
    struct PixelLayout {
        int images;
        int faces;
        int width;
        int height;
        int bytesPerPixel;
    };
    // Reads the pixels that follow a header and keeps them as this texture's images,
    // loaded; false, leaving it unloaded, when the file is too short. flipRows puts the
    // first file row of a face at the top of its block instead of the bottom.
    bool loadPixels(DataStream& stream, const char* kind, const PixelLayout& layout, bool flipRows);

    bool loaded_ = false;
    bool compress_;
    bool mipmaps_;
    bool exactSize_;
    bool cubeMap_ = false;
    int width_ = 0;
    int height_ = 0;
    int pixelFormat_ = 0;
    int bytesPerPixel_ = 0;
    int filter_ = kDefaultFilter;
    int wrapS_ = kWrapRepeat;
    int wrapT_ = kWrapRepeat;
    int wrapR_ = kWrapRepeat;
    std::vector<std::vector<uint8_t>> images_;
    DTexture* handle_ = nullptr;
};

}  // namespace arvel
