// Settings read as ints: "autoexec.cfg" can give any number, and the game turned
// scr_width and its kin into ints unchecked (undefined beyond int, as with 1e300).
#include <gtest/gtest.h>

#include <climits>

#include "console/ConsoleVariable.h"

namespace arvel {
namespace {

int integerOf(const char* value) {
    ConsoleVariable variable("scr_width", 640.0);
    variable.assign(value);
    return variable.integer();
}

TEST(ConsoleVariableFuzzRegression, IntegerTruncatesNumbersWithinInt) {
    EXPECT_EQ(integerOf("1024"), 1024);
    EXPECT_EQ(integerOf("640.9"), 640);
    EXPECT_EQ(integerOf("-3.7"), -3);
    EXPECT_EQ(integerOf("2147483647"), INT_MAX);
    EXPECT_EQ(integerOf("-2147483648"), INT_MIN);
}

TEST(ConsoleVariableFuzzRegression, IntegerKeepsNumbersBeyondIntAtItsEnds) {
    EXPECT_EQ(integerOf("1e300"), INT_MAX);
    EXPECT_EQ(integerOf("2147483648"), INT_MAX);
    EXPECT_EQ(integerOf("-1e300"), INT_MIN);
    EXPECT_EQ(integerOf("inf"), INT_MAX);
    EXPECT_EQ(integerOf("-infinity"), INT_MIN);
}

TEST(ConsoleVariableFuzzRegression, IntegerOfNaNIsZero) {
    EXPECT_EQ(integerOf("nan"), 0);
    EXPECT_EQ(integerOf("-nan(123)"), 0);
}

TEST(ConsoleVariableFuzzRegression, IntegerOfAWordKeepsThePreviousNumber) {
    EXPECT_EQ(integerOf("wide"), 640);
}

}  // namespace
}  // namespace arvel
