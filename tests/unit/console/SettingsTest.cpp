#include "console/Settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "console/Console.h"

namespace arvel {
namespace {

struct Expected {
    const char* name;
    const char* text;
    bool locked;
};

// Registration order, default texts and locks, the console's own three first.
const Expected kTable[] = {
    {"c_size", "0.750000", false},
    {"c_font", "SysFont.fpf", false},
    {"c_transparency", "0.750000", false},
    {"scr_width", "640.000000", false},
    {"scr_height", "480.000000", false},
    {"scr_bpp", "32.000000", false},
    {"scr_dbpp", "24.000000", false},
    {"scr_sbpp", "8.000000", false},
    {"scr_freq", "72.000000", false},
    {"gfx_driver", "Varnet.drv", false},
    {"gfx_vpprofile", "best", true},
    {"gfx_fpprofile", "best", true},
    {"gfx_hwskin", "false", true},
    {"gfx_texcompress", "true", false},
    {"gfx_bumpcompress", "false", false},
    {"gfx_scissor", "true", false},
    {"gfx_twosidestencil", "false", false},
    {"gfx_dshadows", "true", false},
    {"gfx_boxmerge", "999999995904.000000", false},
    {"gfx_wireframe", "false", false},
    {"gfx_hw_occlusion_culling", "true", false},
    {"gfx_force_dynamic", "false", false},
    {"gfx_light_cache", "32.000000", false},
    {"gfx_near_clipplane", "1.000000", false},
    {"gfx_cull_volumes", "true", false},
    {"dbg_draw_bboxes", "false", false},
    {"dbg_draw_sboxes", "false", false},
    {"dbg_draw_tangentspace", "false", false},
    {"dbg_draw_edges", "false", false},
    {"exp_default_texturemap", "white.tga", true},
    {"exp_default_normalmap", "white.tga", true},
    {"exp_default_technique", "static_default.rt", true},
    {"exp_root_dir", "C:\\Brant\\game\\", true},
    {"exp_beam_samples", "25.000000", true},
    {"scr_fullscreen", "true", false},
    {"scr_resizable", "true", false},
    {"dbg_frame_ms", "0.000000", false},
    {"dbg_quit_frame", "0.000000", false},
    {"dbg_camera", "", false},
    {"dbg_screenshot_frame", "0.000000", false},
    {"dbg_screenshot", "screenshot.png", false},
    {"dbg_print_camera", "false", false},
    {"dbg_walk_all", "false", false},
    {"dbg_flat_white", "false", false},
    {"dbg_clear_colour", "0 0 0", false},
    {"dbg_record_path", "", false},
    {"dbg_timedemo", "", true},
    {"dbg_reload", "true", false},
    {"scr_vsync", "false", true},
    {"scr_multisample", "0.000000", true},
};

TEST(Settings, RegisteredInTableOrderWithExactDefaultsLocksAndADescription) {
    Console console;
    Settings settings;
    registerSettings(console, settings);
    const auto& listed = console.variables();
    ASSERT_EQ(listed.size(), std::size(kTable));
    for (size_t i = 0; i < listed.size(); ++i) {
        EXPECT_STREQ(listed[i]->name, kTable[i].name) << i;
        EXPECT_STREQ(listed[i]->text, kTable[i].text) << kTable[i].name;
        EXPECT_EQ(listed[i]->locked, kTable[i].locked) << kTable[i].name;
        ASSERT_NE(listed[i]->description, nullptr) << kTable[i].name;
        EXPECT_GT(strlen(listed[i]->description), 10u) << kTable[i].name;
    }
}

TEST(Settings, MembersAreTheRegisteredVariables) {
    Console console;
    Settings settings;
    registerSettings(console, settings);
    EXPECT_EQ(console.findVariable("gfx_hw_occlusion_culling"), &settings.gfxHwOcclusionCulling);
    EXPECT_EQ(console.findVariable("dbg_quit_frame"), &settings.dbgQuitFrame);

    console.executeLine("gfx_light_cache 64 scr_fullscreen false");
    EXPECT_EQ(static_cast<int>(settings.gfxLightCache.number), 64);
    EXPECT_FALSE(settings.scrFullscreen.flag);
    EXPECT_DOUBLE_EQ(settings.gfxBoxmerge.number, 999999995904.0);
}

TEST(Settings, ProcessWideAccessorAlwaysGivesTheSameObject) {
    EXPECT_EQ(&settings(), &settings());
    EXPECT_STREQ(settings().gfxDriver.text, "Varnet.drv");
}

}  // namespace
}  // namespace arvel
