// Which OpenGL version and extensions the context offers, and their entry points.
// Filled once by initialiseExtensions() while the window's context is current; the
// rest of the plug-in tests the flags to choose its code paths and calls through the
// entry points of EntryPoints.h.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

// The OpenGL extensions of the classic list, tested in this order, without their "GL_"
// prefix (glext.h defines the prefixed names as macros).
// clang-format off
#define VARNET_GL_EXTENSIONS(X)                                                                    \
    X(ARB_depth_texture) X(ARB_fragment_program) X(ARB_imaging) X(ARB_matrix_palette)              \
    X(ARB_multisample) X(ARB_multitexture) X(ARB_point_parameters) X(ARB_shadow)                   \
    X(ARB_shadow_ambient) X(ARB_texture_border_clamp) X(ARB_texture_compression)                   \
    X(ARB_texture_cube_map) X(ARB_texture_env_add) X(ARB_texture_env_combine)                      \
    X(ARB_texture_env_crossbar) X(ARB_texture_env_dot3) X(ARB_texture_mirrored_repeat)             \
    X(ARB_transpose_matrix) X(ARB_vertex_blend) X(ARB_vertex_buffer_object)                        \
    X(ARB_vertex_program) X(ARB_window_pos) X(EXT_abgr) X(EXT_bgra) X(EXT_blend_color)             \
    X(EXT_blend_func_separate) X(EXT_blend_minmax) X(EXT_blend_subtract)                           \
    X(EXT_compiled_vertex_array) X(EXT_cull_vertex) X(EXT_draw_range_elements) X(EXT_fog_coord)    \
    X(EXT_multi_draw_arrays) X(EXT_point_parameters) X(EXT_secondary_color)                        \
    X(EXT_separate_specular_color) X(EXT_shadow_funcs) X(EXT_stencil_two_side)                     \
    X(EXT_stencil_wrap) X(EXT_texture_compression_s3tc) X(EXT_texture_env_combine)                 \
    X(EXT_texture_filter_anisotropic) X(EXT_texture_lod_bias) X(EXT_vertex_shader)                 \
    X(EXT_vertex_weighting) X(ATI_draw_buffers) X(ATI_element_array) X(ATI_envmap_bumpmap)         \
    X(ATI_fragment_shader) X(ATI_map_object_buffer) X(ATI_pn_triangles) X(ATI_point_cull_mode)     \
    X(ATI_separate_stencil) X(ATI_text_fragment_shader) X(ATI_texture_env_combine3)                \
    X(ATI_texture_float) X(ATI_texture_mirror_once) X(ATI_vertex_array_object)                     \
    X(ATI_vertex_attrib_array_object) X(ATI_vertex_streams) X(ATIX_point_sprites)                  \
    X(ATIX_texture_env_route) X(HP_occlusion_test) X(NV_blend_square) X(NV_copy_depth_to_color)    \
    X(NV_depth_clamp) X(NV_element_array) X(NV_evaluators) X(NV_fence) X(NV_float_buffer)          \
    X(NV_fog_distance) X(NV_fragment_program) X(NV_half_float) X(NV_light_max_exponent)            \
    X(NV_occlusion_query) X(NV_packed_depth_stencil) X(NV_pixel_data_range) X(NV_point_sprite)     \
    X(NV_primitive_restart) X(NV_register_combiners) X(NV_register_combiners2)                     \
    X(NV_texgen_reflection) X(NV_texture_env_combine4) X(NV_texture_expand_normal)                 \
    X(NV_texture_rectangle) X(NV_texture_shader) X(NV_texture_shader2) X(NV_texture_shader3)       \
    X(NV_vertex_array_range) X(NV_vertex_array_range2) X(NV_vertex_program)                        \
    X(NV_vertex_program1_1) X(NV_vertex_program2) X(SGIS_texture_lod) X(SGIX_depth_texture)        \
    X(SGIX_shadow)
// clang-format on

// Beyond the classic list: the modern paths the plug-in draws with (occlusion queries,
// GLSL separable programs, framebuffer objects, rectangle, float and non-power-of-two
// textures). Tested after the classic list by the same rule; append new names here.
// clang-format off
#define VARNET_GL_MODERN_EXTENSIONS(X)                                                             \
    X(ARB_occlusion_query) X(ARB_shader_objects) X(ARB_vertex_shader) X(ARB_fragment_shader)       \
    X(ARB_separate_shader_objects) X(ARB_framebuffer_object) X(ARB_texture_rectangle)              \
    X(ARB_texture_float) X(ARB_texture_non_power_of_two) X(EXT_texture_mirror_clamp)               \
    X(EXT_framebuffer_object) X(SGIS_generate_mipmap)
// clang-format on

// The window-system extensions tested, in order, without their "WGL_" prefix.
// clang-format off
#define VARNET_WGL_EXTENSIONS(X)                                                                   \
    X(ARB_buffer_region) X(ARB_make_current_read) X(ARB_multisample) X(ARB_pbuffer)            \
    X(ARB_pixel_format) X(ARB_render_texture) X(ATI_pixel_format_float) X(EXT_swap_control)    \
    X(NV_render_depth_texture) X(NV_render_texture_rectangle)
// clang-format on

// What the GLX binding offers on X11, without the "GLX_" prefix; the window-system flags
// are derived from these (deriveWindowSystemFlags below holds the table).
// clang-format off
#define VARNET_GLX_EXTENSIONS(X)                                                                   \
    X(SGIX_fbconfig) X(SGIX_pbuffer) X(SGI_make_current_read) X(ARB_multisample)               \
    X(ARB_fbconfig_float) X(EXT_swap_control) X(MESA_swap_control)
// clang-format on

