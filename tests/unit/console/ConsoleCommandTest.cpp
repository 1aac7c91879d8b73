#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "console/Console.h"
#include "console/ConsoleInput.h"
#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/FileSystem.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"

namespace arvel {
namespace {

std::string g_heard;

class ConsoleCommandTest : public ::testing::Test {
protected:
    ConsoleCommandTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        registerSettings(console, s);
        console.registerCommand("count", "count", "counts its runs",
                                [this](Console&, const CommandArgs&) { ++runs; });
        console.registerCommand("Spawn", "spawn WHAT", "records its arguments",
                                [this](Console&, const CommandArgs& got) { args = got; });
    }
    ~ConsoleCommandTest() override { fileSystem().clear(); }

    void provide(const char* name, const std::string& contents) {
        folder.write(name, contents);
        if (fileSystem().sources().empty()) ASSERT_TRUE(test::mountFolder(folder));
    }

    // The output's lines, each ended by '\n'.
    std::string output() const {
        std::string text;
        for (const std::string& line : console.output().lines()) text += line + "\n";
        return text;
    }

    // Runs a typed line, failing when a box was shown or heard.
    std::string typed(const char* text) {
        g_heard.clear();
        SetReportListener([](const char* heard) { g_heard += heard; });
        ::testing::internal::CaptureStderr();
        console.executeTyped(text);
        std::string boxes = ::testing::internal::GetCapturedStderr();
        SetReportListener(nullptr);
        EXPECT_EQ(boxes + g_heard, "") << text;
        return output();
    }

    Console console;
    Settings s;
    test::TempDir folder;
    int runs = 0;
    CommandArgs args;
};

size_t count(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

TEST_F(ConsoleCommandTest, CommandsAreFoundIgnoringCaseAndReplacedByName) {
    EXPECT_EQ(console.findCommand("SPAWN"), &console.commands()[4]);
    EXPECT_EQ(console.findCommand("EXEC"), &console.commands()[0]);
    EXPECT_EQ(console.findCommand("nothing"), nullptr);
    EXPECT_EQ(console.findCommand(nullptr), nullptr);

    console.registerCommand("spawn", "spawn", "replaced",
                            [this](Console&, const CommandArgs&) { runs += 10; });
    ASSERT_EQ(console.commands().size(), 5u);
    EXPECT_EQ(console.commands()[4].description, "replaced");
    console.executeLine("SPAWN box");
    EXPECT_EQ(runs, 10);
}

TEST_F(ConsoleCommandTest, CommandTakesTheWordsUpToTheNextSemicolon) {
    for (bool fromFile : {true, false}) {
        const char* line = "spawn box 1 \"a b\" \";\" = ; scr_width 800 ; count";
        fromFile ? console.executeLine(line) : (void)typed(line);
        EXPECT_EQ(args, (CommandArgs{"box", "1", "a b", ";", "="})) << fromFile;
        EXPECT_DOUBLE_EQ(s.scrWidth.number, 800.0) << fromFile;
        s.scrWidth.assign("640");
    }
    EXPECT_EQ(runs, 2);

    // A setting's name wins over a command's.
    console.registerCommand("scr_height", "", "", [this](Console&, const CommandArgs&) { ++runs; });
    console.executeLine("scr_height 600");
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 600.0);
    EXPECT_EQ(runs, 2);
}

TEST_F(ConsoleCommandTest, TypedUnknownNameIsAnsweredOnceAndItsStatementSkipped) {
    std::string out = typed("bogus scr_width 5 more ; scr_height 600 ; ; other");
    EXPECT_EQ(count(out, "Unknown command or setting: bogus\n"), 1u) << out;
    EXPECT_EQ(count(out, "Unknown command or setting: other\n"), 1u) << out;
    EXPECT_EQ(count(out, "Unknown"), 2u) << out;
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 640.0);
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 600.0);

    // A file skips word by word, silently, as it always has.
    console.output().clear();
    console.executeLine("bogus scr_width 5");
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 5.0);
    EXPECT_EQ(output(), "");
}

TEST_F(ConsoleCommandTest, ExceptionsFromACommandArePrintedAndTheLineGoesOn) {
    console.registerCommand("fail", "", "", [](Console&, const CommandArgs&) {
        throw new Exception(__LINE__, "Console", "no map named %s", "e1m1");
    });
    console.registerCommand("throw", "", "", [](Console&, const CommandArgs&) {
        throw std::runtime_error("out of range");
    });
    std::string out = typed("fail e1m1; scr_width 800; throw; scr_height 600");
    EXPECT_NE(out.find("no map named e1m1"), std::string::npos) << out;
    EXPECT_NE(out.find("throw: out of range\n"), std::string::npos) << out;
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 800.0);
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 600.0);

    console.executeLine("throw; scr_bpp 16");
    EXPECT_EQ(count(output(), "out of range"), 2u);
    EXPECT_DOUBLE_EQ(s.scrBpp.number, 16.0);
}

