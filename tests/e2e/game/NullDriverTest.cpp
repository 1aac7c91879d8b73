// game on the null plug-in, which draws nothing and only counts: the whole demo runs
// without a graphics API, so what its frames cost is the engine's own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel {
namespace {

using test::Process;
using test::ProcessResult;
using test::TempDir;

TEST(NullDriver, RunsTheDemoFramesAndCountsWhatTheyAsk) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no DISPLAY: game needs an X server";
    TempDir dir;
    test::copyDemoData(dir);
    dir.write("autoexec.cfg",
              "scr_fullscreen false\ndbg_frame_ms 20\ndbg_quit_frame 30\n"
              "gfx_driver \"NullDriver.drv\"\n");
    Process game(
        {ARVEL_BIN_DIR "/game"}, dir.path().string(),
        {{"ARVEL_NO_DIALOGS", "1"}, {"ARVEL_COUNT_FILE", (dir.path() / "counts.txt").string()}});
    ProcessResult result = game.wait(60);
    ASSERT_FALSE(result.timedOut) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("Fatal error"), std::string::npos) << result.err;

    std::map<std::string, long> counts;
    std::istringstream in(dir.read("counts.txt"));
    std::string name;
    long count;
    while (in >> name >> count) counts[name] = count;
    EXPECT_EQ(counts["dIdentifyDriver"], 1);
    EXPECT_EQ(counts["dSetRenderWindow"], 1);
    EXPECT_EQ(counts["dSwapBuffer"], 30);
    // The level, its lights and shadows are queued and drawn as on a real driver.
    EXPECT_GT(counts["dVARender"], 30);
    EXPECT_GT(counts["dBeginOcclusionQuery"], 0);
    EXPECT_GT(counts["dClearStencil"], 0);
}

}  // namespace
}  // namespace arvel
