// What a person meets when the data is wrong: game run in a copy of the demo data with
// one thing broken, through the real driver. Each failure shows its box (on standard
// error with ARVEL_NO_DIALOGS) with the expected text, the process ends by itself with
// status 0, and no signal ends it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shared/TempDir.h"
#include "support/Pictures.h"
#include "support/Process.h"

namespace arvel::test {
namespace {

constexpr const char* kFatal = "Fatal error: You have encountered a fatal error.\n";

class Failure : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
        copyDemoData(dir_);
        settings_ = readFile("autoexec.cfg") +
                    "\nscr_width 320\nscr_height 240\ndbg_frame_ms 50\n" +
                    "dbg_quit_frame 3\ndbg_screenshot_frame 3\ndbg_screenshot \"shot.png\"\n";
    }

    std::string readFile(const std::string& name) const {
        std::ifstream in(dir_.path() / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

    void writeFile(const std::string& name, const std::string& bytes) const {
        dir_.write(name, bytes);
    }
    void remove(const std::string& name) const { std::filesystem::remove(dir_.path() / name); }

    // Runs game with the settings plus extra lines; checks that it ended by itself.
    ProcessResult run(const std::string& extra = "") {
        dir_.write("autoexec.cfg", settings_ + extra);
        Process game({ARVEL_BIN_DIR "/game"}, dir_.path().string(), {{"ARVEL_NO_DIALOGS", "1"}});
        ProcessResult result = game.wait(60);
        EXPECT_FALSE(result.timedOut) << result.err;
        EXPECT_EQ(result.signal, 0) << result.err;
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result;
    }

    bool screenshotWritten() const { return std::filesystem::exists(dir_.path() / "shot.png"); }

    static void expectOneFatalBox(const ProcessResult& result, const std::string& location,
                                  std::initializer_list<std::string> lines) {
        EXPECT_EQ(countOccurrences(result.err, kFatal), 1) << result.err;
        EXPECT_NE(result.err.find("The error was recognized in file " + location),
                  std::string::npos)
            << result.err;
        for (const std::string& line : lines)
            EXPECT_NE(result.err.find(line), std::string::npos) << result.err;
    }

    TempDir dir_;
    std::string settings_;
};

TEST_F(Failure, AMapWithAForeignMagicIsReportedAsCorruptAndLeavesAnEmptyWorld) {
    std::string map = readFile("test.otm");
    ASSERT_GT(map.size(), 5u);
    map.replace(0, 5, "OTMix");
    writeFile("test.otm", map);
    const ProcessResult result = run();
    expectOneFatalBox(result, "OTM",
                      {"Fatal error while loading a level\n",
                       "Couln't load the map test.otm, the file seems corrupt"});
    // The box does not end the game: it runs on with nothing to draw but the overlay.
    RgbImage shot;
    ASSERT_TRUE(readPng((dir_.path() / "shot.png").string(), shot));
    EXPECT_GT(darkShare(shot), 0.9);
}

TEST_F(Failure, AMapCutShortIsReportedAsReadPastItsEnd) {
    const std::string map = readFile("test.otm");
    writeFile("test.otm", map.substr(0, map.size() / 2));
    const ProcessResult result = run();
    expectOneFatalBox(
        result, "OTM",
        {"Fatal error while loading a level\n", "Read past the end of a data stream\n"});
}

TEST_F(Failure, AMeshCutShortNamesTheMesh) {
    writeFile("test.msh", readFile("test.msh").substr(0, 3000));
    // Placed by the built-in rule, the mesh stops start-up; named in the level's .cfg,
    // it is left out with a warning and the game runs on.
    const std::string config = readFile("test.cfg");
    remove("test.cfg");
    const ProcessResult result = run();
    expectOneFatalBox(
        result, "Main at row 266",
        {"Read past the end of a data stream\n", "Couldn't stream dynamic mesh test.msh\n"});

    writeFile("test.cfg", config);
    const ProcessResult spawned = run();
    EXPECT_EQ(spawned.exitCode, 0) << spawned.err;
    EXPECT_EQ(countOccurrences(spawned.err, kFatal), 0) << spawned.err;
    EXPECT_NE(spawned.err.find("spawn test.msh: (World\\DynamicMesh:28): Read past the end"),
              std::string::npos)
        << spawned.err;
}

TEST_F(Failure, AMissingDefaultTechniqueStopsStartUp) {
    remove("static_default.rt");
    const ProcessResult result = run();
    expectOneFatalBox(
        result, "Main at row 178",
        {"Failed to open render technique: static_default.rt\n", "Script is: static_default.rt\n",
         "Couldn't create world due to missing/invalid basic resources\n"});
    EXPECT_FALSE(screenshotWritten());
}

TEST_F(Failure, AMissingTechniqueOfTheLevelsMaterialsStopsTheLevel) {
    remove("static_bump.rt");
    const ProcessResult result = run();
    expectOneFatalBox(
        result, "OTM",
        {"Fatal error while loading a level\n", "Failed to open render technique: static_bump.rt\n",
         "Script is: static_bump.rt\n"});
}

// The shipped techniques try GLSL first; on the ARB path falling back is no failure.
constexpr const char* kArbPath = "gfx_vpprofile arb\ngfx_fpprofile arb\n";

TEST_F(Failure, TheArbPathStartsWithoutCompileFailuresInTheLog) {
    const ProcessResult result = run(kArbPath);
    EXPECT_EQ(countOccurrences(result.err, kFatal), 0) << result.err;
    EXPECT_TRUE(screenshotWritten());
    const std::string log = readFile("dump.dmp");
    EXPECT_EQ(log.find("did not compile"), std::string::npos) << log;
}

TEST_F(Failure, ATechniqueWithNoWorkingProgramNamesItsFileLineAndTheDriversMessage) {
    writeFile("shaders/broken.fp", "!!ARBfp1.0\nTEMP t;\nFROB result.color, t;\nEND\n");
    writeFile("static_bump.rt",
              "Ambient\n{\n    impl\n    {\n        Pass\n        {\n"
              "            VertexShader\n            {\n                surface_ambient.vp\n"
              "            }\n            TexShader broken.fp\n        }\n    }\n}\n");
    const ProcessResult result = run(kArbPath);
    expectOneFatalBox(result, "OTM",
                      {"Script is: static_bump.rt\n", "impl at line 3: ", "broken.fp\n",
                       "Pixel shader did not compile (ARB):\nat character", "line 3, char"});
}

TEST_F(Failure, AMissingDriverIsNamed) {
    const ProcessResult result = run("gfx_driver \"absent.drv\"\n");
    expectOneFatalBox(result, "Main at row 134", {"couldnt load gfx driver: absent.drv\n"});
    EXPECT_FALSE(screenshotWritten());
}

TEST_F(Failure, ADriverThatIsNoLibraryIsNamed) {
    writeFile("broken.drv", "this is not a shared library\n");
    const ProcessResult result = run("gfx_driver \"broken.drv\"\n");
    expectOneFatalBox(result, "Main at row 134", {"couldnt load gfx driver: broken.drv\n"});
}

TEST_F(Failure, AutoexecLinesThatSetNothingAreShownOrSkippedAndTheGameRuns) {
    // A bare name shows its value; words that name nothing and stray tokens are
    // skipped; a camera place that is not six numbers is refused with a warning.
    const ProcessResult result =
        run("scr_height\nno_such_setting 5 = ; \"quoted words\"\ndbg_camera \"1 2\"\n");
    EXPECT_EQ(countOccurrences(result.err, "WarningBox: "), 2) << result.err;
    EXPECT_NE(result.err.find("WarningBox: Printout: 240"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("dbg_camera wants \"x y z pitch yaw roll\", got \"1 2\""),
              std::string::npos)
        << result.err;
    EXPECT_EQ(countOccurrences(result.err, kFatal), 0) << result.err;
    EXPECT_TRUE(screenshotWritten()) << "the game should have run to its third frame";
}

}  // namespace
}  // namespace arvel::test
