// The driver interface, written once. Every function the loader binds, in binding
// order: X(result, name, (parameters), (arguments)). Expanded by game's table and
// loader, by the plug-in's export declarations and by the recording driver of the
// tests. Keep the order: the loader binds by position.
#pragma once

#include "driver/DriverTypes.h"

// clang-format off
#define ARVEL_DRIVER_FUNCTIONS(X)                                                                  \
    /* identification and errors */                                                                \
    X(int, dIdentifyDriver, (), ())                                                                \
    X(float, dVersionNumber, (), ())                                                               \
    X(int, dError, (), ())                                                                         \
    X(void, dClearErrors, (), ())                                                                  \
    /* display and window */                                                                       \
    X(const DResolutionList*, dGetResolutions, (), ())                                             \
    X(bool, dSetResolution, (int width, int height, int bits, int frequency),                      \
      (width, height, bits, frequency))                                                            \
    X(void, dRestoreResolution, (), ())                                                            \
    X(void, dSetVPProfile, (const char* name), (name))                                             \
    X(void, dSetFPProfile, (const char* name), (name))                                             \
    X(bool, dSetRenderWindow, (void* window, int colourBits, int depthBits, int stencilBits),      \
      (window, colourBits, depthBits, stencilBits))                                                \
    X(void, dChangeWindowSize, (int width, int height), (width, height))                           \
    X(void, dCloseDriver, (), ())                                                                  \
    /* clearing and presenting */                                                                  \
    X(void, dSetClear, (int mask), (mask))                                                         \
    X(void, dClearColor, (float r, float g, float b, float a), (r, g, b, a))                       \
    X(void, dClearDepth, (float depth), (depth))                                                   \
    X(void, dClearStencil, (int value), (value))                                                   \
    X(int, dStencilMaxVal, (), ())                                                                 \
    X(void, dClearBuffer, (), ())                                                                  \
    X(void, dSwapBuffer, (), ())                                                                   \
    /* textures */                                                                                 \
    X(int, dTextureUnits, (), ())                                                                  \
    X(void, dDisableTextureing, (int unit), (unit))                                                \
    X(void, dActivateTexture, (DTexture * texture, int unit, unsigned frame),                      \
      (texture, unit, frame))                                                                      \
    X(DTexture*, dRegisterTexture,                                                                 \
      (const void* const* images, int width, int height, int kind, int format, int imageCount,     \
       dbool mipmap, dbool exactSize, dbool compress),                                             \
      (images, width, height, kind, format, imageCount, mipmap, exactSize, compress))              \
    X(void, dRemoveTexture, (DTexture * texture), (texture))                                       \
    X(int, dSetTextureParam, (DTexture * texture, int parameter, int value),                       \
      (texture, parameter, value))                                                                 \
    X(void, dGetNormalizationFactors, (DTexture * texture, float* s, float* t), (texture, s, t))   \
    X(void, dTexGenFunc, (int index, int value), (index, value))                                   \
    X(void, dTexCombine, (), ())                                                                   \
    X(void, dGetFromScreen,                                                                        \
      (DTexture * texture, unsigned frame, int x, int y, int width, int height),                   \
      (texture, frame, x, y, width, height))                                                       \
    /* pixel shaders */                                                                            \
    X(DPixelShader*, dRegisterPixelShader, (const char* source), (source))                         \
    X(void, dDeletePixelShader, (DPixelShader * shader), (shader))                                 \
    X(void, dEnablePixelShader, (), ())                                                            \
    X(void, dDisablePixelShader, (), ())                                                           \
    X(void, dBindPixelShader, (DPixelShader * shader), (shader))                                   \
    X(int, dGetPSSwitches, (), ())                                                                 \
    /* statistics, colour and fixed state */                                                       \
    X(int, dNumRenderedTris, (), ())                                                               \
    X(void, dViewport, (int x, int y, int width, int height), (x, y, width, height))               \
    X(void, dColor3, (float r, float g, float b), (r, g, b))                                       \
    X(void, dColor4, (float r, float g, float b, float a), (r, g, b, a))                           \
    X(void, dColor3v, (const float* rgb), (rgb))                                                   \
    X(void, dColor4v, (const float* rgba), (rgba))                                                 \
    X(void, dPolygonOffset, (float factor, float units), (factor, units))                          \
    X(void, dEnableOffset, (), ())                                                                 \
    X(void, dDisableOffset, (), ())                                                                \
    X(void, dDepthFunc, (int comparison), (comparison))                                            \
    X(void, dDepthMask, (dbool write), (write))                                                    \
    X(void, dColorMask, (dbool r, dbool g, dbool b, dbool a), (r, g, b, a))                        \
    X(void, dEnableDepth, (), ())                                                                  \
    X(void, dDisableDepth, (), ())                                                                 \
    X(bool, dSeparateBlendFunc, (), ())                                                            \
    X(void, dBlendFuncSeparate, (unsigned colourMode, unsigned alphaMode),                         \
      (colourMode, alphaMode))                                                                     \
    X(void, dBlendFunc, (unsigned mode), (mode))                                                   \
    X(void, dEnableBlend, (), ())                                                                  \
    X(void, dDisableBlend, (), ())                                                                 \
    X(void, dAlphaFunc, (int comparison, float reference), (comparison, reference))                \
    X(void, dEnableAlphaTest, (), ())                                                              \
    X(void, dDisableAlphaTest, (), ())                                                             \
    X(void, dEnableCull, (), ())                                                                   \
    X(void, dDisableCull, (), ())                                                                  \
    X(void, dCullFace, (int face), (face))                                                         \
    X(void, dEnableStencil, (), ())                                                                \
    X(void, dDisableStencil, (), ())                                                               \
    X(void, dStencilFunc, (int comparison, int reference, unsigned mask),                          \
      (comparison, reference, mask))                                                               \
    X(void, dStencilOp, (int stencilFail, int depthFail, int depthPass),                           \
      (stencilFail, depthFail, depthPass))                                                         \
    X(bool, dTwoSidedStencil, (), ())                                                              \
    X(void, dEnableTwoSidedStencil, (), ())                                                        \
    X(void, dDisableTwoSidedStencil, (), ())                                                       \
    X(void, dStencilSide, (int face), (face))                                                      \
    X(void, dScissor, (int x, int y, int width, int height), (x, y, width, height))                \
    X(void, dEnableScissor, (), ())                                                                \
    X(void, dDisableScissor, (), ())                                                               \
    X(void, dWireframe, (dbool on), (on))                                                          \
    X(bool, dOcclusionCulling, (), ())                                                             \
    X(void, dEnableOcclusion, (), ())                                                              \
    X(void, dDisableOcclusion, (), ())                                                             \
    X(DOcclusionQueries*, dGenOcclusionQueries, (int count), (count))                              \
    X(void, dDeleteOcclusionQueries, (int count, DOcclusionQueries* queries), (count, queries))    \
    X(void, dBeginOcclusionQuery, (int index, DOcclusionQueries* queries), (index, queries))       \
    X(void, dEndOcclusionQuery, (), ())                                                            \
    X(int, dGetVisiblePixels, (int index, DOcclusionQueries* queries), (index, queries))           \
    X(bool, dDepthClamp, (), ())                                                                   \
    X(void, dEnableDepthClamp, (), ())                                                             \
    X(void, dDisableDepthClamp, (), ())                                                            \
    /* matrices */                                                                                 \
    X(void, dMatrixMode, (int mode), (mode))                                                       \
    X(void, dMatrix, (const float* m), (m))                                                        \
    X(void, dLoadIdentity, (), ())                                                                 \
    X(void, dPushMatrix, (), ())                                                                   \
    X(void, dPopMatrix, (), ())                                                                    \
    X(void, dOrtho, (float left, float right, float bottom, float top, float zNear, float zFar),  \
      (left, right, bottom, top, zNear, zFar))                                                     \
    X(void, dFrustum,                                                                              \
      (float left, float right, float bottom, float top, float zNear, float zFar),                 \
      (left, right, bottom, top, zNear, zFar))                                                     \
    X(void, dScale, (float x, float y, float z), (x, y, z))                                        \
    X(void, dTranslate, (float x, float y, float z), (x, y, z))                                    \
    X(void, dRotate, (float degrees, float x, float y, float z), (degrees, x, y, z))               \
    /* immediate drawing */                                                                        \
    X(void, dRenderQuad,                                                                           \
      (const RenderVertex* a, const RenderVertex* b, const RenderVertex* c, const RenderVertex* d), \
      (a, b, c, d))                                                                                \
    X(void, dRenderCoordSystem, (DVec4 origin, DVec4 xAxis, DVec4 yAxis, DVec4 zAxis),            \
      (origin, xAxis, yAxis, zAxis))                                                               \
    X(void, dRenderLine, (DVec4 from, DVec4 to), (from, to))                                       \
    /* vertex arrays */                                                                            \
    X(DVertexArray*, dVAAlloc, (int count, int format, int memoryKind), (count, format, memoryKind)) \
    X(int, dVAMemNeeded, (int count, int format), (count, format))                                 \
    X(void, dVAFree, (DVertexArray * array), (array))                                              \
    X(int, dVAMaxHWElements, (), ())                                                               \
    X(void, dVASetActiveAttribs, (int mask), (mask))                                               \
    X(void, dVAUpdateVerts, (DVertexArray * array, const DVertexList* list, int mask),             \
      (array, list, mask))                                                                         \
    X(void, dVAWriteVerts, (DVertexArray * array, const DVertexList* list), (array, list))         \
    X(void, dVABind, (DVertexArray * array), (array))                                              \
    X(void, dVARender,                                                                             \
      (DVertexArray * array, const void* indices, unsigned count, int primitive, int indexType),   \
      (array, indices, count, primitive, indexType))                                               \
    X(void, dVAWriteVertsArray, (DVertexArray * array, const RenderVertex* vertices, int count),  \
      (array, vertices, count))                                                                    \
    X(void, dVAUpdateVertsArray,                                                                   \
      (DVertexArray * array, const RenderVertex* vertices, int count, int mask),                   \
      (array, vertices, count, mask))                                                              \
    X(int, dCMisses, (), ())                                                                       \
    /* vertex programs */                                                                          \
    X(DVertexProgram*, dRegisterVertexProgram, (const char* source), (source))                     \
    X(void, dDeleteVertexProgram, (DVertexProgram * program), (program))                           \
    X(void, dBindVertexProgram, (DVertexProgram * program), (program))                             \
    X(void, dEnableVertexProgram, (), ())                                                          \
    X(void, dDisableVertexProgram, (), ())                                                         \
    X(DParameter*, dGetVertexProgramParameter, (const char* name, DVertexProgram* program),        \
      (name, program))                                                                             \
    X(void, dDeleteVertexProgramParameter, (DParameter * parameter), (parameter))                  \
    X(void, dSetVertexProgramParameter, (DParameter * parameter, const float* value),             \
      (parameter, value))                                                                          \
    X(void, dSetVertexProgramMatrix, (DParameter * parameter, const float* matrix),               \
      (parameter, matrix))                                                                         \
    X(int, dGetVPSwitches, (), ())                                                                 \
    /* pbuffers */                                                                                 \
    X(DPBuffer*, dCreatePBuffer,                                                                   \
      (int width, int height, dbool shareContext, dbool shareObjects, const char* mode),           \
      (width, height, shareContext, shareObjects, mode))                                           \
    X(void, dDeletePBuffer, (DPBuffer * pbuffer), (pbuffer))                                       \
    X(void, dBindPBufferAsRenderTarget, (DPBuffer * pbuffer), (pbuffer))                           \
    X(void, dBindPBufferAsTexture, (DPBuffer * pbuffer, int buffer), (pbuffer, buffer))            \
    X(void, dUnbindPBufferAsTexture, (DPBuffer * pbuffer, int buffer), (pbuffer, buffer))          \
    X(int, dRestoreBuffer, (DPBuffer * pbuffer), (pbuffer))

