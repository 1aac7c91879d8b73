// Entry points fetched by initialiseExtensions(), one X-macro list: X(group, type, name).
// group is the gExt member that must be set for the entry point to be fetched: an
// extension without its "GL_" prefix, version12 ... version20 for core additions, or a
// combined.* flag for functions with more than one definer. Entries are fetched in list
// order: ARB, EXT, ATI and NV extensions, then the core additions, then what the
// plug-in uses beyond the classic list. A function is called through gl only after its
// group's flag has been tested; add an entry here before using a new function.
#pragma once

#include "varnet/Extensions.h"

// Types the system headers may hide: gl.h claims OpenGL 1.2 and 1.3 without declaring
// every function type of them, and GL_NV_element_array is missing from glext.h.
typedef void(APIENTRYP PFNGLCOLORTABLEPROC)(GLenum target, GLenum internalformat, GLsizei width,
                                            GLenum format, GLenum type, const void* table);
typedef void(APIENTRYP PFNGLCOLORTABLEPARAMETERFVPROC)(GLenum target, GLenum pname,
                                                       const GLfloat* params);
typedef void(APIENTRYP PFNGLCOLORTABLEPARAMETERIVPROC)(GLenum target, GLenum pname,
                                                       const GLint* params);
typedef void(APIENTRYP PFNGLCOPYCOLORTABLEPROC)(GLenum target, GLenum internalformat, GLint x,
                                                GLint y, GLsizei width);
typedef void(APIENTRYP PFNGLGETCOLORTABLEPROC)(GLenum target, GLenum format, GLenum type,
                                               void* table);
typedef void(APIENTRYP PFNGLGETCOLORTABLEPARAMETERFVPROC)(GLenum target, GLenum pname,
                                                          GLfloat* params);
typedef void(APIENTRYP PFNGLGETCOLORTABLEPARAMETERIVPROC)(GLenum target, GLenum pname,
                                                          GLint* params);
typedef void(APIENTRYP PFNGLCOLORSUBTABLEPROC)(GLenum target, GLsizei start, GLsizei count,
                                               GLenum format, GLenum type, const void* data);
typedef void(APIENTRYP PFNGLCOPYCOLORSUBTABLEPROC)(GLenum target, GLsizei start, GLint x, GLint y,
                                                   GLsizei width);
typedef void(APIENTRYP PFNGLCONVOLUTIONFILTER1DPROC)(GLenum target, GLenum internalformat,
                                                     GLsizei width, GLenum format, GLenum type,
                                                     const void* image);
typedef void(APIENTRYP PFNGLCONVOLUTIONFILTER2DPROC)(GLenum target, GLenum internalformat,
                                                     GLsizei width, GLsizei height, GLenum format,
                                                     GLenum type, const void* image);
typedef void(APIENTRYP PFNGLCONVOLUTIONPARAMETERFPROC)(GLenum target, GLenum pname, GLfloat params);
typedef void(APIENTRYP PFNGLCONVOLUTIONPARAMETERFVPROC)(GLenum target, GLenum pname,
                                                        const GLfloat* params);
typedef void(APIENTRYP PFNGLCONVOLUTIONPARAMETERIPROC)(GLenum target, GLenum pname, GLint params);
typedef void(APIENTRYP PFNGLCONVOLUTIONPARAMETERIVPROC)(GLenum target, GLenum pname,
                                                        const GLint* params);
typedef void(APIENTRYP PFNGLCOPYCONVOLUTIONFILTER1DPROC)(GLenum target, GLenum internalformat,
                                                         GLint x, GLint y, GLsizei width);
typedef void(APIENTRYP PFNGLCOPYCONVOLUTIONFILTER2DPROC)(GLenum target, GLenum internalformat,
                                                         GLint x, GLint y, GLsizei width,
                                                         GLsizei height);
typedef void(APIENTRYP PFNGLGETCONVOLUTIONFILTERPROC)(GLenum target, GLenum format, GLenum type,
                                                      void* image);
typedef void(APIENTRYP PFNGLGETCONVOLUTIONPARAMETERFVPROC)(GLenum target, GLenum pname,
                                                           GLfloat* params);
typedef void(APIENTRYP PFNGLGETCONVOLUTIONPARAMETERIVPROC)(GLenum target, GLenum pname,
                                                           GLint* params);
typedef void(APIENTRYP PFNGLGETSEPARABLEFILTERPROC)(GLenum target, GLenum format, GLenum type,
                                                    void* row, void* column, void* span);
typedef void(APIENTRYP PFNGLSEPARABLEFILTER2DPROC)(GLenum target, GLenum internalformat,
                                                   GLsizei width, GLsizei height, GLenum format,
                                                   GLenum type, const void* row,
                                                   const void* column);
typedef void(APIENTRYP PFNGLGETHISTOGRAMPROC)(GLenum target, GLboolean reset, GLenum format,
                                              GLenum type, void* values);
typedef void(APIENTRYP PFNGLGETHISTOGRAMPARAMETERFVPROC)(GLenum target, GLenum pname,
                                                         GLfloat* params);
typedef void(APIENTRYP PFNGLGETHISTOGRAMPARAMETERIVPROC)(GLenum target, GLenum pname,
                                                         GLint* params);
typedef void(APIENTRYP PFNGLGETMINMAXPROC)(GLenum target, GLboolean reset, GLenum format,
                                           GLenum type, void* values);
typedef void(APIENTRYP PFNGLGETMINMAXPARAMETERFVPROC)(GLenum target, GLenum pname, GLfloat* params);
typedef void(APIENTRYP PFNGLGETMINMAXPARAMETERIVPROC)(GLenum target, GLenum pname, GLint* params);
typedef void(APIENTRYP PFNGLHISTOGRAMPROC)(GLenum target, GLsizei width, GLenum internalformat,
                                           GLboolean sink);
typedef void(APIENTRYP PFNGLMINMAXPROC)(GLenum target, GLenum internalformat, GLboolean sink);
typedef void(APIENTRYP PFNGLRESETHISTOGRAMPROC)(GLenum target);
typedef void(APIENTRYP PFNGLRESETMINMAXPROC)(GLenum target);
typedef void(APIENTRYP PFNGLCLIENTACTIVETEXTUREPROC)(GLenum texture);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1DPROC)(GLenum target, GLdouble s);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1DVPROC)(GLenum target, const GLdouble* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1FPROC)(GLenum target, GLfloat s);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1FVPROC)(GLenum target, const GLfloat* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1IPROC)(GLenum target, GLint s);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1IVPROC)(GLenum target, const GLint* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1SPROC)(GLenum target, GLshort s);
typedef void(APIENTRYP PFNGLMULTITEXCOORD1SVPROC)(GLenum target, const GLshort* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2DPROC)(GLenum target, GLdouble s, GLdouble t);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2DVPROC)(GLenum target, const GLdouble* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2FPROC)(GLenum target, GLfloat s, GLfloat t);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2FVPROC)(GLenum target, const GLfloat* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2IPROC)(GLenum target, GLint s, GLint t);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2IVPROC)(GLenum target, const GLint* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2SPROC)(GLenum target, GLshort s, GLshort t);
typedef void(APIENTRYP PFNGLMULTITEXCOORD2SVPROC)(GLenum target, const GLshort* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3DPROC)(GLenum target, GLdouble s, GLdouble t, GLdouble r);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3DVPROC)(GLenum target, const GLdouble* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3FPROC)(GLenum target, GLfloat s, GLfloat t, GLfloat r);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3FVPROC)(GLenum target, const GLfloat* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3IPROC)(GLenum target, GLint s, GLint t, GLint r);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3IVPROC)(GLenum target, const GLint* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3SPROC)(GLenum target, GLshort s, GLshort t, GLshort r);
typedef void(APIENTRYP PFNGLMULTITEXCOORD3SVPROC)(GLenum target, const GLshort* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4DPROC)(GLenum target, GLdouble s, GLdouble t, GLdouble r,
                                                 GLdouble q);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4DVPROC)(GLenum target, const GLdouble* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4FPROC)(GLenum target, GLfloat s, GLfloat t, GLfloat r,
                                                 GLfloat q);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4FVPROC)(GLenum target, const GLfloat* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4IPROC)(GLenum target, GLint s, GLint t, GLint r, GLint q);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4IVPROC)(GLenum target, const GLint* v);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4SPROC)(GLenum target, GLshort s, GLshort t, GLshort r,
                                                 GLshort q);
typedef void(APIENTRYP PFNGLMULTITEXCOORD4SVPROC)(GLenum target, const GLshort* v);
typedef void(APIENTRYP PFNGLLOADTRANSPOSEMATRIXFPROC)(const GLfloat* m);
typedef void(APIENTRYP PFNGLLOADTRANSPOSEMATRIXDPROC)(const GLdouble* m);
typedef void(APIENTRYP PFNGLMULTTRANSPOSEMATRIXFPROC)(const GLfloat* m);
typedef void(APIENTRYP PFNGLMULTTRANSPOSEMATRIXDPROC)(const GLdouble* m);
typedef void(APIENTRYP PFNGLELEMENTPOINTERNVPROC)(GLenum type, const void* pointer);
typedef void(APIENTRYP PFNGLDRAWELEMENTARRAYNVPROC)(GLenum mode, GLint first, GLsizei count);
typedef void(APIENTRYP PFNGLDRAWRANGEELEMENTARRAYNVPROC)(GLenum mode, GLuint start, GLuint end,
                                                         GLint first, GLsizei count);
typedef void(APIENTRYP PFNGLMULTIDRAWELEMENTARRAYNVPROC)(GLenum mode, const GLint* first,
                                                         const GLsizei* count, GLsizei primcount);
typedef void(APIENTRYP PFNGLMULTIDRAWRANGEELEMENTARRAYNVPROC)(GLenum mode, GLuint start, GLuint end,
                                                              const GLint* first,
                                                              const GLsizei* count,
                                                              GLsizei primcount);

