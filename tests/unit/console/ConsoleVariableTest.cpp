#include "console/ConsoleVariable.h"

#include <gtest/gtest.h>

#include <string>

namespace arvel {
namespace {

TEST(ConsoleVariable, DefaultsFillTheKindsRepresentations) {
    ConsoleVariable on("gfx_scissor", true);
    EXPECT_TRUE(on.flag);
    EXPECT_STREQ(on.text, "true");
    EXPECT_FALSE(on.locked);
    ConsoleVariable off("gfx_hwskin", false, true);
    EXPECT_STREQ(off.text, "false");
    EXPECT_TRUE(off.locked);

    ConsoleVariable width("scr_width", 640);
    EXPECT_DOUBLE_EQ(width.number, 640.0);
    EXPECT_STREQ(width.text, "640.000000");

    ConsoleVariable numeric("n", "2.5rest");
    EXPECT_STREQ(numeric.text, "2.5rest");
    EXPECT_DOUBLE_EQ(numeric.number, 2.5);
}

TEST(ConsoleVariable, HugeNumberIsFormattedInFull) {
    ConsoleVariable huge("big", 1e300);
    EXPECT_EQ(std::string(huge.text).size(), 301u + 7u);
    EXPECT_STREQ(huge.text + 301, ".000000");
}

TEST(ConsoleVariable, NameAndTextAreOwnedCopies) {
    char name[] = "c_font";
    char value[] = "SysFont.fpf";
    ConsoleVariable font(name, value);
    name[0] = value[0] = 'X';
    EXPECT_STREQ(font.name, "c_font");
    EXPECT_STREQ(font.text, "SysFont.fpf");
}

TEST(ConsoleVariable, AssignOfAnUnreadableWordChangesOnlyTheText) {
    ConsoleVariable width("scr_width", 640.0);
    width.flag = true;
    width.assign("yes");
    EXPECT_STREQ(width.text, "yes");
    EXPECT_DOUBLE_EQ(width.number, 640.0);
    EXPECT_TRUE(width.flag);
    width.assign("FaLsE");
    EXPECT_FALSE(width.flag);
    EXPECT_DOUBLE_EQ(width.number, 640.0);
}

}  // namespace
}  // namespace arvel
