// dbg_record_path writes the frames' cameras; dbg_timedemo replays them at full speed
// and ends with one line of figures. Bad path files are named with their line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <sstream>

#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel {
namespace {

using test::Process;
using test::ProcessResult;
using test::TempDir;

ProcessResult runGame(const TempDir& dir, const std::string& autoexec) {
    dir.write("autoexec.cfg", "scr_fullscreen false\n" + autoexec);
    Process game({ARVEL_BIN_DIR "/game"}, dir.path().string(), {{"ARVEL_NO_DIALOGS", "1"}});
    return game.wait(120);
}

TEST(Timedemo, ReplaysARecordedFlightAndReportsItsFrameRate) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY: game needs an X server";
    TempDir dir;
    test::copyDemoData(dir);
    ProcessResult recorded = runGame(dir,
                                     "dbg_frame_ms 20\ndbg_quit_frame 12\n"
                                     "dbg_camera \"-50 40 -36 0 -135 0\"\n"
                                     "dbg_record_path \"flight.path\"\n");
    ASSERT_FALSE(recorded.timedOut) << recorded.err;
    ASSERT_EQ(recorded.exitCode, 0) << recorded.err;

    std::istringstream path(dir.read("flight.path"));
    std::string line;
    std::getline(path, line);
    EXPECT_EQ(line, "arvel camera path 1");
    int frames = 0;
    while (std::getline(path, line)) {
        std::istringstream numbers(line);
        float x, y, z, pitch, yaw, roll;
        unsigned timeMs;
        ASSERT_TRUE(numbers >> x >> y >> z >> pitch >> yaw >> roll >> timeMs) << line;
        if (frames == 0) {
            EXPECT_FLOAT_EQ(x, -50.0f);
            EXPECT_FLOAT_EQ(yaw, -135.0f);
        }
        EXPECT_EQ(timeMs, 20u * (frames + 1));  // the clock of the frame drawn
        ++frames;
    }
    ASSERT_EQ(frames, 12);

    dir.write("dump.dmp", "");
    ProcessResult replayed = runGame(dir, "dbg_timedemo \"flight.path\"\n");
    ASSERT_FALSE(replayed.timedOut) << replayed.err;
    EXPECT_EQ(replayed.exitCode, 0) << replayed.err;
    const std::regex summary(
        R"(timedemo flight\.path: (\d+) frames, ([0-9.]+) s, ([0-9.]+) fps, 1% slowest ([0-9.]+) ms)");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(replayed.err, m, summary)) << replayed.err;
    EXPECT_EQ(std::stoi(m[1]), 12);
    const double seconds = std::stod(m[2]), fps = std::stod(m[3]), slowest = std::stod(m[4]);
    EXPECT_GT(seconds, 0.0);
    EXPECT_NEAR(fps, 12 / seconds, 0.01 * fps + 0.1);
    // The slowest frame is at least the average one and at most the whole run.
    EXPECT_GE(slowest, 1000 * seconds / 12 - 0.1);
    EXPECT_LE(slowest, 1000 * seconds + 0.1);
    EXPECT_EQ(test::countOccurrences(replayed.err, "timedemo flight.path:"), 1);
    EXPECT_EQ(test::countOccurrences(dir.read("dump.dmp"), m[0].str()), 1) << dir.read("dump.dmp");
}

TEST(Timedemo, BadPathFilesAreNamedWithTheirLineAndNothingRuns) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY: game needs an X server";
    const struct {
        const char* content;  // null: no such file
        const char* message;
    } cases[] = {
        {nullptr, "bad.path: cannot open the camera path"},
        {"", "bad.path:1: empty file"},
        {"arvel camera path 2\n1 2 3 4 5 6 7\n", "bad.path:1: not a camera path"},
        {"arvel camera path 1\n", "bad.path:1: no frames"},
        {"arvel camera path 1\n1 2 3 4 5 6 7\n1 2 3 4 5 6\n", "bad.path:3: wants seven numbers"},
        {"arvel camera path 1\n1 2 3 4 5 6 7 8\n", "bad.path:2: wants seven numbers"},
        {"arvel camera path 1\n1 2 x 4 5 6 7\n", "bad.path:2: wants seven numbers"},
        {"arvel camera path 1\n1 2 3 4 5 6 -1\n", "bad.path:2: wants seven numbers"},
        {"arvel camera path 1\n1 2 3 4 5 6 nan\n", "bad.path:2: wants seven numbers"},
        {"arvel camera path 1\n1 2 3 4 5 6 70\n# a note\n1 2 3 4 5 6 69\n",
         "bad.path:4: the time runs backwards"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TempDir dir;
        test::copyDemoData(dir);
        if (c.content) dir.write("bad.path", c.content);
        ProcessResult result = runGame(dir, "dbg_timedemo \"bad.path\"\n");
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 1) << result.err;
        EXPECT_NE(result.err.find(std::string("dbg_timedemo: ") + c.message), std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find("timedemo bad.path:"), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace arvel
