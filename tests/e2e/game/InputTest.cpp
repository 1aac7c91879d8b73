#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "shared/TempDir.h"
#include "support/Pictures.h"
#include "support/Process.h"

namespace arvel {
namespace {

using test::Process;
using test::ProcessResult;

struct CameraPlace {
    float x = 0, y = 0, z = 0, pitch = 0, yaw = 0, roll = 0;
};

// Drives the real window with xdotool and reads back where the camera ended up.
class GameInput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
        copyDemoData(dir_);
        dir_.write("autoexec.cfg", settings());
        game_ = std::make_unique<Process>(
            std::vector<std::string>{ARVEL_BIN_DIR "/game"}, dir_.path().string(),
            std::vector<std::pair<std::string, std::string>>{{"ARVEL_NO_DIALOGS", "1"}});
        ASSERT_TRUE(test::focusGameWindow()) << "the window never appeared";
        settle();
    }

    virtual std::string settings() const {
        return "scr_fullscreen false\ndbg_camera \"0 0 0 0 0 0\"\ndbg_print_camera true\n";
    }

    // Holds a key for several frames: the game polls key state once a frame.
    static void hold(const char* key, int ms = 300) {
        xdotool(std::string("keydown ") + key);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        xdotool(std::string("keyup ") + key);
        settle();
    }

    static bool xdotool(const std::string& arguments) { return test::xdotool(arguments); }
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(400)); }

    CameraPlace quit() {
        xdotool("search --name '^Arvel$' windowfocus --sync key Escape");
        ProcessResult result = game_->wait(20);
        EXPECT_FALSE(result.timedOut) << "Escape did not end the game";
        EXPECT_EQ(result.exitCode, 0) << result.err;
        CameraPlace place;
        size_t at = result.out.find("camera ");
        EXPECT_NE(at, std::string::npos) << result.out;
        if (at != std::string::npos)
            std::sscanf(result.out.c_str() + at, "camera %f %f %f %f %f %f", &place.x, &place.y,
                        &place.z, &place.pitch, &place.yaw, &place.roll);
        return place;
    }

    test::TempDir dir_;
    std::unique_ptr<Process> game_;
};

TEST_F(GameInput, MouseMotionTurnsTheCameraOneDegreePerCount) {
    xdotool("mousemove_relative -- 30 -10");
    settle();
    xdotool("mousemove_relative -- 5 4");
    settle();
    CameraPlace place = quit();
    EXPECT_FLOAT_EQ(place.yaw, 35.0f);
    EXPECT_FLOAT_EQ(place.pitch, -6.0f);
    EXPECT_FLOAT_EQ(place.x, 0.0f);
    EXPECT_FLOAT_EQ(place.z, 0.0f);
}

TEST_F(GameInput, HoldingTheRightButtonMovesAlongTheHeading) {
    xdotool("mousedown 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdotool("mouseup 3");
    settle();
    CameraPlace place = quit();
    // Heading 0 looks along -z: one unit a frame, for as many frames as it was held.
    EXPECT_LT(place.z, -1.0f);
    EXPECT_NEAR(place.x, 0.0f, 1e-3);
    EXPECT_FLOAT_EQ(place.y, 0.0f);
    EXPECT_FLOAT_EQ(place.yaw, 0.0f);
}

TEST_F(GameInput, TheLeftButtonRaisesTheCamera) {
    xdotool("mousedown 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdotool("mouseup 1");
    settle();
    CameraPlace place = quit();
    EXPECT_GT(place.y, 1.0f);
    EXPECT_FLOAT_EQ(place.z, 0.0f);
}

TEST_F(GameInput, TheMiddleButtonLowersTheCamera) {
    xdotool("mousedown 2");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    xdotool("mouseup 2");
    settle();
    CameraPlace place = quit();
    EXPECT_LT(place.y, -1.0f);
    EXPECT_FLOAT_EQ(place.x, 0.0f);
}

// The demo's own view, where the level fills the window.
class GameKeys : public GameInput {
protected:
    std::string settings() const override {
        return "scr_fullscreen false\ndbg_print_camera true\n";
    }
};

TEST_F(GameKeys, WTogglesWireframeOncePerPressEvenWhenHeld) {
    // The window shows before the level has loaded, and a key already down when the
    // keyboard is first read is no press: the first screenshot waits for running frames.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    hold("F12");
    hold("w", 800);  // many frames down, one toggle
    hold("F12");
    hold("w");
    hold("F12");
    quit();
    RgbImage filled, wire, filledAgain;
    ASSERT_TRUE(readPng((dir_.path() / "screenshot0000.png").string(), filled));
    ASSERT_TRUE(readPng((dir_.path() / "screenshot0001.png").string(), wire));
    ASSERT_TRUE(readPng((dir_.path() / "screenshot0002.png").string(), filledAgain));
    // Wireframe leaves most of the window at the clear colour.
    EXPECT_GT(test::darkShare(wire), test::darkShare(filled) + 0.3)
        << test::darkShare(wire) << " vs " << test::darkShare(filled);
    EXPECT_LT(test::darkShare(filledAgain), test::darkShare(wire) - 0.3);
}

}  // namespace
}  // namespace arvel
