// Which OpenGL version and extensions the context offers, and their entry points.
// Filled once by initialiseExtensions() while the window's context is current; the
// rest of the plug-in tests the flags to choose its code paths and calls through the
// entry points.
#pragma once

#define GL_GLEXT_PROTOTYPES 0
#include <GL/gl.h>
#include <GL/glext.h>

// The OpenGL extensions tested, in order, without their "GL_" prefix (glext.h defines
// the prefixed names as macros).
#define VARNET_GL_EXTENSIONS(X)                                                                    \
    X(ARB_depth_texture) X(ARB_fragment_program) X(ARB_imaging) X(ARB_matrix_palette)  \
    X(ARB_multisample) X(ARB_multitexture) X(ARB_point_parameters) X(ARB_shadow)       \
    X(ARB_shadow_ambient) X(ARB_texture_border_clamp) X(ARB_texture_compression)          \
    X(ARB_texture_cube_map) X(ARB_texture_env_add) X(ARB_texture_env_combine)             \
    X(ARB_texture_env_crossbar) X(ARB_texture_env_dot3) X(ARB_texture_mirrored_repeat)    \
    X(ARB_transpose_matrix) X(ARB_vertex_blend) X(ARB_vertex_buffer_object)               \
    X(ARB_vertex_program) X(ARB_window_pos) X(EXT_abgr) X(EXT_bgra)                    \
    X(EXT_blend_color) X(EXT_blend_func_separate) X(EXT_blend_minmax)                     \
    X(EXT_blend_subtract) X(EXT_compiled_vertex_array) X(EXT_cull_vertex)                 \
    X(EXT_draw_range_elements) X(EXT_fog_coord) X(EXT_multi_draw_arrays)                  \
    X(EXT_point_parameters) X(EXT_secondary_color) X(EXT_separate_specular_color)         \
    X(EXT_shadow_funcs) X(EXT_stencil_two_side) X(EXT_stencil_wrap)                       \
    X(EXT_texture_compression_s3tc) X(EXT_texture_env_combine)                               \
    X(EXT_texture_filter_anisotropic) X(EXT_texture_lod_bias) X(EXT_vertex_shader)        \
    X(EXT_vertex_weighting) X(ATI_draw_buffers) X(ATI_element_array)                      \
    X(ATI_envmap_bumpmap) X(ATI_fragment_shader) X(ATI_map_object_buffer)                 \
    X(ATI_pn_triangles) X(ATI_point_cull_mode) X(ATI_separate_stencil)                    \
    X(ATI_text_fragment_shader) X(ATI_texture_env_combine3) X(ATI_texture_float)          \
    X(ATI_texture_mirror_once) X(ATI_vertex_array_object)                                    \
    X(ATI_vertex_attrib_array_object) X(ATI_vertex_streams) X(ATIX_point_sprites)         \
    X(ATIX_texture_env_route) X(HP_occlusion_test) X(NV_blend_square)                     \
    X(NV_copy_depth_to_color) X(NV_depth_clamp) X(NV_element_array) X(NV_evaluators)   \
    X(NV_fence) X(NV_float_buffer) X(NV_fog_distance) X(NV_fragment_program)           \
    X(NV_half_float) X(NV_light_max_exponent) X(NV_occlusion_query)                       \
    X(NV_packed_depth_stencil) X(NV_pixel_data_range) X(NV_point_sprite)                  \
    X(NV_primitive_restart) X(NV_register_combiners) X(NV_register_combiners2)            \
    X(NV_texgen_reflection) X(NV_texture_env_combine4) X(NV_texture_expand_normal)        \
    X(NV_texture_rectangle) X(NV_texture_shader) X(NV_texture_shader2)                    \
    X(NV_texture_shader3) X(NV_vertex_array_range) X(NV_vertex_array_range2)              \
    X(NV_vertex_program) X(NV_vertex_program1_1) X(NV_vertex_program2)                    \
    X(SGIS_texture_lod) X(SGIX_depth_texture) X(SGIX_shadow)                              \
    X(ARB_occlusion_query) X(ARB_separate_shader_objects)                                 \
    X(ARB_framebuffer_object) X(EXT_framebuffer_object) X(SGIS_generate_mipmap)

// The window-system extensions tested, in order, without their "WGL_" prefix.
#define VARNET_WGL_EXTENSIONS(X)                                                                   \
    X(ARB_buffer_region) X(ARB_make_current_read) X(ARB_multisample)                   \
    X(ARB_pbuffer) X(ARB_pixel_format) X(ARB_render_texture)                           \
    X(ATI_pixel_format_float) X(EXT_swap_control) X(NV_render_depth_texture)           \
    X(NV_render_texture_rectangle)

namespace arvel::varnet {

struct Extensions {
    bool version12 = false, version13 = false, version14 = false;
#define VARNET_FLAG(name) bool name = false;
    VARNET_GL_EXTENSIONS(VARNET_FLAG)
    struct WindowSystem {
        VARNET_WGL_EXTENSIONS(VARNET_FLAG)
    } wgl;
#undef VARNET_FLAG
    bool hasGetExtensionsStringARB = false, hasGetExtensionsStringEXT = false;
};

extern Extensions gExt;

// Runs the whole detection with a current context; 0 on success, non-zero when a
// present window-system extension lacks an entry point.
int initialiseExtensions();

// Whole-word test of name against a blank-separated extension string.
bool hasExtensionIn(const char* extensions, const char* name);
bool hasExtension(const char* name);     // the OpenGL string
bool hasWGLExtension(const char* name);  // the window-system string

}  // namespace arvel::varnet
