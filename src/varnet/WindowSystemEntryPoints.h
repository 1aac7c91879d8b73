// Window-system entry points, X(group, name), fetched last. WGL functions are fetched
// when the window-system string names their extension (Windows), GLX functions when the
// GLX binding offers them (X11). They are kept untyped so that no window-system header
// reaches the rest of the plug-in; the user casts to the published signature.
#pragma once

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