// Exported by the plug-in but never bound by the loader.
#define ARVEL_DRIVER_UNBOUND(X)                                                                    \
    X(void, dClear, (int mask), (mask))                                                            \
    X(void, dEnableSeparateBlendFunc, (), ())                                                      \
    X(void, dDisableSeparateBlendFunc, (), ())                                                     \
    X(void, dFrontFace, (int winding), (winding))                                                  \
    X(void, dRenderTriangle, (const RenderVertex* a, const RenderVertex* b, const RenderVertex* c), \
      (a, b, c))                                                                                   \
    X(void, dRenderTriStrip, (), ())                                                               \
    X(void, dRenderShadowVolume, (), ())                                                           \
    /* engine extension: reads the back buffer, rows bottom-up, 4 bytes RGBA a pixel */            \
    X(void, dReadPixels, (int x, int y, int width, int height, void* rgba),                        \
      (x, y, width, height, rgba))                                                                 \
    /* engine extension: multisampling, asked for before dSetRenderWindow chooses the */           \
    /* pixel format; dGetMultisample answers what the context has (0: none) */                     \
    X(void, dSetMultisample, (int samples), (samples))                                             \
    X(int, dGetMultisample, (), ())                                                                \
    /* engine extension: a swap waits for this many vertical refreshes (0: none); */               \
    /* false when the window system has no swap control */                                         \
    X(bool, dSetSwapInterval, (int interval), (interval))                                          \
    /* engine extension: why the last program registered did not compile ("" after one */          \
    /* that did), for the caller to report or not */                                               \
    X(const char*, dProgramLog, (), ())
// clang-format on

namespace arvel {
namespace detail {
#define ARVEL_COUNT_ONE(ret, name, params, args) +1
inline constexpr int kDriverFunctionCount = 0 ARVEL_DRIVER_FUNCTIONS(ARVEL_COUNT_ONE);
#undef ARVEL_COUNT_ONE
}  // namespace detail
static_assert(detail::kDriverFunctionCount == 124, "the driver interface binds 124 names");
}  // namespace arvel
