// game run as the installed arvel command runs it: in a folder of the user's own with
// the demo data given by --data, settings added with "+name value".
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "shared/TempDir.h"
#include "support/Pictures.h"
#include "support/Process.h"

namespace arvel {
namespace {

using test::Process;
using test::ProcessResult;
using test::TempDir;

// Every file below dir with its size and modification time.
std::map<std::string, std::string> snapshot(const std::filesystem::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        files[entry.path().string()] =
            std::to_string(entry.is_regular_file() ? entry.file_size() : 0) + " " +
            std::to_string(entry.last_write_time().time_since_epoch().count());
    return files;
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
        test::copyDemoData(data_);
    }

    ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), ARVEL_BIN_DIR "/game");
        Process game(arguments, user_.path().string(), {{"ARVEL_NO_DIALOGS", "1"}});
        ProcessResult result = game.wait(60);
        EXPECT_FALSE(result.timedOut) << result.err;
        EXPECT_EQ(result.signal, 0) << result.err;
        return result;
    }

    TempDir data_, user_;
};

TEST_F(CommandLine, RunsOnADataFolderWritingOnlyIntoTheWorkingDirectory) {
    // The user's own autoexec.cfg wins over the data folder's; the command line comes
    // after it.
    user_.write("autoexec.cfg", "scr_fullscreen false\nscr_width 320\nscr_height 240\n");
    const auto before = snapshot(data_.path());
    const ProcessResult result =
        run({"--data", data_.path().string(), "+scr_height", "200", "+dbg_frame_ms", "50",
             "+dbg_screenshot_frame", "3", "+dbg_screenshot", "my shot.png", "+dbg_quit_frame", "3",
             "+gfx_vpprofile", "arb", "+gfx_fpprofile", "arb"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("Fatal error"), std::string::npos) << result.err;

    RgbImage shot;
    ASSERT_TRUE(readPng((user_.path() / "my shot.png").string(), shot)) << result.err;
    EXPECT_EQ(shot.width, 320);
    EXPECT_EQ(shot.height, 200);
    // The level, its textures and Data.zip's came from the data folder: a lit picture.
    EXPECT_LT(test::darkShare(shot), 0.5);
    EXPECT_EQ(snapshot(data_.path()), before);
}

TEST_F(CommandLine, SetsLockedSettingsAsStartUpConfiguration) {
    // A profile without its extension builds no program: the log, in the working
    // directory, says that it was the one asked for.
    user_.write("autoexec.cfg", "scr_fullscreen false\nscr_width 320\nscr_height 240\n");
    const ProcessResult result =
        run({"--data", data_.path().string(), "+gfx_vpprofile", "vp30", "+dbg_quit_frame", "3"});
    EXPECT_NE(user_.read("dump.dmp").find("the profile needs GL_NV_vertex_program2"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(data_.path() / "dump.dmp"));
}

TEST_F(CommandLine, AMistakeEndsWithStatusOneAndTheUsageBeforeAnythingIsWritten) {
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        // One mistake the parser finds, one the console's names find; the unit test of
        // the command line has the rest.
        {{"--window"}, "unknown option --window"},
        {{"+scr_widht", "320"}, "+scr_widht: no such setting or command"},
    };
    for (const auto& c : cases) {
        const ProcessResult result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 1) << c.arguments[0];
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("usage: game [--data DIR]"), std::string::npos) << result.err;
        EXPECT_TRUE(std::filesystem::is_empty(user_.path())) << c.arguments[0];
    }
}

}  // namespace
}  // namespace arvel
