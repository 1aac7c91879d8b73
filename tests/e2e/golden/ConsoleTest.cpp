// The console and the reload loop, driven through the real window with xdotool: what is
// typed changes the picture, maps switch, files changed on disk are seen while the game
// runs, a level's ".cfg" places its meshes, and a window resized or switched to full
// screen and back is drawn at its new size.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "GameCapture.h"
#include "GoldenImage.h"
#include "core/PngFile.h"
#include "reference/Comparison.h"
#include "reference/GameView.h"
#include "support/Process.h"
#include "support/SolidTarga.h"

namespace arvel {
namespace {

using test::Process;
using test::ProcessResult;
namespace fs = std::filesystem;

constexpr const char* kSettings =
    "scr_fullscreen false\nscr_width 320\nscr_height 240\ndbg_frame_ms 100\n";

// Pixels whose channels differ by more than the golden tolerance.
int differingPixels(const RgbImage& a, const RgbImage& b) {
    if (a.width != b.width || a.height != b.height) return a.width * a.height + 1;
    int count = 0;
    for (size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        for (size_t c = 0; c < 3; ++c) {
            if (std::abs(int(a.rgb[i + c]) - int(b.rgb[i + c])) > test::kGoldenChannelTolerance) {
                ++count;
                break;
            }
        }
    }
    return count;
}

class GameConsole : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    }

