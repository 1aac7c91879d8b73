// The demo as a player starts it, with the real driver, for a few hundred frames: the
// run must end by itself with status 0 and nothing reported on the way. In the
// sanitizer build the same run is the leak and memory-error check of a whole session
// (the sanitizers make the status non-zero and write their report to stderr).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "shared/TempDir.h"
#include "support/Pictures.h"
#include "support/Process.h"

namespace arvel::test {
namespace {

constexpr int kFrames = 300;

// Sanitizer reports that end a run or are printed on the way.
constexpr const char* kReports[] = {"AddressSanitizer", "LeakSanitizer",
                                    "runtime error:", "Fatal error"};

class DemoRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
        copyDemoData(dir_);
        std::filesystem::remove(dir_.path() / "dump.dmp");
    }

    std::string file(const char* name) const {
        return std::filesystem::exists(dir_.path() / name) ? dir_.read(name) : "";
    }

    TempDir dir_;
};

TEST_F(DemoRun, PlaysThreeHundredFramesAndQuitsWithNothingReported) {
    // The demo's own start-up settings, in a smaller window, with a fixed clock so that
    // the lights flicker and the meshes animate the same way every run.
    dir_.write("autoexec.cfg",
               "scr_fullscreen false\nscr_width 640\nscr_height 480\n"
               "gfx_driver \"Varnet.drv\"\ndbg_frame_ms 20\ndbg_quit_frame " +
                   std::to_string(kFrames) + "\ndbg_screenshot_frame " + std::to_string(kFrames) +
                   "\ndbg_screenshot \"last.png\"\n");
    Process game({ARVEL_BIN_DIR "/game"}, dir_.path().string(), {{"ARVEL_NO_DIALOGS", "1"}});
    const ProcessResult result = game.wait(280);

    ASSERT_FALSE(result.timedOut) << "the demo did not quit by itself\n" << result.err;
    EXPECT_EQ(result.signal, 0) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (const char* report : kReports)
        EXPECT_EQ(result.err.find(report), std::string::npos) << report << "\n" << result.err;
    EXPECT_EQ(file("dump.dmp"), "") << "the run wrote to its log";

    // The last frame was drawn: the level is lit, not a black window.
    RgbImage last;
    ASSERT_TRUE(readPng((dir_.path() / "last.png").string(), last)) << "no picture of frame 300";
    EXPECT_EQ(last.width, 640);
    EXPECT_EQ(last.height, 480);
    EXPECT_LT(darkShare(last), 0.9);
}

}  // namespace
}  // namespace arvel::test
