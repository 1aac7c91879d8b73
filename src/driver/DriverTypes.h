// Types and integer codes that cross the driver interface. Both deliverables include
// this; nothing here depends on the graphics API.
#pragma once

#include <cstdint>

namespace arvel {

// Boolean arguments cross as 32-bit integers; only the plug-in decides what a value
// other than 0 or 1 means (dColorMask writes a channel only for exactly 1).
using dbool = int;

// Handles owned by the plug-in; game never looks inside.
struct DTexture;
struct DPixelShader;
struct DVertexProgram;
struct DVertexArray;
struct DOcclusionQueries;
struct DPBuffer;
struct DParameter;

struct DVec4 {
    float x, y, z, w;
};

struct DResolutionList {
    int32_t count;
    int32_t width[1024];
    int32_t height[1024];
    int32_t bits[1024];
};

// What the plug-in reads of a render vertex. The world's mesh elements derive from
// these records, so a mesh hands its own vertices to the driver without copying.
struct RenderPosition {
    float x, y, z, w;
};

struct RenderTexCoord {
    float u, v;
};

struct RenderVertex {
    const RenderPosition* position;
    const RenderTexCoord* texCoord;
    float normal[4];
    float tangent[4];
    uint8_t colour[4];  // r, g, b, a
};

// A list of vertex references (dVAWriteVerts, dVAUpdateVerts).
struct DVertexList {
    const RenderVertex* const* items;
    int count;
};

namespace dcode {
// Clear mask (dSetClear, dClear).
inline constexpr int kClearColour = 1;
inline constexpr int kClearDepth = 2;
inline constexpr int kClearStencil = 4;

// Comparisons (dDepthFunc, dStencilFunc, dAlphaFunc); other values change nothing.
inline constexpr int kNever = 1;
inline constexpr int kAlways = 2;
inline constexpr int kLess = 3;
inline constexpr int kLessEqual = 4;
inline constexpr int kGreater = 5;
inline constexpr int kGreaterEqual = 6;
inline constexpr int kEqual = 7;
inline constexpr int kNotEqual = 8;

// Stencil operations; any other value keeps.
inline constexpr int kKeep = 1;
inline constexpr int kZero = 2;
inline constexpr int kReplace = 3;
inline constexpr int kIncrement = 4;
inline constexpr int kDecrement = 5;
inline constexpr int kInvert = 6;
inline constexpr int kIncrementWrap = 7;
inline constexpr int kDecrementWrap = 8;

// Blend factors: source in the low byte, destination in the second byte.
inline constexpr unsigned kBlendZero = 0;
inline constexpr unsigned kBlendOne = 1;
inline constexpr unsigned kBlendDstColour = 2;  // source side
inline constexpr unsigned kBlendSrcColour = 2;  // destination side
inline constexpr unsigned kBlendOneMinusDstColour = 3;
inline constexpr unsigned kBlendOneMinusSrcColour = 3;
inline constexpr unsigned kBlendSrcAlpha = 4;
inline constexpr unsigned kBlendOneMinusSrcAlpha = 5;
inline constexpr unsigned kBlendDstAlpha = 6;
inline constexpr unsigned kBlendOneMinusDstAlpha = 7;
constexpr unsigned blendMode(unsigned source, unsigned destination) {
    return (source & 0xFF) | ((destination & 0xFF) << 8);
}

// Faces and winding.
inline constexpr int kFront = 4096;
inline constexpr int kBack = 4097;
inline constexpr int kClockwise = 4098;
inline constexpr int kCounterClockwise = 4099;

// Matrix modes; the texture matrix of unit n is kTextureMatrix + n.
inline constexpr int kProjection = 1;
inline constexpr int kModelView = 2;
inline constexpr int kTextureMatrix = 16;

// Texture kinds.
inline constexpr int kTextureMap = 512;
inline constexpr int kBumpMap = 513;
inline constexpr int kCubeMap = 514;

// Pixel formats (dRegisterTexture): the channels, with a float size added for float
// images.
inline constexpr int kFormatRgb = 1;
inline constexpr int kFormatRgba = 2;
inline constexpr int kFormatLuminance = 4;
inline constexpr int kFormatHalfFloat = 16;
inline constexpr int kFormatFloat = 32;

// Texture parameters (dSetTextureParam).
inline constexpr int kTextureFilter = 304;
inline constexpr int kTextureWrapS = 305;
inline constexpr int kTextureWrapT = 306;
inline constexpr int kTextureWrapR = 307;

// Filter values: a base filter in the low nibble, a mipmap filter in the next, an
// anisotropy in the third.
inline constexpr int kFilterNearest = 0x01;
inline constexpr int kFilterLinear = 0x02;
inline constexpr int kMipmapNearest = 0x10;
inline constexpr int kMipmapLinear = 0x20;
inline constexpr int kAnisotropy2 = 0x100;
inline constexpr int kAnisotropy4 = 0x200;
inline constexpr int kAnisotropy8 = 0x300;
inline constexpr int kAnisotropy16 = 0x400;

// Wrap values.
inline constexpr int kWrapClamp = 1;
inline constexpr int kWrapRepeat = 2;
inline constexpr int kWrapMirror = 3;

// Vertex format bits.
inline constexpr int kVertexPosition = 0x1;
inline constexpr int kVertexNormal = 0x2;
inline constexpr int kVertexTangent = 0x4;
inline constexpr int kVertexColour = 0x8;
inline constexpr int kVertexTexCoord0 = 0x100;

// Vertex array memory kinds.
inline constexpr int kMemoryStatic = 288;
inline constexpr int kMemoryDynamic = 289;
inline constexpr int kMemorySystem = 290;

// The graphics API's own codes that the program passes to dVARender.
inline constexpr int kPrimitiveTriangles = 0x0004;
inline constexpr int kIndexUnsignedInt = 0x1405;

inline constexpr int kDriverIdentification = static_cast<int>(0xBADC0FFEu);
}  // namespace dcode

}  // namespace arvel