// clang-format off
#define VARNET_GL_ENTRY_POINTS(X)                                                                  \
    /* extensions of the classic list: ARB, EXT, ATI, NV */                                        \
    X(combined.ARB_program, PFNGLPROGRAMSTRINGARBPROC, glProgramStringARB)                         \
    X(combined.ARB_program, PFNGLBINDPROGRAMARBPROC, glBindProgramARB)                             \
    X(combined.ARB_program, PFNGLDELETEPROGRAMSARBPROC, glDeleteProgramsARB)                       \
    X(combined.ARB_program, PFNGLGENPROGRAMSARBPROC, glGenProgramsARB)                             \
    X(combined.ARB_program, PFNGLPROGRAMENVPARAMETER4DARBPROC, glProgramEnvParameter4dARB)         \
    X(combined.ARB_program, PFNGLPROGRAMENVPARAMETER4DVARBPROC, glProgramEnvParameter4dvARB)       \
    X(combined.ARB_program, PFNGLPROGRAMENVPARAMETER4FARBPROC, glProgramEnvParameter4fARB)         \
    X(combined.ARB_program, PFNGLPROGRAMENVPARAMETER4FVARBPROC, glProgramEnvParameter4fvARB)       \
    X(combined.ARB_program, PFNGLPROGRAMLOCALPARAMETER4DARBPROC, glProgramLocalParameter4dARB)     \
    X(combined.ARB_program, PFNGLPROGRAMLOCALPARAMETER4DVARBPROC, glProgramLocalParameter4dvARB)   \
    X(combined.ARB_program, PFNGLPROGRAMLOCALPARAMETER4FARBPROC, glProgramLocalParameter4fARB)     \
    X(combined.ARB_program, PFNGLPROGRAMLOCALPARAMETER4FVARBPROC, glProgramLocalParameter4fvARB)   \
    X(combined.ARB_program, PFNGLGETPROGRAMENVPARAMETERDVARBPROC, glGetProgramEnvParameterdvARB)   \
    X(combined.ARB_program, PFNGLGETPROGRAMENVPARAMETERFVARBPROC, glGetProgramEnvParameterfvARB)   \
    X(combined.ARB_program, PFNGLGETPROGRAMLOCALPARAMETERDVARBPROC, glGetProgramLocalParameterdvARB) \
    X(combined.ARB_program, PFNGLGETPROGRAMLOCALPARAMETERFVARBPROC, glGetProgramLocalParameterfvARB) \
    X(combined.ARB_program, PFNGLGETPROGRAMIVARBPROC, glGetProgramivARB)                           \
    X(combined.ARB_program, PFNGLGETPROGRAMSTRINGARBPROC, glGetProgramStringARB)                   \
    X(combined.ARB_program, PFNGLISPROGRAMARBPROC, glIsProgramARB)                                 \
    X(ARB_imaging, PFNGLCOLORTABLEPROC, glColorTable)                                              \
    X(ARB_imaging, PFNGLCOLORTABLEPARAMETERFVPROC, glColorTableParameterfv)                        \
    X(ARB_imaging, PFNGLCOLORTABLEPARAMETERIVPROC, glColorTableParameteriv)                        \
    X(ARB_imaging, PFNGLCOPYCOLORTABLEPROC, glCopyColorTable)                                      \
    X(ARB_imaging, PFNGLGETCOLORTABLEPROC, glGetColorTable)                                        \
    X(ARB_imaging, PFNGLGETCOLORTABLEPARAMETERFVPROC, glGetColorTableParameterfv)                  \
    X(ARB_imaging, PFNGLGETCOLORTABLEPARAMETERIVPROC, glGetColorTableParameteriv)                  \
    X(ARB_imaging, PFNGLCOLORSUBTABLEPROC, glColorSubTable)                                        \
    X(ARB_imaging, PFNGLCOPYCOLORSUBTABLEPROC, glCopyColorSubTable)                                \
    X(ARB_imaging, PFNGLCONVOLUTIONFILTER1DPROC, glConvolutionFilter1D)                            \
    X(ARB_imaging, PFNGLCONVOLUTIONFILTER2DPROC, glConvolutionFilter2D)                            \
    X(ARB_imaging, PFNGLCONVOLUTIONPARAMETERFPROC, glConvolutionParameterf)                        \
    X(ARB_imaging, PFNGLCONVOLUTIONPARAMETERFVPROC, glConvolutionParameterfv)                      \
    X(ARB_imaging, PFNGLCONVOLUTIONPARAMETERIPROC, glConvolutionParameteri)                        \
    X(ARB_imaging, PFNGLCONVOLUTIONPARAMETERIVPROC, glConvolutionParameteriv)                      \
    X(ARB_imaging, PFNGLCOPYCONVOLUTIONFILTER1DPROC, glCopyConvolutionFilter1D)                    \
    X(ARB_imaging, PFNGLCOPYCONVOLUTIONFILTER2DPROC, glCopyConvolutionFilter2D)                    \
    X(ARB_imaging, PFNGLGETCONVOLUTIONFILTERPROC, glGetConvolutionFilter)                          \
    X(ARB_imaging, PFNGLGETCONVOLUTIONPARAMETERFVPROC, glGetConvolutionParameterfv)                \
    X(ARB_imaging, PFNGLGETCONVOLUTIONPARAMETERIVPROC, glGetConvolutionParameteriv)                \
    X(ARB_imaging, PFNGLGETSEPARABLEFILTERPROC, glGetSeparableFilter)                              \
    X(ARB_imaging, PFNGLSEPARABLEFILTER2DPROC, glSeparableFilter2D)                                \
    X(ARB_imaging, PFNGLGETHISTOGRAMPROC, glGetHistogram)                                          \
    X(ARB_imaging, PFNGLGETHISTOGRAMPARAMETERFVPROC, glGetHistogramParameterfv)                    \
    X(ARB_imaging, PFNGLGETHISTOGRAMPARAMETERIVPROC, glGetHistogramParameteriv)                    \
    X(ARB_imaging, PFNGLGETMINMAXPROC, glGetMinmax)                                                \
    X(ARB_imaging, PFNGLGETMINMAXPARAMETERFVPROC, glGetMinmaxParameterfv)                          \
    X(ARB_imaging, PFNGLGETMINMAXPARAMETERIVPROC, glGetMinmaxParameteriv)                          \
    X(ARB_imaging, PFNGLHISTOGRAMPROC, glHistogram)                                                \
    X(ARB_imaging, PFNGLMINMAXPROC, glMinmax)                                                      \
    X(ARB_imaging, PFNGLRESETHISTOGRAMPROC, glResetHistogram)                                      \
    X(ARB_imaging, PFNGLRESETMINMAXPROC, glResetMinmax)                                            \
    X(ARB_matrix_palette, PFNGLCURRENTPALETTEMATRIXARBPROC, glCurrentPaletteMatrixARB)             \
    X(ARB_matrix_palette, PFNGLMATRIXINDEXUBVARBPROC, glMatrixIndexubvARB)                         \
    X(ARB_matrix_palette, PFNGLMATRIXINDEXUSVARBPROC, glMatrixIndexusvARB)                         \
    X(ARB_matrix_palette, PFNGLMATRIXINDEXUIVARBPROC, glMatrixIndexuivARB)                         \
    X(ARB_matrix_palette, PFNGLMATRIXINDEXPOINTERARBPROC, glMatrixIndexPointerARB)                 \
    X(ARB_multisample, PFNGLSAMPLECOVERAGEARBPROC, glSampleCoverageARB)                            \
    X(ARB_multitexture, PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)                             \
    X(ARB_multitexture, PFNGLCLIENTACTIVETEXTUREARBPROC, glClientActiveTextureARB)                 \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1DARBPROC, glMultiTexCoord1dARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1DVARBPROC, glMultiTexCoord1dvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1FARBPROC, glMultiTexCoord1fARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1FVARBPROC, glMultiTexCoord1fvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1IARBPROC, glMultiTexCoord1iARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1IVARBPROC, glMultiTexCoord1ivARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1SARBPROC, glMultiTexCoord1sARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD1SVARBPROC, glMultiTexCoord1svARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2DARBPROC, glMultiTexCoord2dARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2DVARBPROC, glMultiTexCoord2dvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2fARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2FVARBPROC, glMultiTexCoord2fvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2IARBPROC, glMultiTexCoord2iARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2IVARBPROC, glMultiTexCoord2ivARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2SARBPROC, glMultiTexCoord2sARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD2SVARBPROC, glMultiTexCoord2svARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3DARBPROC, glMultiTexCoord3dARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3DVARBPROC, glMultiTexCoord3dvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3FARBPROC, glMultiTexCoord3fARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3FVARBPROC, glMultiTexCoord3fvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3IARBPROC, glMultiTexCoord3iARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3IVARBPROC, glMultiTexCoord3ivARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3SARBPROC, glMultiTexCoord3sARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD3SVARBPROC, glMultiTexCoord3svARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4DARBPROC, glMultiTexCoord4dARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4DVARBPROC, glMultiTexCoord4dvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4FARBPROC, glMultiTexCoord4fARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4FVARBPROC, glMultiTexCoord4fvARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4IARBPROC, glMultiTexCoord4iARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4IVARBPROC, glMultiTexCoord4ivARB)                       \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4SARBPROC, glMultiTexCoord4sARB)                         \
    X(ARB_multitexture, PFNGLMULTITEXCOORD4SVARBPROC, glMultiTexCoord4svARB)                       \
    X(ARB_point_parameters, PFNGLPOINTPARAMETERFARBPROC, glPointParameterfARB)                     \
    X(ARB_point_parameters, PFNGLPOINTPARAMETERFVARBPROC, glPointParameterfvARB)                   \
    X(ARB_texture_compression, PFNGLCOMPRESSEDTEXIMAGE3DARBPROC, glCompressedTexImage3DARB)        \
    X(ARB_texture_compression, PFNGLCOMPRESSEDTEXIMAGE2DARBPROC, glCompressedTexImage2DARB)        \
    X(ARB_texture_compression, PFNGLCOMPRESSEDTEXIMAGE1DARBPROC, glCompressedTexImage1DARB)        \
    X(ARB_texture_compression, PFNGLCOMPRESSEDTEXSUBIMAGE3DARBPROC, glCompressedTexSubImage3DARB)  \
    X(ARB_texture_compression, PFNGLCOMPRESSEDTEXSUBIMAGE2DARBPROC, glCompressedTexSubImage2DARB)  \
    X(ARB_texture_compression, PFNGLCOMPRESSEDTEXSUBIMAGE1DARBPROC, glCompressedTexSubImage1DARB)  \
    X(ARB_texture_compression, PFNGLGETCOMPRESSEDTEXIMAGEARBPROC, glGetCompressedTexImageARB)      \
    X(ARB_transpose_matrix, PFNGLLOADTRANSPOSEMATRIXFARBPROC, glLoadTransposeMatrixfARB)           \
    X(ARB_transpose_matrix, PFNGLLOADTRANSPOSEMATRIXDARBPROC, glLoadTransposeMatrixdARB)           \
    X(ARB_transpose_matrix, PFNGLMULTTRANSPOSEMATRIXFARBPROC, glMultTransposeMatrixfARB)           \
    X(ARB_transpose_matrix, PFNGLMULTTRANSPOSEMATRIXDARBPROC, glMultTransposeMatrixdARB)           \
    X(ARB_vertex_blend, PFNGLWEIGHTBVARBPROC, glWeightbvARB)                                       \
    X(ARB_vertex_blend, PFNGLWEIGHTSVARBPROC, glWeightsvARB)                                       \
    X(ARB_vertex_blend, PFNGLWEIGHTIVARBPROC, glWeightivARB)                                       \
    X(ARB_vertex_blend, PFNGLWEIGHTFVARBPROC, glWeightfvARB)                                       \
    X(ARB_vertex_blend, PFNGLWEIGHTDVARBPROC, glWeightdvARB)                                       \
    X(ARB_vertex_blend, PFNGLWEIGHTUBVARBPROC, glWeightubvARB)                                     \
    X(ARB_vertex_blend, PFNGLWEIGHTUSVARBPROC, glWeightusvARB)                                     \
    X(ARB_vertex_blend, PFNGLWEIGHTUIVARBPROC, glWeightuivARB)                                     \
    X(ARB_vertex_blend, PFNGLWEIGHTPOINTERARBPROC, glWeightPointerARB)                             \
    X(ARB_vertex_blend, PFNGLVERTEXBLENDARBPROC, glVertexBlendARB)                                 \
    X(ARB_vertex_buffer_object, PFNGLBINDBUFFERARBPROC, glBindBufferARB)                           \
    X(ARB_vertex_buffer_object, PFNGLDELETEBUFFERSARBPROC, glDeleteBuffersARB)                     \
    X(ARB_vertex_buffer_object, PFNGLGENBUFFERSARBPROC, glGenBuffersARB)                           \
    X(ARB_vertex_buffer_object, PFNGLISBUFFERARBPROC, glIsBufferARB)                               \
    X(ARB_vertex_buffer_object, PFNGLBUFFERDATAARBPROC, glBufferDataARB)                           \
    X(ARB_vertex_buffer_object, PFNGLBUFFERSUBDATAARBPROC, glBufferSubDataARB)                     \
    X(ARB_vertex_buffer_object, PFNGLGETBUFFERSUBDATAARBPROC, glGetBufferSubDataARB)               \
    X(ARB_vertex_buffer_object, PFNGLMAPBUFFERARBPROC, glMapBufferARB)                             \
    X(ARB_vertex_buffer_object, PFNGLUNMAPBUFFERARBPROC, glUnmapBufferARB)                         \
    X(ARB_vertex_buffer_object, PFNGLGETBUFFERPARAMETERIVARBPROC, glGetBufferParameterivARB)       \
    X(ARB_vertex_buffer_object, PFNGLGETBUFFERPOINTERVARBPROC, glGetBufferPointervARB)             \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB1DARBPROC, glVertexAttrib1dARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB1DVARBPROC, glVertexAttrib1dvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB1FARBPROC, glVertexAttrib1fARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB1FVARBPROC, glVertexAttrib1fvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB1SARBPROC, glVertexAttrib1sARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB1SVARBPROC, glVertexAttrib1svARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB2DARBPROC, glVertexAttrib2dARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB2DVARBPROC, glVertexAttrib2dvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB2FARBPROC, glVertexAttrib2fARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB2FVARBPROC, glVertexAttrib2fvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB2SARBPROC, glVertexAttrib2sARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB2SVARBPROC, glVertexAttrib2svARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB3DARBPROC, glVertexAttrib3dARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB3DVARBPROC, glVertexAttrib3dvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB3FARBPROC, glVertexAttrib3fARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB3FVARBPROC, glVertexAttrib3fvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB3SARBPROC, glVertexAttrib3sARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB3SVARBPROC, glVertexAttrib3svARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NBVARBPROC, glVertexAttrib4NbvARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NIVARBPROC, glVertexAttrib4NivARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NSVARBPROC, glVertexAttrib4NsvARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NUBARBPROC, glVertexAttrib4NubARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NUBVARBPROC, glVertexAttrib4NubvARB)                   \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NUIVARBPROC, glVertexAttrib4NuivARB)                   \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4NUSVARBPROC, glVertexAttrib4NusvARB)                   \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4BVARBPROC, glVertexAttrib4bvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4DARBPROC, glVertexAttrib4dARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4DVARBPROC, glVertexAttrib4dvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4FARBPROC, glVertexAttrib4fARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4FVARBPROC, glVertexAttrib4fvARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4IVARBPROC, glVertexAttrib4ivARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4SARBPROC, glVertexAttrib4sARB)                         \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4SVARBPROC, glVertexAttrib4svARB)                       \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4UBVARBPROC, glVertexAttrib4ubvARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4UIVARBPROC, glVertexAttrib4uivARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIB4USVARBPROC, glVertexAttrib4usvARB)                     \
    X(ARB_vertex_program, PFNGLVERTEXATTRIBPOINTERARBPROC, glVertexAttribPointerARB)               \
    X(ARB_vertex_program, PFNGLENABLEVERTEXATTRIBARRAYARBPROC, glEnableVertexAttribArrayARB)       \
    X(ARB_vertex_program, PFNGLDISABLEVERTEXATTRIBARRAYARBPROC, glDisableVertexAttribArrayARB)     \
    X(ARB_vertex_program, PFNGLGETVERTEXATTRIBDVARBPROC, glGetVertexAttribdvARB)                   \
    X(ARB_vertex_program, PFNGLGETVERTEXATTRIBFVARBPROC, glGetVertexAttribfvARB)                   \
    X(ARB_vertex_program, PFNGLGETVERTEXATTRIBIVARBPROC, glGetVertexAttribivARB)                   \
    X(ARB_vertex_program, PFNGLGETVERTEXATTRIBPOINTERVARBPROC, glGetVertexAttribPointervARB)       \
    X(ARB_window_pos, PFNGLWINDOWPOS2DARBPROC, glWindowPos2dARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS2DVARBPROC, glWindowPos2dvARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS2FARBPROC, glWindowPos2fARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS2FVARBPROC, glWindowPos2fvARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS2IARBPROC, glWindowPos2iARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS2IVARBPROC, glWindowPos2ivARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS2SARBPROC, glWindowPos2sARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS2SVARBPROC, glWindowPos2svARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS3DARBPROC, glWindowPos3dARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS3DVARBPROC, glWindowPos3dvARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS3FARBPROC, glWindowPos3fARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS3FVARBPROC, glWindowPos3fvARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS3IARBPROC, glWindowPos3iARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS3IVARBPROC, glWindowPos3ivARB)                                 \
    X(ARB_window_pos, PFNGLWINDOWPOS3SARBPROC, glWindowPos3sARB)                                   \
    X(ARB_window_pos, PFNGLWINDOWPOS3SVARBPROC, glWindowPos3svARB)                                 \
    X(EXT_blend_color, PFNGLBLENDCOLOREXTPROC, glBlendColorEXT)                                    \
    X(EXT_blend_func_separate, PFNGLBLENDFUNCSEPARATEEXTPROC, glBlendFuncSeparateEXT)              \
    X(EXT_blend_minmax, PFNGLBLENDEQUATIONEXTPROC, glBlendEquationEXT)                             \
    X(EXT_compiled_vertex_array, PFNGLLOCKARRAYSEXTPROC, glLockArraysEXT)                          \
    X(EXT_compiled_vertex_array, PFNGLUNLOCKARRAYSEXTPROC, glUnlockArraysEXT)                      \
    X(EXT_cull_vertex, PFNGLCULLPARAMETERDVEXTPROC, glCullParameterdvEXT)                          \
    X(EXT_cull_vertex, PFNGLCULLPARAMETERFVEXTPROC, glCullParameterfvEXT)                          \
    X(EXT_draw_range_elements, PFNGLDRAWRANGEELEMENTSEXTPROC, glDrawRangeElementsEXT)              \
    X(EXT_fog_coord, PFNGLFOGCOORDFEXTPROC, glFogCoordfEXT)                                        \
    X(EXT_fog_coord, PFNGLFOGCOORDFVEXTPROC, glFogCoordfvEXT)                                      \
    X(EXT_fog_coord, PFNGLFOGCOORDDEXTPROC, glFogCoorddEXT)                                        \
    X(EXT_fog_coord, PFNGLFOGCOORDDVEXTPROC, glFogCoorddvEXT)                                      \
    X(EXT_fog_coord, PFNGLFOGCOORDPOINTEREXTPROC, glFogCoordPointerEXT)                            \
    X(EXT_multi_draw_arrays, PFNGLMULTIDRAWARRAYSEXTPROC, glMultiDrawArraysEXT)                    \
    X(EXT_multi_draw_arrays, PFNGLMULTIDRAWELEMENTSEXTPROC, glMultiDrawElementsEXT)                \
    X(EXT_point_parameters, PFNGLPOINTPARAMETERFEXTPROC, glPointParameterfEXT)                     \
    X(EXT_point_parameters, PFNGLPOINTPARAMETERFVEXTPROC, glPointParameterfvEXT)                   \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3BEXTPROC, glSecondaryColor3bEXT)                    \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3BVEXTPROC, glSecondaryColor3bvEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3DEXTPROC, glSecondaryColor3dEXT)                    \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3DVEXTPROC, glSecondaryColor3dvEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3FEXTPROC, glSecondaryColor3fEXT)                    \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3FVEXTPROC, glSecondaryColor3fvEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3IEXTPROC, glSecondaryColor3iEXT)                    \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3IVEXTPROC, glSecondaryColor3ivEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3SEXTPROC, glSecondaryColor3sEXT)                    \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3SVEXTPROC, glSecondaryColor3svEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3UBEXTPROC, glSecondaryColor3ubEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3UBVEXTPROC, glSecondaryColor3ubvEXT)                \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3UIEXTPROC, glSecondaryColor3uiEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3UIVEXTPROC, glSecondaryColor3uivEXT)                \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3USEXTPROC, glSecondaryColor3usEXT)                  \
    X(EXT_secondary_color, PFNGLSECONDARYCOLOR3USVEXTPROC, glSecondaryColor3usvEXT)                \
    X(EXT_secondary_color, PFNGLSECONDARYCOLORPOINTEREXTPROC, glSecondaryColorPointerEXT)          \
    X(EXT_stencil_two_side, PFNGLACTIVESTENCILFACEEXTPROC, glActiveStencilFaceEXT)                 \
    X(EXT_vertex_shader, PFNGLBEGINVERTEXSHADEREXTPROC, glBeginVertexShaderEXT)                    \
    X(EXT_vertex_shader, PFNGLENDVERTEXSHADEREXTPROC, glEndVertexShaderEXT)                        \
    X(EXT_vertex_shader, PFNGLBINDVERTEXSHADEREXTPROC, glBindVertexShaderEXT)                      \
    X(EXT_vertex_shader, PFNGLGENVERTEXSHADERSEXTPROC, glGenVertexShadersEXT)                      \
    X(EXT_vertex_shader, PFNGLDELETEVERTEXSHADEREXTPROC, glDeleteVertexShaderEXT)                  \
    X(EXT_vertex_shader, PFNGLSHADEROP1EXTPROC, glShaderOp1EXT)                                    \
    X(EXT_vertex_shader, PFNGLSHADEROP2EXTPROC, glShaderOp2EXT)                                    \
    X(EXT_vertex_shader, PFNGLSHADEROP3EXTPROC, glShaderOp3EXT)                                    \
    X(EXT_vertex_shader, PFNGLSWIZZLEEXTPROC, glSwizzleEXT)                                        \
    X(EXT_vertex_shader, PFNGLWRITEMASKEXTPROC, glWriteMaskEXT)                                    \
    X(EXT_vertex_shader, PFNGLINSERTCOMPONENTEXTPROC, glInsertComponentEXT)                        \
    X(EXT_vertex_shader, PFNGLEXTRACTCOMPONENTEXTPROC, glExtractComponentEXT)                      \
    X(EXT_vertex_shader, PFNGLGENSYMBOLSEXTPROC, glGenSymbolsEXT)                                  \
    X(EXT_vertex_shader, PFNGLSETINVARIANTEXTPROC, glSetInvariantEXT)                              \
    X(EXT_vertex_shader, PFNGLSETLOCALCONSTANTEXTPROC, glSetLocalConstantEXT)                      \
    X(EXT_vertex_shader, PFNGLVARIANTBVEXTPROC, glVariantbvEXT)                                    \
    X(EXT_vertex_shader, PFNGLVARIANTSVEXTPROC, glVariantsvEXT)                                    \
    X(EXT_vertex_shader, PFNGLVARIANTIVEXTPROC, glVariantivEXT)                                    \
    X(EXT_vertex_shader, PFNGLVARIANTFVEXTPROC, glVariantfvEXT)                                    \
    X(EXT_vertex_shader, PFNGLVARIANTDVEXTPROC, glVariantdvEXT)                                    \
    X(EXT_vertex_shader, PFNGLVARIANTUBVEXTPROC, glVariantubvEXT)                                  \
    X(EXT_vertex_shader, PFNGLVARIANTUSVEXTPROC, glVariantusvEXT)                                  \
    X(EXT_vertex_shader, PFNGLVARIANTUIVEXTPROC, glVariantuivEXT)                                  \
    X(EXT_vertex_shader, PFNGLVARIANTPOINTEREXTPROC, glVariantPointerEXT)                          \
    X(EXT_vertex_shader, PFNGLENABLEVARIANTCLIENTSTATEEXTPROC, glEnableVariantClientStateEXT)      \
    X(EXT_vertex_shader, PFNGLDISABLEVARIANTCLIENTSTATEEXTPROC, glDisableVariantClientStateEXT)    \
    X(EXT_vertex_shader, PFNGLBINDLIGHTPARAMETEREXTPROC, glBindLightParameterEXT)                  \
    X(EXT_vertex_shader, PFNGLBINDMATERIALPARAMETEREXTPROC, glBindMaterialParameterEXT)            \
    X(EXT_vertex_shader, PFNGLBINDTEXGENPARAMETEREXTPROC, glBindTexGenParameterEXT)                \
    X(EXT_vertex_shader, PFNGLBINDTEXTUREUNITPARAMETEREXTPROC, glBindTextureUnitParameterEXT)      \
    X(EXT_vertex_shader, PFNGLBINDPARAMETEREXTPROC, glBindParameterEXT)                            \
    X(EXT_vertex_shader, PFNGLISVARIANTENABLEDEXTPROC, glIsVariantEnabledEXT)                      \
    X(EXT_vertex_shader, PFNGLGETVARIANTBOOLEANVEXTPROC, glGetVariantBooleanvEXT)                  \
    X(EXT_vertex_shader, PFNGLGETVARIANTINTEGERVEXTPROC, glGetVariantIntegervEXT)                  \
    X(EXT_vertex_shader, PFNGLGETVARIANTFLOATVEXTPROC, glGetVariantFloatvEXT)                      \
    X(EXT_vertex_shader, PFNGLGETVARIANTPOINTERVEXTPROC, glGetVariantPointervEXT)                  \
    X(EXT_vertex_shader, PFNGLGETINVARIANTBOOLEANVEXTPROC, glGetInvariantBooleanvEXT)              \
    X(EXT_vertex_shader, PFNGLGETINVARIANTINTEGERVEXTPROC, glGetInvariantIntegervEXT)              \
    X(EXT_vertex_shader, PFNGLGETINVARIANTFLOATVEXTPROC, glGetInvariantFloatvEXT)                  \
    X(EXT_vertex_shader, PFNGLGETLOCALCONSTANTBOOLEANVEXTPROC, glGetLocalConstantBooleanvEXT)      \
    X(EXT_vertex_shader, PFNGLGETLOCALCONSTANTINTEGERVEXTPROC, glGetLocalConstantIntegervEXT)      \
    X(EXT_vertex_shader, PFNGLGETLOCALCONSTANTFLOATVEXTPROC, glGetLocalConstantFloatvEXT)          \
    X(EXT_vertex_weighting, PFNGLVERTEXWEIGHTFEXTPROC, glVertexWeightfEXT)                         \
    X(EXT_vertex_weighting, PFNGLVERTEXWEIGHTFVEXTPROC, glVertexWeightfvEXT)                       \
    X(EXT_vertex_weighting, PFNGLVERTEXWEIGHTPOINTEREXTPROC, glVertexWeightPointerEXT)             \
    X(ATI_draw_buffers, PFNGLDRAWBUFFERSATIPROC, glDrawBuffersATI)                                 \
    X(ATI_element_array, PFNGLELEMENTPOINTERATIPROC, glElementPointerATI)                          \
    X(ATI_element_array, PFNGLDRAWELEMENTARRAYATIPROC, glDrawElementArrayATI)                      \
    X(ATI_element_array, PFNGLDRAWRANGEELEMENTARRAYATIPROC, glDrawRangeElementArrayATI)            \
    X(ATI_envmap_bumpmap, PFNGLTEXBUMPPARAMETERIVATIPROC, glTexBumpParameterivATI)                 \
    X(ATI_envmap_bumpmap, PFNGLTEXBUMPPARAMETERFVATIPROC, glTexBumpParameterfvATI)                 \
    X(ATI_envmap_bumpmap, PFNGLGETTEXBUMPPARAMETERIVATIPROC, glGetTexBumpParameterivATI)           \
    X(ATI_envmap_bumpmap, PFNGLGETTEXBUMPPARAMETERFVATIPROC, glGetTexBumpParameterfvATI)           \
    X(ATI_fragment_shader, PFNGLGENFRAGMENTSHADERSATIPROC, glGenFragmentShadersATI)                \
    X(ATI_fragment_shader, PFNGLBINDFRAGMENTSHADERATIPROC, glBindFragmentShaderATI)                \
    X(ATI_fragment_shader, PFNGLDELETEFRAGMENTSHADERATIPROC, glDeleteFragmentShaderATI)            \
    X(ATI_fragment_shader, PFNGLBEGINFRAGMENTSHADERATIPROC, glBeginFragmentShaderATI)              \
    X(ATI_fragment_shader, PFNGLENDFRAGMENTSHADERATIPROC, glEndFragmentShaderATI)                  \
    X(ATI_fragment_shader, PFNGLPASSTEXCOORDATIPROC, glPassTexCoordATI)                            \
    X(ATI_fragment_shader, PFNGLSAMPLEMAPATIPROC, glSampleMapATI)                                  \
    X(ATI_fragment_shader, PFNGLCOLORFRAGMENTOP1ATIPROC, glColorFragmentOp1ATI)                    \
    X(ATI_fragment_shader, PFNGLCOLORFRAGMENTOP2ATIPROC, glColorFragmentOp2ATI)                    \
    X(ATI_fragment_shader, PFNGLCOLORFRAGMENTOP3ATIPROC, glColorFragmentOp3ATI)                    \
    X(ATI_fragment_shader, PFNGLALPHAFRAGMENTOP1ATIPROC, glAlphaFragmentOp1ATI)                    \
    X(ATI_fragment_shader, PFNGLALPHAFRAGMENTOP2ATIPROC, glAlphaFragmentOp2ATI)                    \
    X(ATI_fragment_shader, PFNGLALPHAFRAGMENTOP3ATIPROC, glAlphaFragmentOp3ATI)                    \
    X(ATI_fragment_shader, PFNGLSETFRAGMENTSHADERCONSTANTATIPROC, glSetFragmentShaderConstantATI)  \
    X(ATI_map_object_buffer, PFNGLMAPOBJECTBUFFERATIPROC, glMapObjectBufferATI)                    \
    X(ATI_map_object_buffer, PFNGLUNMAPOBJECTBUFFERATIPROC, glUnmapObjectBufferATI)                \
    X(ATI_pn_triangles, PFNGLPNTRIANGLESIATIPROC, glPNTrianglesiATI)                               \
    X(ATI_pn_triangles, PFNGLPNTRIANGLESFATIPROC, glPNTrianglesfATI)                               \
    X(ATI_separate_stencil, PFNGLSTENCILOPSEPARATEATIPROC, glStencilOpSeparateATI)                 \
    X(ATI_separate_stencil, PFNGLSTENCILFUNCSEPARATEATIPROC, glStencilFuncSeparateATI)             \
    X(ATI_vertex_array_object, PFNGLNEWOBJECTBUFFERATIPROC, glNewObjectBufferATI)                  \
    X(ATI_vertex_array_object, PFNGLISOBJECTBUFFERATIPROC, glIsObjectBufferATI)                    \
    X(ATI_vertex_array_object, PFNGLUPDATEOBJECTBUFFERATIPROC, glUpdateObjectBufferATI)            \
    X(ATI_vertex_array_object, PFNGLGETOBJECTBUFFERFVATIPROC, glGetObjectBufferfvATI)              \
    X(ATI_vertex_array_object, PFNGLGETOBJECTBUFFERIVATIPROC, glGetObjectBufferivATI)              \
    X(ATI_vertex_array_object, PFNGLFREEOBJECTBUFFERATIPROC, glFreeObjectBufferATI)                \
    X(ATI_vertex_array_object, PFNGLARRAYOBJECTATIPROC, glArrayObjectATI)                          \
    X(ATI_vertex_array_object, PFNGLGETARRAYOBJECTFVATIPROC, glGetArrayObjectfvATI)                \
    X(ATI_vertex_array_object, PFNGLGETARRAYOBJECTIVATIPROC, glGetArrayObjectivATI)                \
    X(ATI_vertex_array_object, PFNGLVARIANTARRAYOBJECTATIPROC, glVariantArrayObjectATI)            \
    X(ATI_vertex_array_object, PFNGLGETVARIANTARRAYOBJECTFVATIPROC, glGetVariantArrayObjectfvATI)  \
    X(ATI_vertex_array_object, PFNGLGETVARIANTARRAYOBJECTIVATIPROC, glGetVariantArrayObjectivATI)  \
    X(ATI_vertex_attrib_array_object, PFNGLVERTEXATTRIBARRAYOBJECTATIPROC, glVertexAttribArrayObjectATI) \
    X(ATI_vertex_attrib_array_object, PFNGLGETVERTEXATTRIBARRAYOBJECTFVATIPROC, glGetVertexAttribArrayObjectfvATI) \
    X(ATI_vertex_attrib_array_object, PFNGLGETVERTEXATTRIBARRAYOBJECTIVATIPROC, glGetVertexAttribArrayObjectivATI) \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1SATIPROC, glVertexStream1sATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1SVATIPROC, glVertexStream1svATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1IATIPROC, glVertexStream1iATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1IVATIPROC, glVertexStream1ivATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1FATIPROC, glVertexStream1fATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1FVATIPROC, glVertexStream1fvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1DATIPROC, glVertexStream1dATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM1DVATIPROC, glVertexStream1dvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2SATIPROC, glVertexStream2sATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2SVATIPROC, glVertexStream2svATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2IATIPROC, glVertexStream2iATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2IVATIPROC, glVertexStream2ivATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2FATIPROC, glVertexStream2fATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2FVATIPROC, glVertexStream2fvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2DATIPROC, glVertexStream2dATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM2DVATIPROC, glVertexStream2dvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3SATIPROC, glVertexStream3sATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3SVATIPROC, glVertexStream3svATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3IATIPROC, glVertexStream3iATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3IVATIPROC, glVertexStream3ivATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3FATIPROC, glVertexStream3fATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3FVATIPROC, glVertexStream3fvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3DATIPROC, glVertexStream3dATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM3DVATIPROC, glVertexStream3dvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4SATIPROC, glVertexStream4sATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4SVATIPROC, glVertexStream4svATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4IATIPROC, glVertexStream4iATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4IVATIPROC, glVertexStream4ivATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4FATIPROC, glVertexStream4fATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4FVATIPROC, glVertexStream4fvATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4DATIPROC, glVertexStream4dATI)                         \
    X(ATI_vertex_streams, PFNGLVERTEXSTREAM4DVATIPROC, glVertexStream4dvATI)                       \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3BATIPROC, glNormalStream3bATI)                         \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3BVATIPROC, glNormalStream3bvATI)                       \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3SATIPROC, glNormalStream3sATI)                         \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3SVATIPROC, glNormalStream3svATI)                       \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3IATIPROC, glNormalStream3iATI)                         \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3IVATIPROC, glNormalStream3ivATI)                       \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3FATIPROC, glNormalStream3fATI)                         \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3FVATIPROC, glNormalStream3fvATI)                       \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3DATIPROC, glNormalStream3dATI)                         \
    X(ATI_vertex_streams, PFNGLNORMALSTREAM3DVATIPROC, glNormalStream3dvATI)                       \
    X(ATI_vertex_streams, PFNGLCLIENTACTIVEVERTEXSTREAMATIPROC, glClientActiveVertexStreamATI)     \
    X(ATI_vertex_streams, PFNGLVERTEXBLENDENVIATIPROC, glVertexBlendEnviATI)                       \
    X(ATI_vertex_streams, PFNGLVERTEXBLENDENVFATIPROC, glVertexBlendEnvfATI)                       \
    X(NV_element_array, PFNGLELEMENTPOINTERNVPROC, glElementPointerNV)                             \
    X(NV_element_array, PFNGLDRAWELEMENTARRAYNVPROC, glDrawElementArrayNV)                         \
    X(NV_element_array, PFNGLDRAWRANGEELEMENTARRAYNVPROC, glDrawRangeElementArrayNV)               \
    X(NV_element_array, PFNGLMULTIDRAWELEMENTARRAYNVPROC, glMultiDrawElementArrayNV)               \
    X(NV_element_array, PFNGLMULTIDRAWRANGEELEMENTARRAYNVPROC, glMultiDrawRangeElementArrayNV)     \
    X(NV_evaluators, PFNGLMAPCONTROLPOINTSNVPROC, glMapControlPointsNV)                            \
    X(NV_evaluators, PFNGLMAPPARAMETERIVNVPROC, glMapParameterivNV)                                \
    X(NV_evaluators, PFNGLMAPPARAMETERFVNVPROC, glMapParameterfvNV)                                \
    X(NV_evaluators, PFNGLGETMAPCONTROLPOINTSNVPROC, glGetMapControlPointsNV)                      \
    X(NV_evaluators, PFNGLGETMAPPARAMETERIVNVPROC, glGetMapParameterivNV)                          \
    X(NV_evaluators, PFNGLGETMAPPARAMETERFVNVPROC, glGetMapParameterfvNV)                          \
    X(NV_evaluators, PFNGLGETMAPATTRIBPARAMETERIVNVPROC, glGetMapAttribParameterivNV)              \
    X(NV_evaluators, PFNGLGETMAPATTRIBPARAMETERFVNVPROC, glGetMapAttribParameterfvNV)              \
    X(NV_evaluators, PFNGLEVALMAPSNVPROC, glEvalMapsNV)                                            \
    X(NV_fence, PFNGLDELETEFENCESNVPROC, glDeleteFencesNV)                                         \
    X(NV_fence, PFNGLGENFENCESNVPROC, glGenFencesNV)                                               \
    X(NV_fence, PFNGLISFENCENVPROC, glIsFenceNV)                                                   \
    X(NV_fence, PFNGLTESTFENCENVPROC, glTestFenceNV)                                               \
    X(NV_fence, PFNGLGETFENCEIVNVPROC, glGetFenceivNV)                                             \
    X(NV_fence, PFNGLFINISHFENCENVPROC, glFinishFenceNV)                                           \
    X(NV_fence, PFNGLSETFENCENVPROC, glSetFenceNV)                                                 \
    X(NV_fragment_program, PFNGLPROGRAMNAMEDPARAMETER4FNVPROC, glProgramNamedParameter4fNV)        \
    X(NV_fragment_program, PFNGLPROGRAMNAMEDPARAMETER4FVNVPROC, glProgramNamedParameter4fvNV)      \
    X(NV_fragment_program, PFNGLPROGRAMNAMEDPARAMETER4DNVPROC, glProgramNamedParameter4dNV)        \
    X(NV_fragment_program, PFNGLPROGRAMNAMEDPARAMETER4DVNVPROC, glProgramNamedParameter4dvNV)      \
    X(NV_fragment_program, PFNGLGETPROGRAMNAMEDPARAMETERFVNVPROC, glGetProgramNamedParameterfvNV)  \
    X(NV_fragment_program, PFNGLGETPROGRAMNAMEDPARAMETERDVNVPROC, glGetProgramNamedParameterdvNV)  \
    X(NV_half_float, PFNGLVERTEX2HNVPROC, glVertex2hNV)                                            \
    X(NV_half_float, PFNGLVERTEX2HVNVPROC, glVertex2hvNV)                                          \
    X(NV_half_float, PFNGLVERTEX3HNVPROC, glVertex3hNV)                                            \
    X(NV_half_float, PFNGLVERTEX3HVNVPROC, glVertex3hvNV)                                          \
    X(NV_half_float, PFNGLVERTEX4HNVPROC, glVertex4hNV)                                            \
    X(NV_half_float, PFNGLVERTEX4HVNVPROC, glVertex4hvNV)                                          \
    X(NV_half_float, PFNGLNORMAL3HNVPROC, glNormal3hNV)                                            \
    X(NV_half_float, PFNGLNORMAL3HVNVPROC, glNormal3hvNV)                                          \
    X(NV_half_float, PFNGLCOLOR3HNVPROC, glColor3hNV)                                              \
    X(NV_half_float, PFNGLCOLOR3HVNVPROC, glColor3hvNV)                                            \
    X(NV_half_float, PFNGLCOLOR4HNVPROC, glColor4hNV)                                              \
    X(NV_half_float, PFNGLCOLOR4HVNVPROC, glColor4hvNV)                                            \
    X(NV_half_float, PFNGLTEXCOORD1HNVPROC, glTexCoord1hNV)                                        \
    X(NV_half_float, PFNGLTEXCOORD1HVNVPROC, glTexCoord1hvNV)                                      \
    X(NV_half_float, PFNGLTEXCOORD2HNVPROC, glTexCoord2hNV)                                        \
    X(NV_half_float, PFNGLTEXCOORD2HVNVPROC, glTexCoord2hvNV)                                      \
    X(NV_half_float, PFNGLTEXCOORD3HNVPROC, glTexCoord3hNV)                                        \
    X(NV_half_float, PFNGLTEXCOORD3HVNVPROC, glTexCoord3hvNV)                                      \
    X(NV_half_float, PFNGLTEXCOORD4HNVPROC, glTexCoord4hNV)                                        \
    X(NV_half_float, PFNGLTEXCOORD4HVNVPROC, glTexCoord4hvNV)                                      \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD1HNVPROC, glMultiTexCoord1hNV)        \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD1HVNVPROC, glMultiTexCoord1hvNV)      \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD2HNVPROC, glMultiTexCoord2hNV)        \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD2HVNVPROC, glMultiTexCoord2hvNV)      \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD3HNVPROC, glMultiTexCoord3hNV)        \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD3HVNVPROC, glMultiTexCoord3hvNV)      \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD4HNVPROC, glMultiTexCoord4hNV)        \
    X(combined.NV_half_float_multitexture, PFNGLMULTITEXCOORD4HVNVPROC, glMultiTexCoord4hvNV)      \
    X(combined.NV_half_float_fog_coord, PFNGLFOGCOORDHNVPROC, glFogCoordhNV)                       \
    X(combined.NV_half_float_fog_coord, PFNGLFOGCOORDHVNVPROC, glFogCoordhvNV)                     \
    X(combined.NV_half_float_secondary_color, PFNGLSECONDARYCOLOR3HNVPROC, glSecondaryColor3hNV)   \
    X(combined.NV_half_float_secondary_color, PFNGLSECONDARYCOLOR3HVNVPROC, glSecondaryColor3hvNV) \
    X(combined.NV_half_float_vertex_weight, PFNGLVERTEXWEIGHTHNVPROC, glVertexWeighthNV)           \
    X(combined.NV_half_float_vertex_weight, PFNGLVERTEXWEIGHTHVNVPROC, glVertexWeighthvNV)         \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB1HNVPROC, glVertexAttrib1hNV)        \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB1HVNVPROC, glVertexAttrib1hvNV)      \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB2HNVPROC, glVertexAttrib2hNV)        \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB2HVNVPROC, glVertexAttrib2hvNV)      \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB3HNVPROC, glVertexAttrib3hNV)        \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB3HVNVPROC, glVertexAttrib3hvNV)      \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB4HNVPROC, glVertexAttrib4hNV)        \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIB4HVNVPROC, glVertexAttrib4hvNV)      \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIBS1HVNVPROC, glVertexAttribs1hvNV)    \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIBS2HVNVPROC, glVertexAttribs2hvNV)    \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIBS3HVNVPROC, glVertexAttribs3hvNV)    \
    X(combined.NV_half_float_vertex_program, PFNGLVERTEXATTRIBS4HVNVPROC, glVertexAttribs4hvNV)    \
    X(NV_occlusion_query, PFNGLGENOCCLUSIONQUERIESNVPROC, glGenOcclusionQueriesNV)                 \
    X(NV_occlusion_query, PFNGLDELETEOCCLUSIONQUERIESNVPROC, glDeleteOcclusionQueriesNV)           \
    X(NV_occlusion_query, PFNGLISOCCLUSIONQUERYNVPROC, glIsOcclusionQueryNV)                       \
    X(NV_occlusion_query, PFNGLBEGINOCCLUSIONQUERYNVPROC, glBeginOcclusionQueryNV)                 \
    X(NV_occlusion_query, PFNGLENDOCCLUSIONQUERYNVPROC, glEndOcclusionQueryNV)                     \
    X(NV_occlusion_query, PFNGLGETOCCLUSIONQUERYIVNVPROC, glGetOcclusionQueryivNV)                 \
    X(NV_occlusion_query, PFNGLGETOCCLUSIONQUERYUIVNVPROC, glGetOcclusionQueryuivNV)               \
    X(NV_pixel_data_range, PFNGLPIXELDATARANGENVPROC, glPixelDataRangeNV)                          \
    X(NV_pixel_data_range, PFNGLFLUSHPIXELDATARANGENVPROC, glFlushPixelDataRangeNV)                \
    X(NV_point_sprite, PFNGLPOINTPARAMETERINVPROC, glPointParameteriNV)                            \
    X(NV_point_sprite, PFNGLPOINTPARAMETERIVNVPROC, glPointParameterivNV)                          \
    X(NV_primitive_restart, PFNGLPRIMITIVERESTARTNVPROC, glPrimitiveRestartNV)                     \
    X(NV_primitive_restart, PFNGLPRIMITIVERESTARTINDEXNVPROC, glPrimitiveRestartIndexNV)           \
    X(NV_register_combiners, PFNGLCOMBINERPARAMETERFVNVPROC, glCombinerParameterfvNV)              \
    X(NV_register_combiners, PFNGLCOMBINERPARAMETERFNVPROC, glCombinerParameterfNV)                \
    X(NV_register_combiners, PFNGLCOMBINERPARAMETERIVNVPROC, glCombinerParameterivNV)              \
    X(NV_register_combiners, PFNGLCOMBINERPARAMETERINVPROC, glCombinerParameteriNV)                \
    X(NV_register_combiners, PFNGLCOMBINERINPUTNVPROC, glCombinerInputNV)                          \
    X(NV_register_combiners, PFNGLCOMBINEROUTPUTNVPROC, glCombinerOutputNV)                        \
    X(NV_register_combiners, PFNGLFINALCOMBINERINPUTNVPROC, glFinalCombinerInputNV)                \
    X(NV_register_combiners, PFNGLGETCOMBINERINPUTPARAMETERFVNVPROC, glGetCombinerInputParameterfvNV) \
    X(NV_register_combiners, PFNGLGETCOMBINERINPUTPARAMETERIVNVPROC, glGetCombinerInputParameterivNV) \
    X(NV_register_combiners, PFNGLGETCOMBINEROUTPUTPARAMETERFVNVPROC, glGetCombinerOutputParameterfvNV) \
    X(NV_register_combiners, PFNGLGETCOMBINEROUTPUTPARAMETERIVNVPROC, glGetCombinerOutputParameterivNV) \
    X(NV_register_combiners, PFNGLGETFINALCOMBINERINPUTPARAMETERFVNVPROC, glGetFinalCombinerInputParameterfvNV) \
    X(NV_register_combiners, PFNGLGETFINALCOMBINERINPUTPARAMETERIVNVPROC, glGetFinalCombinerInputParameterivNV) \
    X(NV_register_combiners2, PFNGLCOMBINERSTAGEPARAMETERFVNVPROC, glCombinerStageParameterfvNV)   \
    X(NV_register_combiners2, PFNGLGETCOMBINERSTAGEPARAMETERFVNVPROC, glGetCombinerStageParameterfvNV) \
    X(NV_vertex_array_range, PFNGLFLUSHVERTEXARRAYRANGENVPROC, glFlushVertexArrayRangeNV)          \
    X(NV_vertex_array_range, PFNGLVERTEXARRAYRANGENVPROC, glVertexArrayRangeNV)                    \
    X(NV_vertex_program, PFNGLAREPROGRAMSRESIDENTNVPROC, glAreProgramsResidentNV)                  \
    X(NV_vertex_program, PFNGLBINDPROGRAMNVPROC, glBindProgramNV)                                  \
    X(NV_vertex_program, PFNGLDELETEPROGRAMSNVPROC, glDeleteProgramsNV)                            \
    X(NV_vertex_program, PFNGLEXECUTEPROGRAMNVPROC, glExecuteProgramNV)                            \
    X(NV_vertex_program, PFNGLGENPROGRAMSNVPROC, glGenProgramsNV)                                  \
    X(NV_vertex_program, PFNGLGETPROGRAMPARAMETERDVNVPROC, glGetProgramParameterdvNV)              \
    X(NV_vertex_program, PFNGLGETPROGRAMPARAMETERFVNVPROC, glGetProgramParameterfvNV)              \
    X(NV_vertex_program, PFNGLGETPROGRAMIVNVPROC, glGetProgramivNV)                                \
    X(NV_vertex_program, PFNGLGETPROGRAMSTRINGNVPROC, glGetProgramStringNV)                        \
    X(NV_vertex_program, PFNGLGETTRACKMATRIXIVNVPROC, glGetTrackMatrixivNV)                        \
    X(NV_vertex_program, PFNGLGETVERTEXATTRIBDVNVPROC, glGetVertexAttribdvNV)                      \
    X(NV_vertex_program, PFNGLGETVERTEXATTRIBFVNVPROC, glGetVertexAttribfvNV)                      \
    X(NV_vertex_program, PFNGLGETVERTEXATTRIBIVNVPROC, glGetVertexAttribivNV)                      \
    X(NV_vertex_program, PFNGLGETVERTEXATTRIBPOINTERVNVPROC, glGetVertexAttribPointervNV)          \
    X(NV_vertex_program, PFNGLISPROGRAMNVPROC, glIsProgramNV)                                      \
    X(NV_vertex_program, PFNGLLOADPROGRAMNVPROC, glLoadProgramNV)                                  \
    X(NV_vertex_program, PFNGLPROGRAMPARAMETER4DNVPROC, glProgramParameter4dNV)                    \
    X(NV_vertex_program, PFNGLPROGRAMPARAMETER4DVNVPROC, glProgramParameter4dvNV)                  \
    X(NV_vertex_program, PFNGLPROGRAMPARAMETER4FNVPROC, glProgramParameter4fNV)                    \
    X(NV_vertex_program, PFNGLPROGRAMPARAMETER4FVNVPROC, glProgramParameter4fvNV)                  \
    X(NV_vertex_program, PFNGLPROGRAMPARAMETERS4DVNVPROC, glProgramParameters4dvNV)                \
    X(NV_vertex_program, PFNGLPROGRAMPARAMETERS4FVNVPROC, glProgramParameters4fvNV)                \
    X(NV_vertex_program, PFNGLREQUESTRESIDENTPROGRAMSNVPROC, glRequestResidentProgramsNV)          \
    X(NV_vertex_program, PFNGLTRACKMATRIXNVPROC, glTrackMatrixNV)                                  \
    X(NV_vertex_program, PFNGLVERTEXATTRIBPOINTERNVPROC, glVertexAttribPointerNV)                  \
    X(NV_vertex_program, PFNGLVERTEXATTRIB1DNVPROC, glVertexAttrib1dNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB1DVNVPROC, glVertexAttrib1dvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB1FNVPROC, glVertexAttrib1fNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB1FVNVPROC, glVertexAttrib1fvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB1SNVPROC, glVertexAttrib1sNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB1SVNVPROC, glVertexAttrib1svNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB2DNVPROC, glVertexAttrib2dNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB2DVNVPROC, glVertexAttrib2dvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB2FNVPROC, glVertexAttrib2fNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB2FVNVPROC, glVertexAttrib2fvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB2SNVPROC, glVertexAttrib2sNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB2SVNVPROC, glVertexAttrib2svNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB3DNVPROC, glVertexAttrib3dNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB3DVNVPROC, glVertexAttrib3dvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB3FNVPROC, glVertexAttrib3fNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB3FVNVPROC, glVertexAttrib3fvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB3SNVPROC, glVertexAttrib3sNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB3SVNVPROC, glVertexAttrib3svNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4DNVPROC, glVertexAttrib4dNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4DVNVPROC, glVertexAttrib4dvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4FNVPROC, glVertexAttrib4fNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4FVNVPROC, glVertexAttrib4fvNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4SNVPROC, glVertexAttrib4sNV)                            \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4SVNVPROC, glVertexAttrib4svNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4UBNVPROC, glVertexAttrib4ubNV)                          \
    X(NV_vertex_program, PFNGLVERTEXATTRIB4UBVNVPROC, glVertexAttrib4ubvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS1DVNVPROC, glVertexAttribs1dvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS1FVNVPROC, glVertexAttribs1fvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS1SVNVPROC, glVertexAttribs1svNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS2DVNVPROC, glVertexAttribs2dvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS2FVNVPROC, glVertexAttribs2fvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS2SVNVPROC, glVertexAttribs2svNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS3DVNVPROC, glVertexAttribs3dvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS3FVNVPROC, glVertexAttribs3fvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS3SVNVPROC, glVertexAttribs3svNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS4DVNVPROC, glVertexAttribs4dvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS4FVNVPROC, glVertexAttribs4fvNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS4SVNVPROC, glVertexAttribs4svNV)                        \
    X(NV_vertex_program, PFNGLVERTEXATTRIBS4UBVNVPROC, glVertexAttribs4ubvNV)                      \
    /* core additions of OpenGL 1.2, 1.3 and 1.4 */                                                \
    X(version12, PFNGLDRAWRANGEELEMENTSPROC, glDrawRangeElements)                                  \
    X(version12, PFNGLTEXIMAGE3DPROC, glTexImage3D)                                                \
    X(version12, PFNGLTEXSUBIMAGE3DPROC, glTexSubImage3D)                                          \
    X(version12, PFNGLCOPYTEXSUBIMAGE3DPROC, glCopyTexSubImage3D)                                  \
    X(version13, PFNGLACTIVETEXTUREPROC, glActiveTexture)                                          \
    X(version13, PFNGLSAMPLECOVERAGEPROC, glSampleCoverage)                                        \
    X(version13, PFNGLCOMPRESSEDTEXIMAGE3DPROC, glCompressedTexImage3D)                            \
    X(version13, PFNGLCOMPRESSEDTEXIMAGE2DPROC, glCompressedTexImage2D)                            \
    X(version13, PFNGLCOMPRESSEDTEXIMAGE1DPROC, glCompressedTexImage1D)                            \
    X(version13, PFNGLCOMPRESSEDTEXSUBIMAGE3DPROC, glCompressedTexSubImage3D)                      \
    X(version13, PFNGLCOMPRESSEDTEXSUBIMAGE2DPROC, glCompressedTexSubImage2D)                      \
    X(version13, PFNGLCOMPRESSEDTEXSUBIMAGE1DPROC, glCompressedTexSubImage1D)                      \
    X(version13, PFNGLGETCOMPRESSEDTEXIMAGEPROC, glGetCompressedTexImage)                          \
    X(version13, PFNGLCLIENTACTIVETEXTUREPROC, glClientActiveTexture)                              \
    X(version13, PFNGLMULTITEXCOORD1DPROC, glMultiTexCoord1d)                                      \
    X(version13, PFNGLMULTITEXCOORD1DVPROC, glMultiTexCoord1dv)                                    \
    X(version13, PFNGLMULTITEXCOORD1FPROC, glMultiTexCoord1f)                                      \
    X(version13, PFNGLMULTITEXCOORD1FVPROC, glMultiTexCoord1fv)                                    \
    X(version13, PFNGLMULTITEXCOORD1IPROC, glMultiTexCoord1i)                                      \
    X(version13, PFNGLMULTITEXCOORD1IVPROC, glMultiTexCoord1iv)                                    \
    X(version13, PFNGLMULTITEXCOORD1SPROC, glMultiTexCoord1s)                                      \
    X(version13, PFNGLMULTITEXCOORD1SVPROC, glMultiTexCoord1sv)                                    \
    X(version13, PFNGLMULTITEXCOORD2DPROC, glMultiTexCoord2d)                                      \
    X(version13, PFNGLMULTITEXCOORD2DVPROC, glMultiTexCoord2dv)                                    \
    X(version13, PFNGLMULTITEXCOORD2FPROC, glMultiTexCoord2f)                                      \
    X(version13, PFNGLMULTITEXCOORD2FVPROC, glMultiTexCoord2fv)                                    \
    X(version13, PFNGLMULTITEXCOORD2IPROC, glMultiTexCoord2i)                                      \
    X(version13, PFNGLMULTITEXCOORD2IVPROC, glMultiTexCoord2iv)                                    \
    X(version13, PFNGLMULTITEXCOORD2SPROC, glMultiTexCoord2s)                                      \
    X(version13, PFNGLMULTITEXCOORD2SVPROC, glMultiTexCoord2sv)                                    \
    X(version13, PFNGLMULTITEXCOORD3DPROC, glMultiTexCoord3d)                                      \
    X(version13, PFNGLMULTITEXCOORD3DVPROC, glMultiTexCoord3dv)                                    \
    X(version13, PFNGLMULTITEXCOORD3FPROC, glMultiTexCoord3f)                                      \
    X(version13, PFNGLMULTITEXCOORD3FVPROC, glMultiTexCoord3fv)                                    \
    X(version13, PFNGLMULTITEXCOORD3IPROC, glMultiTexCoord3i)                                      \
    X(version13, PFNGLMULTITEXCOORD3IVPROC, glMultiTexCoord3iv)                                    \
    X(version13, PFNGLMULTITEXCOORD3SPROC, glMultiTexCoord3s)                                      \
    X(version13, PFNGLMULTITEXCOORD3SVPROC, glMultiTexCoord3sv)                                    \
    X(version13, PFNGLMULTITEXCOORD4DPROC, glMultiTexCoord4d)                                      \
    X(version13, PFNGLMULTITEXCOORD4DVPROC, glMultiTexCoord4dv)                                    \
    X(version13, PFNGLMULTITEXCOORD4FPROC, glMultiTexCoord4f)                                      \
    X(version13, PFNGLMULTITEXCOORD4FVPROC, glMultiTexCoord4fv)                                    \
    X(version13, PFNGLMULTITEXCOORD4IPROC, glMultiTexCoord4i)                                      \
    X(version13, PFNGLMULTITEXCOORD4IVPROC, glMultiTexCoord4iv)                                    \
    X(version13, PFNGLMULTITEXCOORD4SPROC, glMultiTexCoord4s)                                      \
    X(version13, PFNGLMULTITEXCOORD4SVPROC, glMultiTexCoord4sv)                                    \
    X(version13, PFNGLLOADTRANSPOSEMATRIXFPROC, glLoadTransposeMatrixf)                            \
    X(version13, PFNGLLOADTRANSPOSEMATRIXDPROC, glLoadTransposeMatrixd)                            \
    X(version13, PFNGLMULTTRANSPOSEMATRIXFPROC, glMultTransposeMatrixf)                            \
    X(version13, PFNGLMULTTRANSPOSEMATRIXDPROC, glMultTransposeMatrixd)                            \
    X(version14, PFNGLBLENDFUNCSEPARATEPROC, glBlendFuncSeparate)                                  \
    X(version14, PFNGLMULTIDRAWARRAYSPROC, glMultiDrawArrays)                                      \
    X(version14, PFNGLMULTIDRAWELEMENTSPROC, glMultiDrawElements)                                  \
    X(version14, PFNGLPOINTPARAMETERFPROC, glPointParameterf)                                      \
    X(version14, PFNGLPOINTPARAMETERFVPROC, glPointParameterfv)                                    \
    X(version14, PFNGLPOINTPARAMETERIPROC, glPointParameteri)                                      \
    X(version14, PFNGLPOINTPARAMETERIVPROC, glPointParameteriv)                                    \
    X(version14, PFNGLFOGCOORDFPROC, glFogCoordf)                                                  \
    X(version14, PFNGLFOGCOORDFVPROC, glFogCoordfv)                                                \
    X(version14, PFNGLFOGCOORDDPROC, glFogCoordd)                                                  \
    X(version14, PFNGLFOGCOORDDVPROC, glFogCoorddv)                                                \
    X(version14, PFNGLFOGCOORDPOINTERPROC, glFogCoordPointer)                                      \
    X(version14, PFNGLSECONDARYCOLOR3BPROC, glSecondaryColor3b)                                    \
    X(version14, PFNGLSECONDARYCOLOR3BVPROC, glSecondaryColor3bv)                                  \
    X(version14, PFNGLSECONDARYCOLOR3DPROC, glSecondaryColor3d)                                    \
    X(version14, PFNGLSECONDARYCOLOR3DVPROC, glSecondaryColor3dv)                                  \
    X(version14, PFNGLSECONDARYCOLOR3FPROC, glSecondaryColor3f)                                    \
    X(version14, PFNGLSECONDARYCOLOR3FVPROC, glSecondaryColor3fv)                                  \
    X(version14, PFNGLSECONDARYCOLOR3IPROC, glSecondaryColor3i)                                    \
    X(version14, PFNGLSECONDARYCOLOR3IVPROC, glSecondaryColor3iv)                                  \
    X(version14, PFNGLSECONDARYCOLOR3SPROC, glSecondaryColor3s)                                    \
    X(version14, PFNGLSECONDARYCOLOR3SVPROC, glSecondaryColor3sv)                                  \
    X(version14, PFNGLSECONDARYCOLOR3UBPROC, glSecondaryColor3ub)                                  \
    X(version14, PFNGLSECONDARYCOLOR3UBVPROC, glSecondaryColor3ubv)                                \
    X(version14, PFNGLSECONDARYCOLOR3UIPROC, glSecondaryColor3ui)                                  \
    X(version14, PFNGLSECONDARYCOLOR3UIVPROC, glSecondaryColor3uiv)                                \
    X(version14, PFNGLSECONDARYCOLOR3USPROC, glSecondaryColor3us)                                  \
    X(version14, PFNGLSECONDARYCOLOR3USVPROC, glSecondaryColor3usv)                                \
    X(version14, PFNGLSECONDARYCOLORPOINTERPROC, glSecondaryColorPointer)                          \
    X(version14, PFNGLWINDOWPOS2DPROC, glWindowPos2d)                                              \
    X(version14, PFNGLWINDOWPOS2DVPROC, glWindowPos2dv)                                            \
    X(version14, PFNGLWINDOWPOS2FPROC, glWindowPos2f)                                              \
    X(version14, PFNGLWINDOWPOS2FVPROC, glWindowPos2fv)                                            \
    X(version14, PFNGLWINDOWPOS2IPROC, glWindowPos2i)                                              \
    X(version14, PFNGLWINDOWPOS2IVPROC, glWindowPos2iv)                                            \
    X(version14, PFNGLWINDOWPOS2SPROC, glWindowPos2s)                                              \
    X(version14, PFNGLWINDOWPOS2SVPROC, glWindowPos2sv)                                            \
    X(version14, PFNGLWINDOWPOS3DPROC, glWindowPos3d)                                              \
    X(version14, PFNGLWINDOWPOS3DVPROC, glWindowPos3dv)                                            \
    X(version14, PFNGLWINDOWPOS3FPROC, glWindowPos3f)                                              \
    X(version14, PFNGLWINDOWPOS3FVPROC, glWindowPos3fv)                                            \
    X(version14, PFNGLWINDOWPOS3IPROC, glWindowPos3i)                                              \
    X(version14, PFNGLWINDOWPOS3IVPROC, glWindowPos3iv)                                            \
    X(version14, PFNGLWINDOWPOS3SPROC, glWindowPos3s)                                              \
    X(version14, PFNGLWINDOWPOS3SVPROC, glWindowPos3sv)                                            \
    X(combined.blend_colour, PFNGLBLENDCOLORPROC, glBlendColor)                                    \
    X(combined.blend_colour, PFNGLBLENDEQUATIONPROC, glBlendEquation)                              \
    /* beyond the classic list: the modern paths the plug-in draws with */                         \
    /* beyond the classic list: the modern paths the plug-in draws with */                         \
    X(version15, PFNGLGENQUERIESPROC, glGenQueries)                                                \
    X(version15, PFNGLDELETEQUERIESPROC, glDeleteQueries)                                          \
    X(version15, PFNGLISQUERYPROC, glIsQuery)                                                      \
    X(version15, PFNGLBEGINQUERYPROC, glBeginQuery)                                                \
    X(version15, PFNGLENDQUERYPROC, glEndQuery)                                                    \
    X(version15, PFNGLGETQUERYIVPROC, glGetQueryiv)                                                \
    X(version15, PFNGLGETQUERYOBJECTIVPROC, glGetQueryObjectiv)                                    \
    X(version15, PFNGLGETQUERYOBJECTUIVPROC, glGetQueryObjectuiv)                                  \
    X(version15, PFNGLBINDBUFFERPROC, glBindBuffer)                                                \
    X(version15, PFNGLDELETEBUFFERSPROC, glDeleteBuffers)                                          \
    X(version15, PFNGLGENBUFFERSPROC, glGenBuffers)                                                \
    X(version15, PFNGLISBUFFERPROC, glIsBuffer)                                                    \
    X(version15, PFNGLBUFFERDATAPROC, glBufferData)                                                \
    X(version15, PFNGLBUFFERSUBDATAPROC, glBufferSubData)                                          \
    X(version15, PFNGLGETBUFFERSUBDATAPROC, glGetBufferSubData)                                    \
    X(version15, PFNGLMAPBUFFERPROC, glMapBuffer)                                                  \
    X(version15, PFNGLUNMAPBUFFERPROC, glUnmapBuffer)                                              \
    X(version15, PFNGLGETBUFFERPARAMETERIVPROC, glGetBufferParameteriv)                            \
    X(version15, PFNGLGETBUFFERPOINTERVPROC, glGetBufferPointerv)                                  \
    X(version20, PFNGLBLENDEQUATIONSEPARATEPROC, glBlendEquationSeparate)                          \
    X(version20, PFNGLDRAWBUFFERSPROC, glDrawBuffers)                                              \
    X(version20, PFNGLSTENCILOPSEPARATEPROC, glStencilOpSeparate)                                  \
    X(version20, PFNGLSTENCILFUNCSEPARATEPROC, glStencilFuncSeparate)                              \
    X(version20, PFNGLSTENCILMASKSEPARATEPROC, glStencilMaskSeparate)                              \
    X(version20, PFNGLATTACHSHADERPROC, glAttachShader)                                            \
    X(version20, PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation)                                \
    X(version20, PFNGLCOMPILESHADERPROC, glCompileShader)                                          \
    X(version20, PFNGLCREATEPROGRAMPROC, glCreateProgram)                                          \
    X(version20, PFNGLCREATESHADERPROC, glCreateShader)                                            \
    X(version20, PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                          \
    X(version20, PFNGLDELETESHADERPROC, glDeleteShader)                                            \
    X(version20, PFNGLDETACHSHADERPROC, glDetachShader)                                            \
    X(version20, PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray)                    \
    X(version20, PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray)                      \
    X(version20, PFNGLGETACTIVEATTRIBPROC, glGetActiveAttrib)                                      \
    X(version20, PFNGLGETACTIVEUNIFORMPROC, glGetActiveUniform)                                    \
    X(version20, PFNGLGETATTACHEDSHADERSPROC, glGetAttachedShaders)                                \
    X(version20, PFNGLGETATTRIBLOCATIONPROC, glGetAttribLocation)                                  \
    X(version20, PFNGLGETPROGRAMIVPROC, glGetProgramiv)                                            \
    X(version20, PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                  \
    X(version20, PFNGLGETSHADERIVPROC, glGetShaderiv)                                              \
    X(version20, PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                                    \
    X(version20, PFNGLGETSHADERSOURCEPROC, glGetShaderSource)                                      \
    X(version20, PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation)                                \
    X(version20, PFNGLGETUNIFORMFVPROC, glGetUniformfv)                                            \
    X(version20, PFNGLGETUNIFORMIVPROC, glGetUniformiv)                                            \
    X(version20, PFNGLGETVERTEXATTRIBDVPROC, glGetVertexAttribdv)                                  \
    X(version20, PFNGLGETVERTEXATTRIBFVPROC, glGetVertexAttribfv)                                  \
    X(version20, PFNGLGETVERTEXATTRIBIVPROC, glGetVertexAttribiv)                                  \
    X(version20, PFNGLGETVERTEXATTRIBPOINTERVPROC, glGetVertexAttribPointerv)                      \
    X(version20, PFNGLISPROGRAMPROC, glIsProgram)                                                  \
    X(version20, PFNGLISSHADERPROC, glIsShader)                                                    \
    X(version20, PFNGLLINKPROGRAMPROC, glLinkProgram)                                              \
    X(version20, PFNGLSHADERSOURCEPROC, glShaderSource)                                            \
    X(version20, PFNGLUSEPROGRAMPROC, glUseProgram)                                                \
    X(version20, PFNGLUNIFORM1FPROC, glUniform1f)                                                  \
    X(version20, PFNGLUNIFORM2FPROC, glUniform2f)                                                  \
    X(version20, PFNGLUNIFORM3FPROC, glUniform3f)                                                  \
    X(version20, PFNGLUNIFORM4FPROC, glUniform4f)                                                  \
    X(version20, PFNGLUNIFORM1IPROC, glUniform1i)                                                  \
    X(version20, PFNGLUNIFORM2IPROC, glUniform2i)                                                  \
    X(version20, PFNGLUNIFORM3IPROC, glUniform3i)                                                  \
    X(version20, PFNGLUNIFORM4IPROC, glUniform4i)                                                  \
    X(version20, PFNGLUNIFORM1FVPROC, glUniform1fv)                                                \
    X(version20, PFNGLUNIFORM2FVPROC, glUniform2fv)                                                \
    X(version20, PFNGLUNIFORM3FVPROC, glUniform3fv)                                                \
    X(version20, PFNGLUNIFORM4FVPROC, glUniform4fv)                                                \
    X(version20, PFNGLUNIFORM1IVPROC, glUniform1iv)                                                \
    X(version20, PFNGLUNIFORM2IVPROC, glUniform2iv)                                                \
    X(version20, PFNGLUNIFORM3IVPROC, glUniform3iv)                                                \
    X(version20, PFNGLUNIFORM4IVPROC, glUniform4iv)                                                \
    X(version20, PFNGLUNIFORMMATRIX2FVPROC, glUniformMatrix2fv)                                    \
    X(version20, PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv)                                    \
    X(version20, PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)                                    \
    X(version20, PFNGLVALIDATEPROGRAMPROC, glValidateProgram)                                      \
    X(version20, PFNGLVERTEXATTRIB1DPROC, glVertexAttrib1d)                                        \
    X(version20, PFNGLVERTEXATTRIB1DVPROC, glVertexAttrib1dv)                                      \
    X(version20, PFNGLVERTEXATTRIB1FPROC, glVertexAttrib1f)                                        \
    X(version20, PFNGLVERTEXATTRIB1FVPROC, glVertexAttrib1fv)                                      \
    X(version20, PFNGLVERTEXATTRIB1SPROC, glVertexAttrib1s)                                        \
    X(version20, PFNGLVERTEXATTRIB1SVPROC, glVertexAttrib1sv)                                      \
    X(version20, PFNGLVERTEXATTRIB2DPROC, glVertexAttrib2d)                                        \
    X(version20, PFNGLVERTEXATTRIB2DVPROC, glVertexAttrib2dv)                                      \
    X(version20, PFNGLVERTEXATTRIB2FPROC, glVertexAttrib2f)                                        \
    X(version20, PFNGLVERTEXATTRIB2FVPROC, glVertexAttrib2fv)                                      \
    X(version20, PFNGLVERTEXATTRIB2SPROC, glVertexAttrib2s)                                        \
    X(version20, PFNGLVERTEXATTRIB2SVPROC, glVertexAttrib2sv)                                      \
    X(version20, PFNGLVERTEXATTRIB3DPROC, glVertexAttrib3d)                                        \
    X(version20, PFNGLVERTEXATTRIB3DVPROC, glVertexAttrib3dv)                                      \
    X(version20, PFNGLVERTEXATTRIB3FPROC, glVertexAttrib3f)                                        \
    X(version20, PFNGLVERTEXATTRIB3FVPROC, glVertexAttrib3fv)                                      \
    X(version20, PFNGLVERTEXATTRIB3SPROC, glVertexAttrib3s)                                        \
    X(version20, PFNGLVERTEXATTRIB3SVPROC, glVertexAttrib3sv)                                      \
    X(version20, PFNGLVERTEXATTRIB4NBVPROC, glVertexAttrib4Nbv)                                    \
    X(version20, PFNGLVERTEXATTRIB4NIVPROC, glVertexAttrib4Niv)                                    \
    X(version20, PFNGLVERTEXATTRIB4NSVPROC, glVertexAttrib4Nsv)                                    \
    X(version20, PFNGLVERTEXATTRIB4NUBPROC, glVertexAttrib4Nub)                                    \
    X(version20, PFNGLVERTEXATTRIB4NUBVPROC, glVertexAttrib4Nubv)                                  \
    X(version20, PFNGLVERTEXATTRIB4NUIVPROC, glVertexAttrib4Nuiv)                                  \
    X(version20, PFNGLVERTEXATTRIB4NUSVPROC, glVertexAttrib4Nusv)                                  \
    X(version20, PFNGLVERTEXATTRIB4BVPROC, glVertexAttrib4bv)                                      \
    X(version20, PFNGLVERTEXATTRIB4DPROC, glVertexAttrib4d)                                        \
    X(version20, PFNGLVERTEXATTRIB4DVPROC, glVertexAttrib4dv)                                      \
    X(version20, PFNGLVERTEXATTRIB4FPROC, glVertexAttrib4f)                                        \
    X(version20, PFNGLVERTEXATTRIB4FVPROC, glVertexAttrib4fv)                                      \
    X(version20, PFNGLVERTEXATTRIB4IVPROC, glVertexAttrib4iv)                                      \
    X(version20, PFNGLVERTEXATTRIB4SPROC, glVertexAttrib4s)                                        \
    X(version20, PFNGLVERTEXATTRIB4SVPROC, glVertexAttrib4sv)                                      \
    X(version20, PFNGLVERTEXATTRIB4UBVPROC, glVertexAttrib4ubv)                                    \
    X(version20, PFNGLVERTEXATTRIB4UIVPROC, glVertexAttrib4uiv)                                    \
    X(version20, PFNGLVERTEXATTRIB4USVPROC, glVertexAttrib4usv)                                    \
    X(version20, PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)                              \
    X(ARB_occlusion_query, PFNGLGENQUERIESARBPROC, glGenQueriesARB)                                \
    X(ARB_occlusion_query, PFNGLDELETEQUERIESARBPROC, glDeleteQueriesARB)                          \
    X(ARB_occlusion_query, PFNGLISQUERYARBPROC, glIsQueryARB)                                      \
    X(ARB_occlusion_query, PFNGLBEGINQUERYARBPROC, glBeginQueryARB)                                \
    X(ARB_occlusion_query, PFNGLENDQUERYARBPROC, glEndQueryARB)                                    \
    X(ARB_occlusion_query, PFNGLGETQUERYIVARBPROC, glGetQueryivARB)                                \
    X(ARB_occlusion_query, PFNGLGETQUERYOBJECTIVARBPROC, glGetQueryObjectivARB)                    \
    X(ARB_occlusion_query, PFNGLGETQUERYOBJECTUIVARBPROC, glGetQueryObjectuivARB)                  \
    X(ARB_framebuffer_object, PFNGLISRENDERBUFFERPROC, glIsRenderbuffer)                           \
    X(ARB_framebuffer_object, PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer)                       \
    X(ARB_framebuffer_object, PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers)                 \
    X(ARB_framebuffer_object, PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers)                       \
    X(ARB_framebuffer_object, PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage)                 \
    X(ARB_framebuffer_object, PFNGLGETRENDERBUFFERPARAMETERIVPROC, glGetRenderbufferParameteriv)   \
    X(ARB_framebuffer_object, PFNGLISFRAMEBUFFERPROC, glIsFramebuffer)                             \
    X(ARB_framebuffer_object, PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer)                         \
    X(ARB_framebuffer_object, PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers)                   \
    X(ARB_framebuffer_object, PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers)                         \
    X(ARB_framebuffer_object, PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus)           \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE1DPROC, glFramebufferTexture1D)               \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D)               \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE3DPROC, glFramebufferTexture3D)               \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer)         \
    X(ARB_framebuffer_object, PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, glGetFramebufferAttachmentParameteriv) \
    X(ARB_framebuffer_object, PFNGLGENERATEMIPMAPPROC, glGenerateMipmap)                           \
    X(ARB_framebuffer_object, PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer)                         \
    X(ARB_framebuffer_object, PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, glRenderbufferStorageMultisample) \
    X(ARB_framebuffer_object, PFNGLFRAMEBUFFERTEXTURELAYERPROC, glFramebufferTextureLayer)         \
    X(EXT_framebuffer_object, PFNGLISRENDERBUFFEREXTPROC, glIsRenderbufferEXT)                     \
    X(EXT_framebuffer_object, PFNGLBINDRENDERBUFFEREXTPROC, glBindRenderbufferEXT)                 \
    X(EXT_framebuffer_object, PFNGLDELETERENDERBUFFERSEXTPROC, glDeleteRenderbuffersEXT)           \
    X(EXT_framebuffer_object, PFNGLGENRENDERBUFFERSEXTPROC, glGenRenderbuffersEXT)                 \
    X(EXT_framebuffer_object, PFNGLRENDERBUFFERSTORAGEEXTPROC, glRenderbufferStorageEXT)           \
    X(EXT_framebuffer_object, PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC, glGetRenderbufferParameterivEXT) \
    X(EXT_framebuffer_object, PFNGLISFRAMEBUFFEREXTPROC, glIsFramebufferEXT)                       \
    X(EXT_framebuffer_object, PFNGLBINDFRAMEBUFFEREXTPROC, glBindFramebufferEXT)                   \
    X(EXT_framebuffer_object, PFNGLDELETEFRAMEBUFFERSEXTPROC, glDeleteFramebuffersEXT)             \
    X(EXT_framebuffer_object, PFNGLGENFRAMEBUFFERSEXTPROC, glGenFramebuffersEXT)                   \
    X(EXT_framebuffer_object, PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC, glCheckFramebufferStatusEXT)     \
    X(EXT_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE1DEXTPROC, glFramebufferTexture1DEXT)         \
    X(EXT_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE2DEXTPROC, glFramebufferTexture2DEXT)         \
    X(EXT_framebuffer_object, PFNGLFRAMEBUFFERTEXTURE3DEXTPROC, glFramebufferTexture3DEXT)         \
    X(EXT_framebuffer_object, PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC, glFramebufferRenderbufferEXT)   \
    X(EXT_framebuffer_object, PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC, glGetFramebufferAttachmentParameterivEXT) \
    X(EXT_framebuffer_object, PFNGLGENERATEMIPMAPEXTPROC, glGenerateMipmapEXT)                     \
    X(ARB_separate_shader_objects, PFNGLPROGRAMPARAMETERIPROC, glProgramParameteri)                \
    X(ARB_separate_shader_objects, PFNGLUSEPROGRAMSTAGESPROC, glUseProgramStages)                  \
    X(ARB_separate_shader_objects, PFNGLACTIVESHADERPROGRAMPROC, glActiveShaderProgram)            \
    X(ARB_separate_shader_objects, PFNGLCREATESHADERPROGRAMVPROC, glCreateShaderProgramv)          \
    X(ARB_separate_shader_objects, PFNGLBINDPROGRAMPIPELINEPROC, glBindProgramPipeline)            \
    X(ARB_separate_shader_objects, PFNGLDELETEPROGRAMPIPELINESPROC, glDeleteProgramPipelines)      \
    X(ARB_separate_shader_objects, PFNGLGENPROGRAMPIPELINESPROC, glGenProgramPipelines)            \
    X(ARB_separate_shader_objects, PFNGLISPROGRAMPIPELINEPROC, glIsProgramPipeline)                \
    X(ARB_separate_shader_objects, PFNGLGETPROGRAMPIPELINEIVPROC, glGetProgramPipelineiv)          \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1IPROC, glProgramUniform1i)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1IVPROC, glProgramUniform1iv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1FPROC, glProgramUniform1f)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1FVPROC, glProgramUniform1fv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1DPROC, glProgramUniform1d)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1DVPROC, glProgramUniform1dv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1UIPROC, glProgramUniform1ui)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM1UIVPROC, glProgramUniform1uiv)              \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2IPROC, glProgramUniform2i)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2IVPROC, glProgramUniform2iv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2FPROC, glProgramUniform2f)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2FVPROC, glProgramUniform2fv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2DPROC, glProgramUniform2d)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2DVPROC, glProgramUniform2dv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2UIPROC, glProgramUniform2ui)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM2UIVPROC, glProgramUniform2uiv)              \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3IPROC, glProgramUniform3i)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3IVPROC, glProgramUniform3iv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3FPROC, glProgramUniform3f)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3FVPROC, glProgramUniform3fv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3DPROC, glProgramUniform3d)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3DVPROC, glProgramUniform3dv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3UIPROC, glProgramUniform3ui)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM3UIVPROC, glProgramUniform3uiv)              \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4IPROC, glProgramUniform4i)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4IVPROC, glProgramUniform4iv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4FPROC, glProgramUniform4f)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4FVPROC, glProgramUniform4fv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4DPROC, glProgramUniform4d)                  \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4DVPROC, glProgramUniform4dv)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4UIPROC, glProgramUniform4ui)                \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORM4UIVPROC, glProgramUniform4uiv)              \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2FVPROC, glProgramUniformMatrix2fv)    \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3FVPROC, glProgramUniformMatrix3fv)    \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4FVPROC, glProgramUniformMatrix4fv)    \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2DVPROC, glProgramUniformMatrix2dv)    \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3DVPROC, glProgramUniformMatrix3dv)    \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4DVPROC, glProgramUniformMatrix4dv)    \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2X3FVPROC, glProgramUniformMatrix2x3fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3X2FVPROC, glProgramUniformMatrix3x2fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2X4FVPROC, glProgramUniformMatrix2x4fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4X2FVPROC, glProgramUniformMatrix4x2fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3X4FVPROC, glProgramUniformMatrix3x4fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4X3FVPROC, glProgramUniformMatrix4x3fv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2X3DVPROC, glProgramUniformMatrix2x3dv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3X2DVPROC, glProgramUniformMatrix3x2dv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX2X4DVPROC, glProgramUniformMatrix2x4dv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4X2DVPROC, glProgramUniformMatrix4x2dv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX3X4DVPROC, glProgramUniformMatrix3x4dv) \
    X(ARB_separate_shader_objects, PFNGLPROGRAMUNIFORMMATRIX4X3DVPROC, glProgramUniformMatrix4x3dv) \
    X(ARB_separate_shader_objects, PFNGLVALIDATEPROGRAMPIPELINEPROC, glValidateProgramPipeline)    \
    X(ARB_separate_shader_objects, PFNGLGETPROGRAMPIPELINEINFOLOGPROC, glGetProgramPipelineInfoLog) \
    /* entries for one family of the plug-in are appended above this line */