TEST_F(ConsoleCommandTest, TypedAnswersGoToTheOutputNotToBoxes) {
    EXPECT_EQ(typed("scr_height ; scr_width; gfx_driver"),
              "] scr_height ; scr_width; gfx_driver\n"
              "scr_height 480.000000\nscr_width 640.000000\ngfx_driver Varnet.drv\n");
    EXPECT_STREQ(s.scrWidth.text, "640.000000");

    console.output().clear();
    EXPECT_EQ(typed("gfx_vpprofile arb ; scr_bpp 16"),
              "] gfx_vpprofile arb ; scr_bpp 16\n"
              "gfx_vpprofile is locked: it can only be set in autoexec.cfg\n");
    EXPECT_STREQ(s.gfxVpprofile.text, "best");
    EXPECT_DOUBLE_EQ(s.scrBpp.number, 16.0);
    console.setLock(false);
    typed("gfx_vpprofile arb");
    EXPECT_STREQ(s.gfxVpprofile.text, "arb");

    // Control characters split words; an overlong name is answered in one line.
    console.output().clear();
    typed("scr_width\t1024\x01");
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 1024.0);
    const std::string huge(200000, 'q');
    typed(huge.c_str());
    ASSERT_EQ(console.output().lines().size(), 3u) << output();
    EXPECT_EQ(console.output().lines()[2].rfind("Unknown command or setting: qqq", 0), 0u);
}

TEST_F(ConsoleCommandTest, ExecRunsAFileByTheRulesOfItsCaller) {
    provide("inner.cfg", "scr_width 1024\nscr_height\ncount\n");
    typed("exec inner.cfg ; scr_bpp 16 ; exec missing.cfg ; exec");
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 1024.0);
    EXPECT_DOUBLE_EQ(s.scrBpp.number, 16.0);  // the typed line went on after the file
    EXPECT_EQ(runs, 1);
    const std::string out = output();
    EXPECT_NE(out.find("scr_height 480.000000\n"), std::string::npos) << out;
    EXPECT_NE(out.find("exec: missing.cfg not found\n"), std::string::npos) << out;
    EXPECT_NE(out.find("usage: exec FILE\n"), std::string::npos) << out;

    // From autoexec.cfg, the nested file's bare name shows the box as before.
    provide("autoexec.cfg", "exec inner.cfg\nscr_freq 60");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(console.executeFile("autoexec.cfg"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Printout: 480.000000"),
              std::string::npos);
    EXPECT_EQ(runs, 2);
    EXPECT_DOUBLE_EQ(s.scrFreq.number, 60.0);
}

TEST_F(ConsoleCommandTest, ExecStopsFilesThatRunThemselves) {
    provide("self.cfg", "count\nexec self.cfg\n");
    typed("exec self.cfg");
    EXPECT_EQ(runs, 8);
    EXPECT_EQ(count(output(), "exec: self.cfg not run: files nest deeper than 8\n"), 1u);

    // Twice per file would be 2^8 runs; a statement runs at most 64 files.
    provide("twice.cfg", "count\nexec twice.cfg\nexec twice.cfg\n");
    runs = 0;
    console.executeLine("exec twice.cfg");
    EXPECT_EQ(runs, 64);
    runs = 0;
    console.executeLine("exec self.cfg");  // the budget starts again
    EXPECT_EQ(runs, 8);
}

TEST_F(ConsoleCommandTest, ListsShowDescriptions) {
    typed("cvarlist SCR_F");
    const auto& lines = console.output().lines();
    ASSERT_EQ(lines.size(), 4u) << output();
    EXPECT_EQ(lines[1].rfind("scr_freq       \"72.000000\"", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find(s.scrFreq.description), std::string::npos);
    EXPECT_EQ(lines[2].rfind("scr_fullscreen \"true\"", 0), 0u) << lines[2];
    EXPECT_NE(lines[2].find(s.scrFullscreen.description), std::string::npos);
    EXPECT_EQ(lines[3], "2 of 50 settings");

    console.output().clear();
    typed("cmdlist");
    const std::string out = output();
    EXPECT_NE(out.find("exec FILE         executes the statements of a file\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("spawn WHAT        records its arguments\n"), std::string::npos) << out;
    EXPECT_NE(out.find("5 commands\n"), std::string::npos) << out;
}

TEST_F(ConsoleCommandTest, CompletionCoversSettingsAndCommandsAndPrintsCandidates) {
    ConsoleInput input;
    input.insert("cvar");
    console.complete(input);
    EXPECT_EQ(input.line(), "cvarlist ");
    EXPECT_EQ(output(), "");

    input.clear();
    input.insert("c_");
    console.complete(input);
    EXPECT_EQ(output(), "c_font  c_size  c_transparency\n");

    input.clear();
    console.complete(input);  // everything: more than one line's worth
    EXPECT_GT(console.output().lines().size(), 3u);
    EXPECT_NE(output().find("Spawn"), std::string::npos);
}

}  // namespace
}  // namespace arvel
