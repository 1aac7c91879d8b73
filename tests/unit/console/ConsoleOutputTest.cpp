#include "console/ConsoleOutput.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace arvel {
namespace {

std::vector<std::string> linesOf(const ConsoleOutput& output) {
    return {output.lines().begin(), output.lines().end()};
}

TEST(ConsoleOutput, PrintSplitsLinesAndCleansThem) {
    ConsoleOutput output;
    output.print("");
    EXPECT_TRUE(output.lines().empty());
    output.print("one\ntwo");
    output.print("three\n");
    output.print("\n");
    output.print("dos\r\ntab\there\x01\x7f");
    output.print((std::string(600, 'x') + "\nshort").c_str());
    EXPECT_EQ(linesOf(output),
              (std::vector<std::string>{"one", "two", "three", "", "dos", "tab here  ",
                                        std::string(ConsoleOutput::kMaxLineLength, 'x'), "short"}));
}

TEST(ConsoleOutput, KeepsTheNewestLinesAndScrollsWithinThem) {
    ConsoleOutput output;
    output.scrollBy(3);
    EXPECT_EQ(output.scroll(), 0);
    for (int i = 0; i < 1100; ++i) output.print(std::to_string(i).c_str());
    ASSERT_EQ(output.lines().size(), ConsoleOutput::kMaxLines);
    EXPECT_EQ(output.lines().front(), "76");
    EXPECT_EQ(output.lines().back(), "1099");

    const int top = static_cast<int>(ConsoleOutput::kMaxLines) - 1;
    const struct {
        int by;
        int scroll;
    } steps[] = {{5, 5}, {-2, 3}, {-10, 0}, {INT_MAX, top}, {1, top}, {INT_MIN, 0}};
    for (const auto& step : steps) {
        output.scrollBy(step.by);
        EXPECT_EQ(output.scroll(), step.scroll) << step.by;
    }

    output.scrollBy(7);
    const unsigned before = output.changes();
    output.print("new");
    EXPECT_EQ(output.scroll(), 0);
    EXPECT_NE(output.changes(), before);
}

}  // namespace
}  // namespace arvel