// clang-format on

// Window-system entry points, X(group, name), fetched last. WGL functions are fetched
// when the window-system string names their extension (Windows), GLX functions when the
// GLX binding offers them (X11). They are kept untyped so that no window-system header
// reaches the rest of the plug-in; the user casts to the published signature.
// clang-format off
#define VARNET_WINDOW_SYSTEM_ENTRY_POINTS(X)                                                       \
    X(wglAdvertised.ARB_make_current_read, wglMakeContextCurrentARB)                               \
    X(wglAdvertised.ARB_make_current_read, wglGetCurrentReadDCARB)                                 \
    X(wglAdvertised.EXT_swap_control, wglSwapIntervalEXT)                                          \
    X(wglAdvertised.EXT_swap_control, wglGetSwapIntervalEXT)                                       \
    X(wglAdvertised.ARB_render_texture, wglBindTexImageARB)                                        \
    X(wglAdvertised.ARB_render_texture, wglReleaseTexImageARB)                                     \
    X(wglAdvertised.ARB_render_texture, wglSetPbufferAttribARB)                                    \
    X(wglAdvertised.ARB_pixel_format, wglGetPixelFormatAttribivARB)                                \
    X(wglAdvertised.ARB_pixel_format, wglGetPixelFormatAttribfvARB)                                \
    X(wglAdvertised.ARB_pixel_format, wglChoosePixelFormatARB)                                     \
    X(wglAdvertised.ARB_pbuffer, wglCreatePbufferARB)                                              \
    X(wglAdvertised.ARB_pbuffer, wglGetPbufferDCARB)                                               \
    X(wglAdvertised.ARB_pbuffer, wglReleasePbufferDCARB)                                           \
    X(wglAdvertised.ARB_pbuffer, wglDestroyPbufferARB)                                             \
    X(wglAdvertised.ARB_pbuffer, wglQueryPbufferARB)                                               \
    X(wglAdvertised.ARB_buffer_region, wglCreateBufferRegionARB)                                   \
    X(wglAdvertised.ARB_buffer_region, wglDeleteBufferRegionARB)                                   \
    X(wglAdvertised.ARB_buffer_region, wglSaveBufferRegionARB)                                     \
    X(wglAdvertised.ARB_buffer_region, wglRestoreBufferRegionARB)                                  \
    X(glx.present, glXGetCurrentDisplay)                                                           \
    X(glx.present, glXGetCurrentContext)                                                           \
    X(glx.present, glXGetCurrentDrawable)                                                          \
    X(glx.version13, glXGetFBConfigs)                                                              \
    X(glx.version13, glXChooseFBConfig)                                                            \
    X(glx.version13, glXGetFBConfigAttrib)                                                         \
    X(glx.version13, glXGetVisualFromFBConfig)                                                     \
    X(glx.version13, glXCreateNewContext)                                                          \
    X(glx.version13, glXMakeContextCurrent)                                                        \
    X(glx.version13, glXGetCurrentReadDrawable)                                                    \
    X(glx.version13, glXCreatePbuffer)                                                             \
    X(glx.version13, glXDestroyPbuffer)                                                            \
    X(glx.version13, glXQueryDrawable)                                                             \
    X(glx.SGI_make_current_read, glXMakeCurrentReadSGI)                                            \
    X(glx.SGI_make_current_read, glXGetCurrentReadDrawableSGI)                                     \
    X(glx.SGIX_fbconfig, glXGetFBConfigAttribSGIX)                                                 \
    X(glx.SGIX_fbconfig, glXChooseFBConfigSGIX)                                                    \
    X(glx.SGIX_fbconfig, glXCreateContextWithConfigSGIX)                                           \
    X(glx.SGIX_fbconfig, glXGetVisualFromFBConfigSGIX)                                             \
    X(glx.SGIX_pbuffer, glXCreateGLXPbufferSGIX)                                                   \
    X(glx.SGIX_pbuffer, glXDestroyGLXPbufferSGIX)                                                  \
    X(glx.SGIX_pbuffer, glXQueryGLXPbufferSGIX)                                                    \
    X(glx.EXT_swap_control, glXSwapIntervalEXT)                                                    \
    X(glx.MESA_swap_control, glXSwapIntervalMESA)
// clang-format on

namespace arvel::varnet {

struct EntryPoints {
#define VARNET_ENTRY(group, type, name) type name = nullptr;
    VARNET_GL_ENTRY_POINTS(VARNET_ENTRY)
#undef VARNET_ENTRY
};

extern EntryPoints gl;

using WindowSystemProc = void (*)();

struct WindowSystemEntryPoints {
#define VARNET_ENTRY(group, name) WindowSystemProc name = nullptr;
    VARNET_WINDOW_SYSTEM_ENTRY_POINTS(VARNET_ENTRY)
#undef VARNET_ENTRY
};

extern WindowSystemEntryPoints gWindowSystem;

}  // namespace arvel::varnet