namespace arvel::varnet {

struct Extensions {
    // From the major and minor numbers that begin the version string.
    bool version12 = false, version13 = false, version14 = false;
    bool version15 = false, version20 = false;

#define VARNET_FLAG(name) bool name = false;
    VARNET_GL_EXTENSIONS(VARNET_FLAG)
    VARNET_GL_MODERN_EXTENSIONS(VARNET_FLAG)

    // Functions that several extensions (or an extension and a core version) define,
    // or that an extension defines only together with another one: fetched when any
    // of their definers is present.
    struct Combined {
        bool ARB_program = false;                    // ARB vertex or fragment program
        bool blend_colour = false;                   // ARB_imaging or OpenGL 1.4
        bool NV_half_float_multitexture = false;     // and OpenGL 1.3 or ARB_multitexture
        bool NV_half_float_fog_coord = false;        // and EXT_fog_coord
        bool NV_half_float_secondary_color = false;  // and EXT_secondary_color
        bool NV_half_float_vertex_weight = false;    // and EXT_vertex_weighting
        bool NV_half_float_vertex_program = false;   // and NV_vertex_program
    } combined;

    // Window-system extensions: present when the window-system string names them or,
    // on X11, when their GLX equivalent is offered.
    struct WindowSystem {
        VARNET_WGL_EXTENSIONS(VARNET_FLAG)
    } wgl;
    // The WGL names that the window-system string itself holds (Windows only).
    WindowSystem wglAdvertised;
    bool hasGetExtensionsStringARB = false, hasGetExtensionsStringEXT = false;

    struct Glx {
        bool present = false;    // a GLX display is current
        bool version13 = false;  // GLX 1.3 or later: fbconfigs, pbuffers, read drawables
        VARNET_GLX_EXTENSIONS(VARNET_FLAG)
    } glx;
#undef VARNET_FLAG
};

extern Extensions gExt;

// Runs the whole detection with a current context; 0 on success, non-zero when a
// present window-system extension lacks an entry point.
int initialiseExtensions();

bool hasExtension(const char* name);     // the OpenGL string
bool hasWGLExtension(const char* name);  // the window-system string

// The string rules below need no context; they are inline so that tests reach them.

// Whole-word test of name against a blank-separated extension string. An empty name, a
// name with a blank and a missing string are never present.
inline bool hasExtensionIn(const char* extensions, const char* name) {
    if (extensions == nullptr || name == nullptr || *name == '\0' || std::strchr(name, ' '))
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(extensions, name); at; at = std::strstr(at + 1, name)) {
        const bool starts = at == extensions || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends) return true;
    }
    return false;
}

struct GLVersion {
    int major = 0, minor = 0;
};

// The "major.minor" that begins a version string ("4.5 (Compatibility Profile) Mesa
// 22.3.6" is 4.5); 0.0 when the string does not begin with one.
inline GLVersion parseGLVersion(const char* text) {
    auto number = [](const char*& at, int& value) {
        if (*at < '0' || *at > '9') return false;
        for (value = 0; *at >= '0' && *at <= '9'; ++at)
            if ((value = value * 10 + (*at - '0')) > 9999) return false;
        return true;
    };
    GLVersion version;
    const char* at = text;
    int major = 0, minor = 0;
    if (at == nullptr || !number(at, major) || *at++ != '.' || !number(at, minor)) return version;
    version.major = major;
    version.minor = minor;
    return version;
}

inline bool versionAtLeast(const GLVersion& version, int major, int minor) {
    return version.major > major || (version.major == major && version.minor >= minor);
}

// Sets every version flag of extensions from a version string.
inline void setVersionFlags(Extensions& extensions, const char* versionString) {
    const GLVersion version = parseGLVersion(versionString);
    extensions.version12 = versionAtLeast(version, 1, 2);
    extensions.version13 = versionAtLeast(version, 1, 3);
    extensions.version14 = versionAtLeast(version, 1, 4);
    extensions.version15 = versionAtLeast(version, 1, 5);
    extensions.version20 = versionAtLeast(version, 2, 0);
}

// The WGL flags on X11, from their GLX equivalents (added to what the string names):
//   WGL_ARB_buffer_region            none (GLX has no buffer regions)
//   WGL_ARB_make_current_read        GLX 1.3 (glXMakeContextCurrent) or GLX_SGI_make_current_read
//   WGL_ARB_multisample              GLX_ARB_multisample
//   WGL_ARB_pbuffer                  GLX 1.3 (glXCreatePbuffer) or GLX_SGIX_pbuffer
//   WGL_ARB_pixel_format             GLX 1.3 (glXChooseFBConfig) or GLX_SGIX_fbconfig
//   WGL_ARB_render_texture           none (GLX cannot bind a pbuffer as a texture)
//   WGL_ATI_pixel_format_float       GLX_ARB_fbconfig_float
//   WGL_EXT_swap_control             GLX_EXT_swap_control or GLX_MESA_swap_control
//   WGL_NV_render_depth_texture      none
//   WGL_NV_render_texture_rectangle  none
inline void deriveWindowSystemFlags(Extensions::WindowSystem& wgl, const Extensions::Glx& glx) {
    if (!glx.present) return;
    wgl.ARB_make_current_read |= glx.version13 || glx.SGI_make_current_read;
    wgl.ARB_multisample |= glx.ARB_multisample;
    wgl.ARB_pbuffer |= glx.version13 || glx.SGIX_pbuffer;
    wgl.ARB_pixel_format |= glx.version13 || glx.SGIX_fbconfig;
    wgl.ATI_pixel_format_float |= glx.ARB_fbconfig_float;
    wgl.EXT_swap_control |= glx.EXT_swap_control || glx.MESA_swap_control;
}

}  // namespace arvel::varnet
