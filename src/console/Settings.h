// Every setting of the engine as a named console variable with its default. Code keeps
// pointers to these members; "autoexec.cfg" sets them through the console.
#pragma once

#include "console/ConsoleVariable.h"

namespace arvel {

class Console;

struct Settings {
    ConsoleVariable scrWidth{"scr_width", 640.0};
    ConsoleVariable scrHeight{"scr_height", 480.0};
    ConsoleVariable scrBpp{"scr_bpp", 32.0};
    ConsoleVariable scrDbpp{"scr_dbpp", 24.0};
    ConsoleVariable scrSbpp{"scr_sbpp", 8.0};
    ConsoleVariable scrFreq{"scr_freq", 72.0};
    ConsoleVariable gfxDriver{"gfx_driver", "Varnet.drv"};
    ConsoleVariable gfxVpprofile{"gfx_vpprofile", "best", true};
    ConsoleVariable gfxFpprofile{"gfx_fpprofile", "best", true};
    ConsoleVariable gfxHwskin{"gfx_hwskin", false, true};
    ConsoleVariable gfxTexcompress{"gfx_texcompress", true};
    ConsoleVariable gfxBumpcompress{"gfx_bumpcompress", false};
    ConsoleVariable gfxScissor{"gfx_scissor", true};
    ConsoleVariable gfxTwosidestencil{"gfx_twosidestencil", false};
    ConsoleVariable gfxDshadows{"gfx_dshadows", true};
    // 1e12 as a single-precision float: 999999995904.
    ConsoleVariable gfxBoxmerge{"gfx_boxmerge", static_cast<double>(1e12f)};
    ConsoleVariable gfxWireframe{"gfx_wireframe", false};
    ConsoleVariable gfxHwOcclusionCulling{"gfx_hw_occlusion_culling", true};
    ConsoleVariable gfxForceDynamic{"gfx_force_dynamic", false};
    ConsoleVariable gfxLightCache{"gfx_light_cache", 32.0};
    ConsoleVariable gfxNearClipplane{"gfx_near_clipplane", 1.0};
    ConsoleVariable gfxCullVolumes{"gfx_cull_volumes", true};
    ConsoleVariable dbgDrawBboxes{"dbg_draw_bboxes", false};
    ConsoleVariable dbgDrawSboxes{"dbg_draw_sboxes", false};
    ConsoleVariable dbgDrawTangentspace{"dbg_draw_tangentspace", false};
    ConsoleVariable dbgDrawEdges{"dbg_draw_edges", false};
    ConsoleVariable expDefaultTexturemap{"exp_default_texturemap", "white.tga", true};
    ConsoleVariable expDefaultNormalmap{"exp_default_normalmap", "white.tga", true};
    ConsoleVariable expDefaultTechnique{"exp_default_technique", "static_default.rt", true};
    ConsoleVariable expRootDir{"exp_root_dir", "C:\\Brant\\game\\", true};
    ConsoleVariable expBeamSamples{"exp_beam_samples", 25.0, true};

    // false: a normal window, and no display-mode switch on activation.
    ConsoleVariable scrFullscreen{"scr_fullscreen", true};
    // true: a window (not full screen) can be resized and maximised; the frame follows.
    ConsoleVariable scrResizable{"scr_resizable", true};
    // Above 0: the frame clock advances by exactly this many ms per frame.
    ConsoleVariable dbgFrameMs{"dbg_frame_ms", 0.0};
    // Above 0: the window closes, as by Escape, after this many frames.
    ConsoleVariable dbgQuitFrame{"dbg_quit_frame", 0.0};
    // "x y z pitch yaw roll": where the camera starts instead of the demo's place.
    ConsoleVariable dbgCamera{"dbg_camera", ""};
    // Above 0: the frame of that number is written to the file named by dbg_screenshot.
    ConsoleVariable dbgScreenshotFrame{"dbg_screenshot_frame", 0.0};
    ConsoleVariable dbgScreenshot{"dbg_screenshot", "screenshot.png"};
    // true: the camera's place and angles are printed to standard output on exit.
    ConsoleVariable dbgPrintCamera{"dbg_print_camera", false};
    // true: every frame walks from every sector, as without a camera sector, so that
    // what the portal walk saves can be measured.
    ConsoleVariable dbgWalkAll{"dbg_walk_all", false};
    // true: materials loaded from then on draw white with flat normals (their first
    // texture becomes "white.tga", the others a flat normal map), so that pictures
    // show only lighting and shadows.
    ConsoleVariable dbgFlatWhite{"dbg_flat_white", false};
    // "r g b" from 0 to 1: the colour the frame is cleared to, so that a picture test can
    // find the pixels no surface covers.
    ConsoleVariable dbgClearColour{"dbg_clear_colour", "0 0 0"};
    // A file name: each frame's camera and clock are appended to it while set.
    ConsoleVariable dbgRecordPath{"dbg_record_path", ""};
    // A file name: the recorded path is replayed as fast as frames draw, then the run
    // prints its frame rate and ends. Read at start-up only.
    ConsoleVariable dbgTimedemo{"dbg_timedemo", "", true};
    // true: changed files are looked for about twice a second and reloaded.
    ConsoleVariable dbgReload{"dbg_reload", true};
    // Both take effect when the window opens, so only autoexec.cfg sets them.
    // true: each swap waits for the display's vertical refresh.
    ConsoleVariable scrVsync{"scr_vsync", false, true};
    // Samples per pixel for smoothed edges: 0 (none), 2, 4 or 8.
    ConsoleVariable scrMultisample{"scr_multisample", 0.0, true};
};

// Registers every member of settings with console, in declaration order, and gives each
// its description.
void registerSettings(Console& console, Settings& settings);

// The process-wide settings.
Settings& settings();

}  // namespace arvel
