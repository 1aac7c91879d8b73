// Textures: decoded images become texture objects (padded, resampled or put on a
// rectangle target when their sides are not powers of two, with mip levels from the
// driver or from a box filter), bound to units, filtered, wrapped and filled from
// the screen.
#include "varnet/Texture.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "varnet/Context.h"
#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"
#include "varnet/TextureImage.h"

namespace arvel {
namespace {

using varnet::gContext;
using varnet::gExt;
using varnet::gl;

constexpr const char* kModule = "Texture";
constexpr int kMaxUnits = 32;
constexpr int kTexGenEntries = 32;
// Sides beyond this cannot be textures on any hardware; refusing them keeps the
// padding buffers within reason.
constexpr int kMaxSide = 1 << 16;

struct UnitState {
    DTexture* texture = nullptr;
    unsigned frame = 0;
    GLenum enabledTarget = 0;
    bool used = false;
};

UnitState gUnits[kMaxUnits];
int gUsedUnits = 0;
int gTexGen[kTexGenEntries] = {};
std::unordered_set<const DTexture*> gTextures;

// What a format code means to the upload.
struct PixelFormat {
    GLenum internal = 0;
    GLenum format = 0;
    GLenum type = 0;
    int channels = 0;
    bool isFloat = false;
};

GLenum floatInternalFormat(int channels, bool half) {
    if (gExt.NV_float_buffer) {
        if (channels == 1) return half ? GL_FLOAT_R16_NV : GL_FLOAT_R32_NV;
        if (channels == 3) return half ? GL_FLOAT_RGB16_NV : GL_FLOAT_RGB32_NV;
        return half ? GL_FLOAT_RGBA16_NV : GL_FLOAT_RGBA32_NV;
    }
    if (gExt.ATI_texture_float) {
        if (channels == 1) return half ? GL_LUMINANCE_FLOAT16_ATI : GL_LUMINANCE_FLOAT32_ATI;
        if (channels == 3) return half ? GL_RGB_FLOAT16_ATI : GL_RGB_FLOAT32_ATI;
        return half ? GL_RGBA_FLOAT16_ATI : GL_RGBA_FLOAT32_ATI;
    }
    return 0;
}

PixelFormat translateFormat(int code, bool compress) {
    PixelFormat pf;
    // Compression only where the context can do it and samples it fast; the request is
    // a hint.
    const bool compressed = compress && gContext.compressTextures;
    const auto byteFormat = [compressed](GLenum plain, GLenum packed) -> GLenum {
        return compressed ? packed : plain;
    };
    switch (code) {
        case dcode::kFormatRgb:
            pf = {byteFormat(GL_RGB8, GL_COMPRESSED_RGB_ARB), GL_RGB, GL_UNSIGNED_BYTE, 3, false};
            break;
        case dcode::kFormatRgba:
            pf = {byteFormat(GL_RGBA8, GL_COMPRESSED_RGBA_ARB), GL_RGBA, GL_UNSIGNED_BYTE, 4,
                  false};
            break;
        case dcode::kFormatLuminance:
            pf = {byteFormat(GL_LUMINANCE8, GL_COMPRESSED_LUMINANCE_ARB), GL_LUMINANCE,
                  GL_UNSIGNED_BYTE, 1, false};
            break;
        case dcode::kFormatHalfFloat | dcode::kFormatRgb:
            pf = {floatInternalFormat(3, true), GL_RGB, GL_FLOAT, 3, true};
            break;
        case dcode::kFormatHalfFloat | dcode::kFormatRgba:
            pf = {floatInternalFormat(4, true), GL_RGBA, GL_FLOAT, 4, true};
            break;
        case dcode::kFormatHalfFloat | dcode::kFormatLuminance:
            pf = {floatInternalFormat(1, true), GL_LUMINANCE, GL_FLOAT, 1, true};
            break;
        case dcode::kFormatFloat | dcode::kFormatRgb:
            pf = {floatInternalFormat(3, false), GL_RGB, GL_FLOAT, 3, true};
            break;
        case dcode::kFormatFloat | dcode::kFormatRgba:
            pf = {floatInternalFormat(4, false), GL_RGBA, GL_FLOAT, 4, true};
            break;
        case dcode::kFormatFloat | dcode::kFormatLuminance:
            pf = {floatInternalFormat(1, false), GL_LUMINANCE, GL_FLOAT, 1, true};
            break;
        default:
            varnet::errorBox(kModule, __LINE__, "Illegal texture format");
            break;
    }
    return pf;
}

enum class Fit { kUnchanged, kPad, kResample };

// Puts back what was bound to a target of the active unit, so that work on texture
// objects leaves the units as dActivateTexture set them.
class BindingGuard {
public:
    explicit BindingGuard(GLenum target) : target_(target) {
        glGetIntegerv(varnet::textureBindingQuery(target), &previous_);
    }
    ~BindingGuard() { glBindTexture(target_, static_cast<GLuint>(previous_)); }
    BindingGuard(const BindingGuard&) = delete;
    BindingGuard& operator=(const BindingGuard&) = delete;

private:
    GLenum target_;
    GLint previous_ = 0;
};

// Uploads level 0 of one image (fitted to power-of-two sides unless kUnchanged) and,
// with boxMips, every smaller level down to 1 x 1. Reports the level-0 size.
template <typename T>
void uploadImage(GLenum target, const PixelFormat& pf, const T* source, int width, int height,
                 Fit fit, bool boxMips, int* levelWidth, int* levelHeight) {
    int w = width, h = height;
    std::vector<T> buffer;
    const T* pixels = source;
    if (fit != Fit::kUnchanged) {
        w = varnet::powerOfTwoAtLeast(width);
        h = varnet::powerOfTwoAtLeast(height);
        if (source && (w != width || h != height)) {
            buffer = fit == Fit::kPad ? varnet::padImage(source, width, height, pf.channels)
                                      : varnet::resampleImage(source, width, height, pf.channels);
            pixels = buffer.data();
        }
    }
    *levelWidth = w;
    *levelHeight = h;
    glTexImage2D(target, 0, static_cast<GLint>(pf.internal), w, h, 0, pf.format, pf.type, pixels);
    for (int level = 1; boxMips && (w > 1 || h > 1); ++level) {
        if (pixels) {
            std::vector<T> next = varnet::halveImage(pixels, w, h, pf.channels);
            buffer.swap(next);
            pixels = buffer.data();
        }
        w = std::max(w / 2, 1);
        h = std::max(h / 2, 1);
        glTexImage2D(target, level, static_cast<GLint>(pf.internal), w, h, 0, pf.format, pf.type,
                     pixels);
    }
}

// Byte or float dispatch; an unknown format uploads nothing readable and lets the API
// refuse the zero formats.
void upload(GLenum target, const PixelFormat& pf, const void* source, size_t offsetPixels,
            int width, int height, Fit fit, bool boxMips, DTexture* texture) {
    const size_t offset = offsetPixels * static_cast<size_t>(pf.channels);
    int w = 0, h = 0;
    if (pf.type == GL_FLOAT) {
        const float* pixels = source ? static_cast<const float*>(source) + offset : nullptr;
        uploadImage(target, pf, pixels, width, height, fit, boxMips, &w, &h);
    } else if (pf.type == GL_UNSIGNED_BYTE) {
        const uint8_t* pixels = source ? static_cast<const uint8_t*>(source) + offset : nullptr;
        uploadImage(target, pf, pixels, width, height, fit, boxMips, &w, &h);
    } else {
        uploadImage<uint8_t>(target, pf, nullptr, width, height, fit, false, &w, &h);
    }
    texture->width = w;
    texture->height = h;
}

const void* imageAt(const void* const* images, int i) { return images ? images[i] : nullptr; }

void registerCubeMap(DTexture* texture, const void* const* images, int size, const PixelFormat& pf,
                     bool mipmap) {
    texture->target = GL_TEXTURE_CUBE_MAP_ARB;
    const bool automatic = mipmap && gExt.SGIS_generate_mipmap;
    BindingGuard guard(texture->target);
    for (int i = 0; i < texture->imageCount; ++i) {
        glBindTexture(texture->target, texture->names[i]);
        texture->mipmapped = mipmap ? 1 : 0;
        if (automatic) glTexParameteri(texture->target, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
        // Level 0 alone would leave the default mipmap filter sampling nothing.
        if (!mipmap) glTexParameteri(texture->target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        const size_t facePixels = static_cast<size_t>(size) * static_cast<size_t>(size);
        for (int face = 0; face < 6; ++face) {
            upload(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + face, pf, imageAt(images, i),
                   facePixels * face, size, size, Fit::kResample, mipmap && !automatic, texture);
        }
    }
}

void registerFlat(DTexture* texture, const void* const* images, int width, int height,
                  const PixelFormat& pf, bool mipmap, bool exactSize) {
    Fit fit = exactSize ? Fit::kResample : Fit::kPad;
    texture->target = GL_TEXTURE_2D;
    texture->mipmapped = mipmap ? 1 : 0;
    if (!mipmap && gExt.NV_texture_rectangle) {
        fit = Fit::kUnchanged;
        const bool floatNeedsRectangle = pf.isFloat && gExt.NV_float_buffer;
        if (!varnet::isPowerOfTwo(width) || !varnet::isPowerOfTwo(height) || floatNeedsRectangle) {
            texture->target = GL_TEXTURE_RECTANGLE_NV;
            texture->sScale = static_cast<float>(width);  // texel coordinates
            texture->tScale = static_cast<float>(height);
        }
    } else if (fit == Fit::kPad) {
        texture->sScale = static_cast<float>(width) / varnet::powerOfTwoAtLeast(width);
        texture->tScale = static_cast<float>(height) / varnet::powerOfTwoAtLeast(height);
    }
    const bool automatic = mipmap && gExt.SGIS_generate_mipmap;
    BindingGuard guard(texture->target);
    for (int i = 0; i < texture->imageCount; ++i) {
        glBindTexture(texture->target, texture->names[i]);
        if (automatic) glTexParameteri(texture->target, GL_GENERATE_MIPMAP_SGIS, GL_TRUE);
        if (!mipmap) glTexParameteri(texture->target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        upload(texture->target, pf, imageAt(images, i), 0, width, height, fit, mipmap && !automatic,
               texture);
    }
}

void freeTexture(DTexture* texture) {
    if (!texture->names.empty())
        glDeleteTextures(static_cast<GLsizei>(texture->names.size()), texture->names.data());
    delete texture;
}

DTexture* liveOrNull(DTexture* texture) {
    return texture && gTextures.count(texture) ? texture : nullptr;
}

bool validUnit(int unit) { return unit >= 0 && unit < std::min(kMaxUnits, gContext.textureUnits); }

// Units beyond the fixed-function ones take image bindings for programs but have no
// enable switches.
bool hasEnableSwitch(int unit) {
    static void* knownContext = nullptr;
    static GLint fixedUnits = 1;
    if (knownContext != gContext.context) {
        knownContext = gContext.context;
        fixedUnits = 1;
        if (gExt.ARB_multitexture) glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &fixedUnits);
    }
    return unit < fixedUnits;
}

GLuint imageName(const DTexture* texture, unsigned frame) {
    if (texture->imageCount <= 0) return 0;
    return texture->names[frame % static_cast<unsigned>(texture->imageCount)];
}

void setFilter(const DTexture* texture, int value) {
    const int base = value & 0xF;
    if (base == dcode::kFilterNearest || base == dcode::kFilterLinear) {
        const bool linear = base == dcode::kFilterLinear;
        GLenum minFilter = linear ? GL_LINEAR : GL_NEAREST;
        if (texture->mipmapped) {
            const int mip = value & 0xF0;
            if (mip == dcode::kMipmapNearest)
                minFilter = linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
            if (mip == dcode::kMipmapLinear)
                minFilter = linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
        }
        glTexParameteri(texture->target, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(texture->target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    }
    if (gExt.EXT_texture_filter_anisotropic) {
        float anisotropy = 1.0f;
        switch (value & 0xF00) {
            case dcode::kAnisotropy2:
                anisotropy = 2.0f;
                break;
            case dcode::kAnisotropy4:
                anisotropy = 4.0f;
                break;
            case dcode::kAnisotropy8:
                anisotropy = 8.0f;
                break;
            case dcode::kAnisotropy16:
                anisotropy = 16.0f;
                break;
            default:
                break;
        }
        GLfloat most = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &most);
        glTexParameterf(texture->target, GL_TEXTURE_MAX_ANISOTROPY_EXT, std::min(anisotropy, most));
    }
}

void setWrap(const DTexture* texture, GLenum which, int value) {
    GLenum mode = 0;
    switch (value) {
        // Edge clamping: the older clamp would blend in the border colour.
        case dcode::kWrapClamp:
            mode = gExt.version12 ? GL_CLAMP_TO_EDGE : GL_CLAMP;
            break;
        case dcode::kWrapRepeat:
            mode = GL_REPEAT;
            break;
        case dcode::kWrapMirror:
            mode = gExt.ARB_texture_mirrored_repeat ? GL_MIRRORED_REPEAT_ARB : GL_REPEAT;
            break;
        default:
            return;
    }
    // Rectangle textures can only clamp; the request leaves them as they are.
    if (texture->target == GL_TEXTURE_RECTANGLE_NV && value != dcode::kWrapClamp) return;
    glTexParameteri(texture->target, which, static_cast<GLint>(mode));
}

}  // namespace

namespace varnet {

GLenum textureBindingQuery(GLenum target) {
    switch (target) {
        case GL_TEXTURE_RECTANGLE_NV:
            return GL_TEXTURE_BINDING_RECTANGLE_NV;
        case GL_TEXTURE_CUBE_MAP_ARB:
            return GL_TEXTURE_BINDING_CUBE_MAP_ARB;
        default:
            return GL_TEXTURE_BINDING_2D;
    }
}

bool isLiveTexture(const DTexture* texture) { return texture && gTextures.count(texture) != 0; }

void selectTextureUnit(int unit) {
    if (gl.glActiveTextureARB) gl.glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
}

}  // namespace varnet

int dTextureUnits() { return gContext.textureUnits; }

void dDisableTextureing(int unit) {
    if (!validUnit(unit)) return;
    UnitState& state = gUnits[unit];
    if (state.used) {
        state.used = false;
        --gUsedUnits;
    }
    varnet::selectTextureUnit(unit);
    if (state.enabledTarget && hasEnableSwitch(unit)) glDisable(state.enabledTarget);
    // Programs sample a unit whether it is enabled or not: with nothing bound they read
    // black instead of whatever the unit held last.
    if (state.enabledTarget) glBindTexture(state.enabledTarget, 0);
    state.enabledTarget = 0;
    state.texture = nullptr;
}

void dActivateTexture(DTexture* texture, int unit, unsigned frame) {
    if (!liveOrNull(texture)) {
        varnet::errorBox(kModule, __LINE__, "NULLDATA\n");
        return;
    }
    if (!validUnit(unit)) return;
    UnitState& state = gUnits[unit];
    const unsigned index =
        texture->imageCount > 0 ? frame % static_cast<unsigned>(texture->imageCount) : 0;
    varnet::selectTextureUnit(unit);
    if (hasEnableSwitch(unit)) {
        if (state.enabledTarget && state.enabledTarget != texture->target)
            glDisable(state.enabledTarget);
        // Enabling again is harmless and survives a context that was re-created.
        glEnable(texture->target);
    }
    state.enabledTarget = texture->target;
    if (!state.used) {
        state.used = true;
        ++gUsedUnits;
    }
    glBindTexture(texture->target, imageName(texture, index));
    state.texture = texture;
    state.frame = index;
}

DTexture* dRegisterTexture(const void* const* images, int width, int height, int kind, int format,
                           int imageCount, dbool mipmap, dbool exactSize, dbool compress) {
    const PixelFormat pf = translateFormat(format, (compress & 0xFF) != 0);
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide || imageCount < 0) {
        varnet::errorBox(kModule, __LINE__, "Illegal texture size %dx%d, %d images", width, height,
                         imageCount);
        return nullptr;
    }
    const bool wantMipmaps = (mipmap & 0xFF) != 0;
    DTexture* texture = nullptr;
    try {
        texture = new DTexture;
        texture->kind = kind;
        texture->pixelType = pf.type;
        texture->imageCount = imageCount;
        texture->names.assign(static_cast<size_t>(imageCount), 0);
        if (imageCount > 0) glGenTextures(imageCount, texture->names.data());

        if (kind == dcode::kCubeMap && gExt.ARB_texture_cube_map) {
            if (width != height) {
                varnet::errorBox(kModule, __LINE__,
                                 "Cubemap cannot be rectangular (note CUBE-map dummy)");
                freeTexture(texture);
                return nullptr;
            }
            registerCubeMap(texture, images, width, pf, wantMipmaps);
        } else {
            registerFlat(texture, images, width, height, pf, wantMipmaps, (exactSize & 0xFF) != 0);
        }
        gTextures.insert(texture);
    } catch (const std::bad_alloc&) {
        varnet::errorBox(kModule, __LINE__, "Out of memory for a %dx%d texture", width, height);
        if (texture) freeTexture(texture);
        return nullptr;
    }
    return texture;
}

void dRemoveTexture(DTexture* texture) {
    if (!liveOrNull(texture)) return;
    for (UnitState& state : gUnits) {
        if (state.texture == texture) state.texture = nullptr;
    }
    gTextures.erase(texture);
    freeTexture(texture);
}

int dSetTextureParam(DTexture* texture, int parameter, int value) {
    if (!liveOrNull(texture)) return 0;
    BindingGuard guard(texture->target);
    for (GLuint name : texture->names) {
        glBindTexture(texture->target, name);
        switch (parameter) {
            case dcode::kTextureFilter:
                setFilter(texture, value);
                break;
            case dcode::kTextureWrapS:
                setWrap(texture, GL_TEXTURE_WRAP_S, value);
                break;
            case dcode::kTextureWrapT:
                setWrap(texture, GL_TEXTURE_WRAP_T, value);
                break;
            case dcode::kTextureWrapR:
                setWrap(texture, GL_TEXTURE_WRAP_R, value);
                break;
            default:
                break;
        }
    }
    return texture->imageCount;
}

void dGetNormalizationFactors(DTexture* texture, float* s, float* t) {
    if (!liveOrNull(texture)) return;
    if (s) *s = texture->sScale;
    if (t) *t = texture->tScale;
}

void dTexGenFunc(int index, int value) {
    if (index >= 0 && index < kTexGenEntries) gTexGen[index] = value;
}

void dGetFromScreen(DTexture* texture, unsigned frame, int x, int y, int width, int height) {
    if (!liveOrNull(texture)) {
        varnet::errorBox(kModule, __LINE__, "NULLDATA\n");
        return;
    }
    if (texture->kind == dcode::kCubeMap) {
        varnet::errorBox(kModule, __LINE__, "Cubemap readback currently not supported");
        return;
    }
    if (texture->kind == dcode::kBumpMap) {
        varnet::errorBox(kModule, __LINE__, "Can't capture bumpmaps");
        return;
    }
    // A region larger than the image copies what fits instead of nothing.
    width = std::min(width, texture->width);
    height = std::min(height, texture->height);
    if (width <= 0 || height <= 0 || texture->imageCount <= 0) return;

    GLint previousUnit = GL_TEXTURE0_ARB;
    if (gl.glActiveTextureARB) glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &previousUnit);
    varnet::selectTextureUnit(0);
    {
        BindingGuard guard(texture->target);
        glBindTexture(texture->target, imageName(texture, frame));
        glCopyTexSubImage2D(texture->target, 0, 0, 0, x, y, width, height);
    }
    if (gl.glActiveTextureARB) gl.glActiveTextureARB(static_cast<GLenum>(previousUnit));
}

}  // namespace arvel
