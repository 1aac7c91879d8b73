// Entry points fetched by initialiseExtensions(), one X-macro list:
// X(group, type, name), where group names the gExt member that must be set for
// the entry point to be fetched (an extension without its "GL_" prefix, wgl.NAME for a window-system extension, or
// version12/13/14 for core additions).
// Entries are fetched in list order: ARB, EXT, ATI and NV extensions, then core
// versions, then what the plug-in uses beyond the classic list (grouped under extra
// flags of Extensions). Add an entry here before calling a function through gl.
#pragma once

#include "varnet/Extensions.h"

#define VARNET_GL_ENTRY_POINTS(X)                                                                  \
    X(ARB_multitexture, PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)                          \
    X(ARB_multitexture, PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB)              \
    X(ARB_vertex_buffer_object, PFNGLBINDBUFFERARBPROC, glBindBufferARB)                        \
    X(ARB_vertex_buffer_object, PFNGLDELETEBUFFERSARBPROC, glDeleteBuffersARB)                  \
    X(ARB_vertex_buffer_object, PFNGLGENBUFFERSARBPROC, glGenBuffersARB)                        \
    X(ARB_vertex_buffer_object, PFNGLISBUFFERARBPROC, glIsBufferARB)                            \
    X(ARB_vertex_buffer_object, PFNGLBUFFERDATAARBPROC, glBufferDataARB)                        \
    X(ARB_vertex_buffer_object, PFNGLBUFFERSUBDATAARBPROC, glBufferSubDataARB)                  \
    X(ARB_vertex_buffer_object, PFNGLGETBUFFERSUBDATAARBPROC, glGetBufferSubDataARB)            \
    X(ARB_vertex_buffer_object, PFNGLMAPBUFFERARBPROC, glMapBufferARB)                          \
    X(ARB_vertex_buffer_object, PFNGLUNMAPBUFFERARBPROC, glUnmapBufferARB)                      \
    X(ARB_vertex_buffer_object, PFNGLGETBUFFERPARAMETERIVARBPROC, glGetBufferParameterivARB)    \
    X(ARB_vertex_buffer_object, PFNGLGETBUFFERPOINTERVARBPROC, glGetBufferPointervARB)          \
    X(EXT_blend_func_separate, PFNGLBLENDFUNCSEPARATEEXTPROC, glBlendFuncSeparateEXT)           \
    X(EXT_stencil_two_side, PFNGLACTIVESTENCILFACEEXTPROC, glActiveStencilFaceEXT)              \
    X(NV_occlusion_query, PFNGLGENOCCLUSIONQUERIESNVPROC, glGenOcclusionQueriesNV)              \
    X(NV_occlusion_query, PFNGLDELETEOCCLUSIONQUERIESNVPROC, glDeleteOcclusionQueriesNV)        \
    X(NV_occlusion_query, PFNGLBEGINOCCLUSIONQUERYNVPROC, glBeginOcclusionQueryNV)              \
    X(NV_occlusion_query, PFNGLENDOCCLUSIONQUERYNVPROC, glEndOcclusionQueryNV)                  \
    X(NV_occlusion_query, PFNGLGETOCCLUSIONQUERYUIVNVPROC, glGetOcclusionQueryuivNV)            \
    X(ARB_occlusion_query, PFNGLGENQUERIESARBPROC, glGenQueriesARB)                             \
    X(ARB_occlusion_query, PFNGLDELETEQUERIESARBPROC, glDeleteQueriesARB)                       \
    X(ARB_occlusion_query, PFNGLBEGINQUERYARBPROC, glBeginQueryARB)                             \
    X(ARB_occlusion_query, PFNGLENDQUERYARBPROC, glEndQueryARB)                                 \
    X(ARB_occlusion_query, PFNGLGETQUERYOBJECTUIVARBPROC, glGetQueryObjectuivARB)

namespace arvel::varnet {

struct EntryPoints {
#define VARNET_ENTRY(group, type, name) type name = nullptr;
    VARNET_GL_ENTRY_POINTS(VARNET_ENTRY)
#undef VARNET_ENTRY
};

extern EntryPoints gl;

}  // namespace arvel::varnet
