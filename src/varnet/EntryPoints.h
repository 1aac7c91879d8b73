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
    X(ARB_occlusion_query, PFNGLGETQUERYOBJECTUIVARBPROC, glGetQueryObjectuivARB)               \
    /* programs: ARB assembly, and GLSL (GL 2.0 shaders, separable programs) */                 \
    X(ARB_vertex_program, PFNGLPROGRAMSTRINGARBPROC, glProgramStringARB)                        \
    X(ARB_vertex_program, PFNGLBINDPROGRAMARBPROC, glBindProgramARB)                            \
    X(ARB_vertex_program, PFNGLDELETEPROGRAMSARBPROC, glDeleteProgramsARB)                      \
    X(ARB_vertex_program, PFNGLGENPROGRAMSARBPROC, glGenProgramsARB)                            \
    X(ARB_vertex_program, PFNGLPROGRAMLOCALPARAMETER4FVARBPROC, glProgramLocalParameter4fvARB)  \
    X(ARB_vertex_program, PFNGLGETPROGRAMIVARBPROC, glGetProgramivARB)                          \
    X(ARB_separate_shader_objects, PFNGLCREATESHADERPROC, glCreateShader)                       \
    X(ARB_separate_shader_objects, PFNGLSHADERSOURCEPROC, glShaderSource)                       \
    X(ARB_separate_shader_objects, PFNGLCOMPILESHADERPROC, glCompileShader)                     \
    X(ARB_separate_shader_objects, PFNGLGETSHADERIVPROC, glGetShaderiv)                         \
    X(ARB_separate_shader_objects, PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)               \
    X(ARB_separate_shader_objects, PFNGLDELETESHADERPROC, glDeleteShader)                       \
    X(ARB_separate_shader_objects, PFNGLCREATEPROGRAMPROC, glCreateProgram)                     \
    X(ARB_separate_shader_objects, PFNGLATTACHSHADERPROC, glAttachShader)                       \
    X(ARB_separate_shader_objects, PFNGLDETACHSHADERPROC, glDetachShader)                       \
    X(ARB_separate_shader_objects, PFNGLLINKPROGRAMPROC, glLinkProgram)                         \
    X(ARB_separate_shader_objects, PFNGLGETPROGRAMIVPROC, glGetProgramiv)                       \
    X(ARB_separate_shader_objects, PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)             \
    X(ARB_separate_shader_objects, PFNGLDELETEPROGRAMPROC, glDeleteProgram)                     \
    X(ARB_separate_shader_objects, PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)           \
    X(ARB_separate_shader_objects, PFNGLGETACTIVEUNIFORMPROC, glGetActiveUniform)               \
    X(ARB_separate_shader_objects, PFNGLPROGRAMPARAMETERIPROC, glProgramParameteri)             \
    X(ARB_separate_shader_objects, PFNGLGENPROGRAMPIPELINESPROC, glGenProgramPipelines)         \
    X(ARB_separate_shader_objects, PFNGLDELETEPROGRAMPIPELINESPROC, glDeleteProgramPipelines)   \
    X(ARB_separate_shader_objects, PFNGLBINDPROGRAMPIPELINEPROC, glBindProgramPipeline)         \
    X(ARB_separate_shader_objects, PFNGLISPROGRAMPIPELINEPROC, glIsProgramPipeline)             \
    X(ARB_separate_shader_objects, PFNGLUSEPROGRAMSTAGESPROC, glUseProgramStages)               \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1IPROC, glProgramUniform1i)               \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1FVPROC, glProgramUniform1fv)             \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2FVPROC, glProgramUniform2fv)             \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3FVPROC, glProgramUniform3fv)             \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4FVPROC, glProgramUniform4fv)             \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2FVPROC, glProgramUniformMatrix2fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3FVPROC, glProgramUniformMatrix3fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4FVPROC, glProgramUniformMatrix4fv) \
    /* pbuffers as framebuffer objects */                                                       \
    X(ARB_framebuffer_object, PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                      \
    X(ARB_framebuffer_object, PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                \
    X(ARB_framebuffer_object, PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                      \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)            \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)      \
    X(ARB_framebuffer_object, PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)        \
    X(ARB_framebuffer_object, PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                    \
    X(ARB_framebuffer_object, PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)              \
    X(ARB_framebuffer_object, PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                    \
    X(ARB_framebuffer_object, PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)              \
    X(ARB_framebuffer_object, PFNGLGENERATEMIPMAPPROC, glGenerateMipmap)                        \
    X(ARB_framebuffer_object, PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, glRenderbufferStorageMultisample) \
    X(ARB_framebuffer_object, PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)                      \
    X(EXT_framebuffer_object, PFNGLGENFRAMEBUFFERSEXTPROC, glGenFramebuffersEXT)                \
    X(EXT_framebuffer_object, PFNGLDELETEFRAMEBUFFERSEXTPROC, glDeleteFramebuffersEXT)          \
    X(EXT_framebuffer_object, PFNGLBINDFRAMEBUFFEREXTPROC, glBindFramebufferEXT)                \
    X(EXT_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE2DEXTPROC, glFramebufferTexture2DEXT)      \
    X(EXT_framebuffer_object, PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC, glFramebufferRenderbufferEXT) \
    X(EXT_framebuffer_object, PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC, glCheckFramebufferStatusEXT)  \
    X(EXT_framebuffer_object, PFNGLGENRENDERBUFFERSEXTPROC, glGenRenderbuffersEXT)              \
    X(EXT_framebuffer_object, PFNGLDELETERENDERBUFFERSEXTPROC, glDeleteRenderbuffersEXT)        \
    X(EXT_framebuffer_object, PFNGLBINDRENDERBUFFEREXTPROC, glBindRenderbufferEXT)              \
    X(EXT_framebuffer_object, PFNGLRENDERBUFFERSTORAGEEXTPROC, glRenderbufferStorageEXT)        \
    X(EXT_framebuffer_object, PFNGLGENERATEMIPMAPEXTPROC, glGenerateMipmapEXT)

namespace arvel::varnet {

struct EntryPoints {
#define VARNET_ENTRY(group, type, name) type name = nullptr;
    VARNET_GL_ENTRY_POINTS(VARNET_ENTRY)
#undef VARNET_ENTRY
};

extern EntryPoints gl;

}  // namespace arvel::varnet