    fs::path dir() const { return scene_.path(); }
    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir() / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(dir() / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Compiles one of the hard-case levels into the data folder under another name.
    void compileLevel(const std::string& level, const std::string& output) {
        const fs::path source =
            fs::path(ARVEL_SOURCE_DIR) / "tests" / "e2e" / "golden" / "levels" / (level + ".json");
        Process compiler({ARVEL_BIN_DIR "/arvel-level", source.string(), (dir() / output).string()},
                         dir().string());
        const ProcessResult result = compiler.wait(120);
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    }

    // A level whose frames do not change by themselves: no animated meshes, no
    // flickering lights, white walls drawn with static_default.rt.
    void useStillLevel() {
        std::string message;
        ASSERT_TRUE(scene_.useLevel("camera_in_shadow", message)) << message;
        write("test.cfg", "camera 50 20 75 10 0 0\n");
    }

    void start(const std::string& extra = "") {
        write("autoexec.cfg", std::string(kSettings) + extra);
        fs::remove(dir() / "dump.dmp");
        game_ = std::make_unique<Process>(
            std::vector<std::string>{ARVEL_BIN_DIR "/game"}, dir().string(),
            std::vector<std::pair<std::string, std::string>>{{"ARVEL_NO_DIALOGS", "1"}});
        ASSERT_TRUE(test::focusGameWindow()) << "the window never appeared";
        settle();
    }

    static bool xdotool(const std::string& arguments) { return test::xdotool(arguments); }
    static void settle(int ms = 400) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

    static void key(const char* name) {
        xdotool(std::string("key --delay 60 ") + name);
        settle(200);
    }
    // Types a statement into the open console and runs it.
    static void enter(const std::string& statement) {
        xdotool("type --delay 25 '" + statement + "'");
        key("Return");
        settle();
    }
    // The screenshot command's picture of the next frame (without the console).
    RgbImage shot(const std::string& name) {
        const fs::path file = dir() / name;
        fs::remove(file);
        enter("screenshot " + name);
        RgbImage picture;
        for (int i = 0; i < 50 && !readPng(file, picture); ++i) settle(100);
        EXPECT_GT(picture.width, 0) << name << " was not written";
        return picture;
    }
    ProcessResult quit() {
        enter("quit");
        ProcessResult result = game_->wait(20);
        EXPECT_FALSE(result.timedOut) << "quit did not end the game";
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result;
    }

    test::GameScene scene_;
    std::unique_ptr<Process> game_;
};

TEST_F(GameConsole, TypedStatementsChangeTheFrameEscapeClosesOnlyTheConsoleQuitEnds) {
    ASSERT_NO_FATAL_FAILURE(useStillLevel());
    ASSERT_NO_FATAL_FAILURE(start());
    key("grave");
    const RgbImage filled = shot("filled.png");
    enter("gfx_wireframe true");
    const RgbImage wire = shot("wire.png");
    EXPECT_GT(differingPixels(filled, wire), filled.width * filled.height / 4)
        << "wireframe did not change the picture";

    // Escape with the console open closes the console, not the game; the grave key
    // opens it again and typing still works.
    key("Escape");
    settle();
    EXPECT_TRUE(game_->running()) << "Escape ended the game with the console open";
    key("grave");
    enter("no_such_setting 1");
    enter("gfx_wireframe false");
    EXPECT_EQ(differingPixels(filled, shot("filled-again.png")), 0);
    quit();
}

TEST_F(GameConsole, MapSwitchesLevelsAndAMissingMapChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(compileLevel("camera_in_shadow", "first.otm"));
    ASSERT_NO_FATAL_FAILURE(compileLevel("shadow_through_portal", "other.otm"));
    // Levels without animated meshes or flickering lights: their frames do not change.
    write("first.cfg", "camera 50 20 75 10 0 0\n");
    write("other.cfg", "camera 130 25 30 10 -90 0\n");

    // Where a run that starts on other.otm looks.
    ASSERT_NO_FATAL_FAILURE(start("map other.otm\n"));
    key("grave");
    const RgbImage expected = shot("expected.png");
    quit();

    ASSERT_NO_FATAL_FAILURE(start("map first.otm\n"));
    key("grave");
    const RgbImage first = shot("first.png");
    enter("map missing.otm");
    // Not a map at all: the level's own message, and the level stays.
    write("damaged.otm", "OTMid but nothing more");
    enter("map damaged.otm");
    const RgbImage unchanged = shot("unchanged.png");
    EXPECT_EQ(differingPixels(first, unchanged), 0) << "a failed map changed the picture";
    enter("map other.otm");
    const RgbImage switched = shot("switched.png");
    const ProcessResult result = quit();

    const test::GoldenComparison comparison = test::compareWithGolden(switched, expected);
    EXPECT_TRUE(comparison.matches()) << comparison.summary();
    EXPECT_GT(differingPixels(first, switched), first.width * first.height / 10);
    const std::string log = read("dump.dmp");
    EXPECT_EQ(test::countOccurrences(log, "missing.otm"), 1) << log;
    EXPECT_EQ(test::countOccurrences(log, "Fatal error while loading a level"), 1) << log;
    EXPECT_EQ(result.err.find("Fatal error:"), std::string::npos) << "a box was shown";
}

TEST_F(GameConsole, FilesChangedOnDiskAreSeenWithinASecondABrokenShaderKeepsThePicture) {
    ASSERT_NO_FATAL_FAILURE(useStillLevel());
    ASSERT_NO_FATAL_FAILURE(start());
    key("grave");
    const RgbImage before = shot("before.png");

    // The walls' texture becomes plain red.
    write("white.tga", test::solidTarga(8, 8, 255, 0, 0));
    settle(1200);
    const RgbImage red = shot("red.png");
    EXPECT_GT(differingPixels(before, red), before.width * before.height / 4)
        << "the new texture was not drawn";

    // A fragment shader that does not compile: the picture stays, one message.
    const std::string shader = "shaders/surface_ambient.frag";
    ASSERT_TRUE(fs::exists(dir() / shader));
    write(shader, "this is not a shader\n");
    settle(1500);
    const RgbImage kept = shot("kept.png");
    EXPECT_EQ(differingPixels(red, kept), 0) << "a broken shader changed the picture";

    // The technique without its light stage: only the ambient quarter is left.
    const std::string script = read("static_default.rt");
    const size_t light = script.find("\nLight\n");
    ASSERT_NE(light, std::string::npos);
    write("static_default.rt", script.substr(0, light + 1));
    settle(1200);
    const RgbImage ambient = shot("ambient.png");
    EXPECT_GT(differingPixels(kept, ambient), kept.width * kept.height / 10)
        << "the changed technique was not used";
    quit();

    const std::string log = read("dump.dmp");
    EXPECT_EQ(test::countOccurrences(log, "Could not reload pixel shader surface_ambient.frag"), 1)
        << log;
}

TEST_F(GameConsole, AResizedWindowIsDrawnAtItsNewSizeAltEnterGoesFullScreenAndBack) {
    ASSERT_NO_FATAL_FAILURE(useStillLevel());
    ASSERT_NO_FATAL_FAILURE(start("dbg_flat_white true\n"));
    ASSERT_TRUE(xdotool("search --name '^Arvel$' windowsize 512 288"));
    settle(600);
    key("grave");
    const RgbImage resized = shot("resized.png");
    ASSERT_EQ(resized.width, 512);
    ASSERT_EQ(resized.height, 288);
    // The scene as the ray tracer draws it at the new size: unstretched, nothing cut off.
    reference::GameView view = reference::readGameView(dir());
    view.options.width = resized.width;
    view.options.height = resized.height;
    const reference::ReferenceImage expected =
        reference::render(reference::loadGameScene(dir(), view), view.camera, view.options);
    const reference::Comparison comparison =
        reference::compareLighting(expected, resized.rgb.data());
    EXPECT_GE(comparison.agreement(), 0.99) << comparison.summary();
    EXPECT_GE(comparison.counted, resized.width * resized.height / 3) << comparison.summary();

    // Full screen in the mode of scr_width x scr_height (Xvfb gives the window that size),
    // then the window again at the size it had.
    key("alt+Return");
    settle(1000);
    const RgbImage full = shot("full.png");
    EXPECT_EQ(full.width, 320);
    EXPECT_EQ(full.height, 240);
    key("alt+Return");
    settle(1000);
    // The same picture (the statistics line aside, whose counts may move by a frame).
    const test::GoldenComparison back = test::compareWithGolden(shot("back.png"), resized);
    EXPECT_TRUE(back.matches()) << back.summary();
    quit();
}

TEST_F(GameConsole, ALevelConfigPlacesItsMeshes) {
    // The creature moved from the hall into the entrance, right in front of the camera.
    write("test.cfg",
          "spawn test.msh 25 32.1 -25 90 0\n"
          "camera 25 55 15 15 0 0\n");
    ASSERT_NO_FATAL_FAILURE(start());
    key("grave");
    const RgbImage moved = shot("moved.png");
    quit();

    write("test.cfg", "camera 25 55 15 15 0 0\n");
    ASSERT_NO_FATAL_FAILURE(start());
    key("grave");
    const RgbImage empty = shot("empty.png");
    quit();

    EXPECT_GT(differingPixels(moved, empty), moved.width * moved.height / 150)
        << "the spawned creature is not in the picture";
}

}  // namespace
}  // namespace arvel
