#include "console/Console.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "console/Settings.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"

namespace arvel {
namespace {

class ConsoleTest : public ::testing::Test {
protected:
    ConsoleTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        registerSettings(console, s);
    }
    ~ConsoleTest() override { fileSystem().clear(); }

    // Writes the file into the temporary folder, mounted as the only source.
    void provide(const char* name, const std::string& contents) {
        folder.write(name, contents);
        if (!fileSystem().sources().empty()) return;
        ASSERT_TRUE(test::mountFolder(folder));
    }

    // What the printout boxes wrote while the line ran.
    std::string printoutOf(const char* text) {
        ::testing::internal::CaptureStderr();
        console.executeLine(text);
        return ::testing::internal::GetCapturedStderr();
    }

    Console console;
    Settings s;
    test::TempDir folder;
};

TEST_F(ConsoleTest, ConstructorRegistersItsOwnVariablesFirstWithTheLockOn) {
    Console fresh;
    ASSERT_EQ(fresh.variables().size(), 3u);
    EXPECT_STREQ(fresh.variables()[0]->name, "c_size");
    EXPECT_STREQ(fresh.variables()[1]->name, "c_font");
    EXPECT_STREQ(fresh.variables()[2]->name, "c_transparency");
    EXPECT_TRUE(fresh.lock());
}

TEST_F(ConsoleTest, FindVariableIgnoresCaseAndReturnsTheFirstRegistered) {
    ConsoleVariable duplicate("scr_width", 1.0);
    console.registerVariable(&duplicate);
    EXPECT_EQ(console.findVariable("SCR_Width"), &s.scrWidth);
    EXPECT_EQ(console.findVariable("no_such_thing"), nullptr);
    EXPECT_EQ(console.findVariable(nullptr), nullptr);
}

TEST_F(ConsoleTest, DestroyingTheConsoleLeavesItsListedVariablesAlive) {
    ConsoleVariable mine("mine", 3.0);
    {
        Console temporary;
        temporary.registerVariable(&mine);
        temporary.executeLine("mine 4");
    }
    EXPECT_STREQ(mine.name, "mine");
    EXPECT_DOUBLE_EQ(mine.number, 4.0);
}

TEST_F(ConsoleTest, ValueSetsTextAndTheRepresentationItReadsAs) {
    console.executeLine("gfx_wireframe true scr_width 800abc gfx_dshadows 1");
    EXPECT_TRUE(s.gfxWireframe.flag);
    EXPECT_STREQ(s.gfxWireframe.text, "true");
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 800.0);
    EXPECT_STREQ(s.scrWidth.text, "800abc");
    EXPECT_TRUE(s.gfxDshadows.flag);  // a number leaves the flag alone
    EXPECT_STREQ(s.gfxDshadows.text, "1");
    EXPECT_DOUBLE_EQ(s.gfxDshadows.number, 1.0);

    console.executeLine("gfx_driver \"My Driver.drv\"");
    EXPECT_STREQ(s.gfxDriver.text, "My Driver.drv");
}

TEST_F(ConsoleTest, EqualsSignIsTakenAsTheValue) {
    console.executeLine("scr_width = 800");
    EXPECT_STREQ(s.scrWidth.text, "=");
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 640.0);
}

TEST_F(ConsoleTest, UnknownWordsAndSemicolonsAreSkippedOneByOne) {
    console.executeLine("scr_width 800; scr_height 600 bogus ; = scr_bpp 16 # scr_freq 60");
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 800.0);
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 600.0);
    EXPECT_DOUBLE_EQ(s.scrBpp.number, 16.0);
    EXPECT_DOUBLE_EQ(s.scrFreq.number, 72.0);
    EXPECT_EQ(printoutOf("nothing to see ; here"), "");
}

TEST_F(ConsoleTest, LockedVariableKeepsItsValueWhileTheLockIsOn) {
    console.executeLine("gfx_vpprofile arb scr_bpp 16");
    EXPECT_STREQ(s.gfxVpprofile.text, "best");
    EXPECT_DOUBLE_EQ(s.scrBpp.number, 16.0);  // the ignored value was still consumed

    console.setLock(false);
    console.executeLine("gfx_vpprofile arb");
    EXPECT_STREQ(s.gfxVpprofile.text, "arb");
}

TEST_F(ConsoleTest, BareNameShowsItsValue) {
    EXPECT_NE(printoutOf("scr_height").find("Printout: 480.000000\n"), std::string::npos);
    EXPECT_NE(printoutOf("gfx_driver # comment").find("Printout: Varnet.drv\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 480.0);
}

TEST_F(ConsoleTest, ExecuteFileReportsAMissingFile) {
    EXPECT_FALSE(console.executeFile("autoexec.cfg"));
    provide("other.cfg", "");
    EXPECT_FALSE(console.executeFile("autoexec.cfg"));
    EXPECT_TRUE(console.executeFile("other.cfg"));
}

TEST_F(ConsoleTest, ExecuteFileRunsEveryLineIncludingALastOneWithoutNewline) {
    provide("autoexec.cfg",
            "# settings\r\nscr_width 1024\r\nscr_bpp 16 ; gfx_wireframe true\n\nscr_height 768");
    EXPECT_TRUE(console.executeFile("autoexec.cfg"));
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 1024.0);
    EXPECT_DOUBLE_EQ(s.scrBpp.number, 16.0);
    EXPECT_TRUE(s.gfxWireframe.flag);
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 768.0);
}

TEST_F(ConsoleTest, StatementDoesNotRunAcrossLines) {
    provide("autoexec.cfg", "scr_width\n800\n");
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(console.executeFile("autoexec.cfg"));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("Printout: 640.000000"),
              std::string::npos);
    EXPECT_DOUBLE_EQ(s.scrWidth.number, 640.0);
}

TEST_F(ConsoleTest, ExecuteFileHonoursTheLock) {
    provide("autoexec.cfg", "gfx_fpprofile arb\n");
    EXPECT_TRUE(console.executeFile("autoexec.cfg"));
    EXPECT_STREQ(s.gfxFpprofile.text, "best");
    console.setLock(false);
    EXPECT_TRUE(console.executeFile("autoexec.cfg"));
    EXPECT_STREQ(s.gfxFpprofile.text, "arb");
}

TEST_F(ConsoleTest, ExecuteFileSurvivesBinaryContent) {
    const char bytes[] = "scr_width\0\xff\x01 12\n\"open\nscr_height 1\n";
    provide("noise.cfg", std::string(bytes, sizeof bytes - 1));
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(console.executeFile("noise.cfg"));
    ::testing::internal::GetCapturedStderr();
    EXPECT_DOUBLE_EQ(s.scrHeight.number, 1.0);
}

}  // namespace
}  // namespace arvel
