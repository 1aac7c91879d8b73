#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "console/Console.h"
#include "console/Settings.h"
#include "shared/TempDir.h"

namespace arvel {
namespace {

using Statements = std::vector<CommandLineStatement>;

struct Parsed {
    bool ok = false;
    CommandLine line;
    std::string error;
};

Parsed parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "game");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    Parsed parsed;
    parsed.ok =
        parseCommandLine(static_cast<int>(argv.size()), argv.data(), parsed.line, parsed.error);
    return parsed;
}

TEST(CommandLine, AcceptsDataFoldersAndStatementsInOrder) {
    test::TempDir installed, more;
    const std::string a = installed.path().string(), b = more.path().string();
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::string> folders;
        Statements statements;
        bool help;
    } cases[] = {
        {{}, {}, {}, false},
        {{"--data", a, "--data=" + b}, {a, b}, {}, false},
        {{"+dbg_quit_frame", "10", "--data", a, "+camera", "-5", "2", "3", "+reload"},
         {a},
         {{"dbg_quit_frame", {"10"}}, {"camera", {"-5", "2", "3"}}, {"reload", {}}},
         false},
        {{"+dbg_camera", "0 40 0 0 90 0", "--help"}, {}, {{"dbg_camera", {"0 40 0 0 90 0"}}}, true},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(parsed.line.dataFolders, c.folders);
        EXPECT_EQ(parsed.line.statements, c.statements);
        EXPECT_EQ(parsed.line.help, c.help);
    }
}

TEST(CommandLine, RefusesMalformedArgumentsWithTheReason) {
    test::TempDir dir;
    const std::string file = dir.write("autoexec.cfg", "").string();
    const struct {
        std::vector<std::string> arguments;
        const char* reason;
    } cases[] = {
        {{"--data"}, "--data needs a folder"},
        {{"--data="}, "--data needs a folder"},
        {{"--data", (dir.path() / "absent").string()}, "no such folder"},
        {{"--data", file}, "no such folder"},
        {{"--fullscreen"}, "unknown option --fullscreen"},
        {{"-x"}, "unknown option -x"},
        {{"+map", "a", "--nope"}, "unknown option --nope"},
        {{"test.otm"}, "unexpected argument \"test.otm\""},
        {{"+"}, "a + is followed by a setting or command name"},
        {{"+a=b"}, "a + is followed by a setting or command name"},
        {{"+dbg_screenshot", "say\"hi\".png"}, "+dbg_screenshot: a value cannot hold"},
        {{"+dbg_camera", ""}, "+dbg_camera: a value cannot be empty"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = parse(c.arguments);
        EXPECT_FALSE(parsed.ok) << c.arguments[0];
        EXPECT_NE(parsed.error.find(c.reason), std::string::npos)
            << c.arguments[0] << ": " << parsed.error;
    }
}

class CommandLineStatements : public ::testing::Test {
protected:
    CommandLineStatements() {
        registerSettings(console, s);
        console.registerCommand("spawn", "spawn WHAT", "records its words",
                                [this](Console&, const CommandArgs& got) { words = got; });
    }

    Console console;
    Settings s;
    CommandArgs words;
};

TEST_F(CommandLineStatements, EachWordReachesTheConsoleWhole) {
    console.setLock(false);
    console.executeLine(statementLine({"dbg_screenshot", {"a b;c=d #e.png"}}).c_str());
    EXPECT_STREQ(s.dbgScreenshot.text, "a b;c=d #e.png");
    console.executeLine(statementLine({"gfx_vpprofile", {"arb"}}).c_str());
    EXPECT_STREQ(s.gfxVpprofile.text, "arb");
    console.executeLine(statementLine({"spawn", {"test.msh", "-1.5", ";", "x"}}).c_str());
    EXPECT_EQ(words, (CommandArgs{"test.msh", "-1.5", ";", "x"}));
}

TEST_F(CommandLineStatements, OnlyKnownNamesAndOneValuePerSettingPass) {
    std::string error;
    EXPECT_TRUE(checkStatements(
        console, {{"SCR_WIDTH", {"320"}}, {"spawn", {}}, {"spawn", {"a", "b"}}}, error))
        << error;
    const struct {
        CommandLineStatement statement;
        const char* reason;
    } cases[] = {
        {{"scr_widht", {"320"}}, "+scr_widht: no such setting or command"},
        {{"scr_width", {}}, "+scr_width takes one value"},
        {{"dbg_camera", {"0", "40", "0", "0", "90", "0"}}, "+dbg_camera takes one value"},
    };
    for (const auto& c : cases) {
        error.clear();
        EXPECT_FALSE(checkStatements(console, {{"scr_height", {"200"}}, c.statement}, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace arvel
