#include "core/ErrorReport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ReportCapture.h"
#include "shared/TempDir.h"

namespace arvel {
namespace {

using test::drainPostedCloses;

std::string fatalText(const std::string& file, int line, const std::string& message) {
    return "You have encountered a fatal error.\nThe error was recognized in file " + file +
           " at row " + std::to_string(line) +
           ". Your system will probably become unstable (reboot).\n\nError message:\n" + message;
}

bool contains(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

class FatalErrorBox : public test::ReportingTest {};

TEST_F(FatalErrorBox, ShowsRecordedFilePartLineAndMessage) {
    SetErrorLocation(24, "include\\Zone");
    std::string out = stderrOf([] { FatalError("Zone busted, more than %d bytes used\n", 7); });
    EXPECT_TRUE(contains(out, "Fatal error")) << out;
    EXPECT_TRUE(contains(out, fatalText("Zone", 24, "Zone busted, more than 7 bytes used\n")))
        << out;
}

TEST_F(FatalErrorBox, LocationWithoutBackslashIsRecordedWhole) {
    SetErrorLocation(12, "Main");
    std::string out = stderrOf([] { FatalError("x"); });
    EXPECT_TRUE(contains(out, fatalText("Main", 12, "x"))) << out;
}

TEST_F(FatalErrorBox, LaterBoxWithoutNewLocationShowsThePreviousOne) {
    SetErrorLocation(66, "Utils\\System");
    stderrOf([] { FatalError("first"); });
    std::string out = stderrOf([] { FatalError("second"); });
    EXPECT_TRUE(contains(out, fatalText("System", 66, "second"))) << out;
}

TEST_F(FatalErrorBox, ReturnsToTheCallerAndPostsOneCloseToTheThread) {
    SetErrorLocation(1, "Main");
    bool continued = false;
    stderrOf([&] {
        FatalError("stop");
        continued = true;
    });
    EXPECT_TRUE(continued);
    EXPECT_EQ(drainPostedCloses(), 1);
}

TEST_F(FatalErrorBox, MessageFillingTheBufferExactlyIsShown) {
    SetErrorLocation(1, "Main");
    size_t header = fatalText("Main", 1, "").size();
    std::string message(65535 - header, 'm');
    std::string out = stderrOf([&] { FatalError("%s", message.c_str()); });
    EXPECT_TRUE(contains(out, fatalText("Main", 1, message)));
    EXPECT_EQ(drainPostedCloses(), 1);
}

TEST_F(FatalErrorBox, MessageOneCharacterTooLongShowsNothingAndPostsNothing) {
    SetErrorLocation(1, "Main");
    size_t header = fatalText("Main", 1, "").size();
    std::string message(65536 - header, 'm');
    std::string out = stderrOf([&] { FatalError("%s", message.c_str()); });
    EXPECT_EQ(out, "");
    EXPECT_EQ(drainPostedCloses(), 0);
}

class WarningBoxTest : public test::ReportingTest {};

TEST_F(WarningBoxTest, ShowsFormattedTextUnderItsCaptionWithoutClosing) {
    std::string out = stderrOf([] { WarningBox("Made %s Semaphore!!!", "NULL"); });
    EXPECT_TRUE(contains(out, "WarningBox")) << out;
    EXPECT_TRUE(contains(out, "Made NULL Semaphore!!!")) << out;
    EXPECT_EQ(drainPostedCloses(), 0);
}

TEST_F(WarningBoxTest, TooLongTextShowsNothing) {
    std::string text(65536, 'w');
    std::string out = stderrOf([&] { WarningBox("%s", text.c_str()); });
    EXPECT_EQ(out, "");
}

class DumpLogTest : public test::ReportingTest {
protected:
    test::TempDir dir;
    test::ScopedWorkingDirectory cwd{dir.path()};
};

TEST_F(DumpLogTest, EveryCallAppendsToDumpFile) {
    dir.write("dump.dmp", "old\n");
    DumpLog("frame %d\n", 1);
    DumpLog("frame %d\n", 2);
    EXPECT_EQ(dir.read("dump.dmp"), "old\nframe 1\nframe 2\n");
}

TEST_F(DumpLogTest, TooLongTextWritesNothing) {
    std::string text(65536, 'l');
    DumpLog("%s", text.c_str());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "dump.dmp"));
}

// Once the program runs, boxes also reach the listener (the console) and the log;
// inside a QuietBoxes scope they reach only those, and nothing closes the program.
std::string g_heard;
void hear(const char* text) { g_heard += text; }

TEST_F(DumpLogTest, ListenerHearsBoxesAndRunTimeMessagesQuietScopeShowsNoBox) {
    g_heard.clear();
    SetReportListener(hear);
    std::string shown = stderrOf([] { WarningBox("loud %d\n", 1); });
    EXPECT_TRUE(contains(shown, "loud 1")) << shown;
    std::string quiet = stderrOf([] {
        QuietBoxes quietBoxes;
        SetErrorLocation(7, "World\\OTM");
        FatalError("bad level\n");
        WarningBox("quiet %d\n", 2);
    });
    std::string afterwards = stderrOf([] { RunTimeMessage("reload failed\n"); });
    std::string warned = stderrOf([] { RunTimeWarning("no %d samples\n", 8); });
    SetReportListener(nullptr);
    std::string unheard = stderrOf([] { RunTimeMessage("nobody listens\n"); });

    EXPECT_EQ(quiet, "");
    EXPECT_EQ(afterwards, "");
    // A warning is also on standard error, still without a box.
    EXPECT_EQ(warned, "Warning: no 8 samples\n");
    EXPECT_EQ(unheard, "");
    EXPECT_EQ(drainPostedCloses(), 0);
    EXPECT_TRUE(contains(g_heard, "loud 1\n")) << g_heard;
    EXPECT_TRUE(contains(g_heard, fatalText("OTM", 7, "bad level\n"))) << g_heard;
    EXPECT_TRUE(contains(g_heard, "quiet 2\nreload failed\nno 8 samples\n")) << g_heard;
    EXPECT_FALSE(contains(g_heard, "nobody")) << g_heard;
    const std::string log = dir.read("dump.dmp");
    EXPECT_TRUE(contains(log, "loud 1\n") && contains(log, "bad level\n") &&
                contains(log, "reload failed\nno 8 samples\nnobody listens\n"))
        << log;
}

}  // namespace
}  // namespace arvel
