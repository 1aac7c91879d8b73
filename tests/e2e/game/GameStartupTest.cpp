#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "shared/TempDir.h"
#include "support/Pictures.h"
#include "support/Process.h"

namespace arvel {
namespace {

using test::Process;
using test::ProcessResult;
using test::TempDir;

class GameRun : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    }

    std::unique_ptr<Process> start(const std::string& autoexec) {
        copyDemoData(dir_);
        dir_.write("autoexec.cfg", autoexec);
        return std::make_unique<Process>(
            std::vector<std::string>{ARVEL_BIN_DIR "/game"}, dir_.path().string(),
            std::vector<std::pair<std::string, std::string>>{
                {"ARVEL_NO_DIALOGS", "1"},
                {"ARVEL_COUNT_FILE", (dir_.path() / "counts.txt").string()}});
    }

    // The driver calls counted by the counting plug-in, by name.
    std::map<std::string, long> driverCounts() const {
        std::map<std::string, long> counts;
        std::istringstream in(dir_.read("counts.txt"));
        std::string name;
        long count;
        while (in >> name >> count) counts[name] = count;
        return counts;
    }

    TempDir dir_;
};

TEST_F(GameRun, PresentsTheRequestedFramesThroughTheDriverAndExitsCleanly) {
    auto game =
        start("scr_fullscreen false\ndbg_quit_frame 60\ngfx_driver \"CountingDriver.drv\"\n");
    ProcessResult result = game->wait(60);
    ASSERT_FALSE(result.timedOut) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("Fatal error"), std::string::npos) << result.err;

    auto counts = driverCounts();
    EXPECT_EQ(counts["dSetRenderWindow"], 1);
    EXPECT_EQ(counts["dSwapBuffer"], 60);
    // One full clear a frame, and a stencil clear for every light drawn.
    EXPECT_GE(counts["dClearBuffer"], 60);
    EXPECT_EQ(counts["dRestoreResolution"], 1);
    // A windowed game never switches the display mode.
    EXPECT_EQ(counts["dSetResolution"], 0);
}

TEST_F(GameRun, EscapeClosesTheWindowWithStatusZero) {
    auto game = start("scr_fullscreen false\n");
    // Wait for the window, then press Escape on it.
    bool found = false;
    for (int i = 0; i < 100 && !found; ++i) {
        found = test::runShell("xdotool search --name '^Arvel$' >/dev/null 2>&1") == 0;
        if (!found) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(found) << "the window never appeared";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    test::runShell("xdotool search --name '^Arvel$' windowfocus --sync key Escape >/dev/null 2>&1");
    ProcessResult result = game->wait(20);
    ASSERT_FALSE(result.timedOut) << "Escape did not close the game";
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(GameRun, AMissingDriverShowsOneBoxAndExitsBeforeAnyWindow) {
    auto game = start("scr_fullscreen false\ngfx_driver \"missing.drv\"\n");
    ProcessResult result = game->wait(20);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(test::countOccurrences(result.err, "Fatal error:"), 1) << result.err;
    EXPECT_EQ(test::countOccurrences(result.err, "couldnt load gfx driver: missing.drv\n"), 1)
        << result.err;
    // Nothing reached a driver, so nothing was counted.
    EXPECT_TRUE(dir_.read("counts.txt").empty());
}

TEST_F(GameRun, AFullScreenGameAsksForTheDisplayModeOnActivation) {
    auto game = start("scr_fullscreen true\ndbg_quit_frame 5\ngfx_driver \"CountingDriver.drv\"\n");
    ProcessResult result = game->wait(60);
    ASSERT_FALSE(result.timedOut) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_GE(driverCounts()["dSetResolution"], 1);
}

// The window's size as the settings ask, seen in the screenshot of frame 3: 0 x 0 full
// screen covers the desktop without a mode switch, 0 x 0 in a window and sizes no
// window can have open 640 x 480, the latter with a message.
TEST_F(GameRun, WindowSizesFromTheSettings) {
    const std::string geometry = (dir_.path() / "display.txt").string();
    ASSERT_EQ(test::runShell("xdotool getdisplaygeometry >" + geometry), 0);
    int desktopWidth = 0, desktopHeight = 0;
    std::ifstream(geometry) >> desktopWidth >> desktopHeight;
    ASSERT_GT(desktopWidth, 0);
    const struct {
        const char* settings;
        int width, height;
        const char* message;
    } kCases[] = {
        {"scr_fullscreen true\nscr_width 0\nscr_height 0\n", desktopWidth, desktopHeight, ""},
        {"scr_fullscreen false\nscr_width 0\nscr_height 0\n", 640, 480, ""},
        {"scr_fullscreen false\nscr_width -5\nscr_height 100000\n", 640, 480,
         "scr_width x scr_height of -5 x 100000 is no window size; using 640 x 480"},
    };
    for (const auto& c : kCases) {
        std::filesystem::remove(dir_.path() / "shot.png");
        std::filesystem::remove(dir_.path() / "counts.txt");
        auto game = start(std::string(c.settings) +
                          "dbg_screenshot_frame 3\ndbg_quit_frame 3\ndbg_screenshot \"shot.png\"\n"
                          "gfx_driver \"CountingDriver.drv\"\n");
        const ProcessResult result = game->wait(60);
        EXPECT_EQ(result.exitCode, 0) << c.settings << result.err;
        RgbImage shot;
        EXPECT_TRUE(readPng((dir_.path() / "shot.png").string(), shot)) << c.settings;
        EXPECT_EQ(shot.width, c.width) << c.settings;
        EXPECT_EQ(shot.height, c.height) << c.settings;
        EXPECT_EQ(driverCounts()["dSetResolution"], 0) << c.settings;
        if (*c.message) EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("Fatal error"), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace arvel
