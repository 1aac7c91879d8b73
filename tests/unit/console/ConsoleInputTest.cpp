#include "console/ConsoleInput.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace arvel {
namespace {

TEST(ConsoleInput, EditingAtTheCursor) {
    const std::string full(ConsoleInput::kMaxLength, 'x');
    const struct {
        const char* what;
        std::function<void(ConsoleInput&)> edit;
        std::string line;
        size_t cursor;
    } cases[] = {
        {"insert in the middle",
         [](ConsoleInput& in) {
             in.insert("abc");
             in.left();
             in.left();
             in.insert("XY");
         },
         "aXYbc", 3},
        {"moves stop at the edges",
         [](ConsoleInput& in) {
             in.insert("ab");
             in.right();
             in.home();
             in.left();
             in.insert("<");
             in.end();
             in.insert(">");
         },
         "<ab>", 4},
        {"backspace at the start does nothing",
         [](ConsoleInput& in) {
             in.insert("ab");
             in.home();
             in.backspace();
         },
         "ab", 0},
        {"erase at the start deletes under the cursor",
         [](ConsoleInput& in) {
             in.insert("ab");
             in.home();
             in.erase();
         },
         "b", 0},
        {"erase at the end does nothing, backspace does",
         [](ConsoleInput& in) {
             in.insert("ab");
             in.erase();
             in.backspace();
         },
         "a", 1},
        {"control characters and high bytes ignored",
         [](ConsoleInput& in) {
             in.insert(
                 "a\tb\x01\n\x7f"
                 "c\xc3\xa9"
                 "d");
         },
         "abcd", 4},
        {"overlong input is cut", [&](ConsoleInput& in) { in.insert(full + "yz"); }, full,
         ConsoleInput::kMaxLength},
        {"a full line takes no more",
         [&](ConsoleInput& in) {
             in.insert(full);
             in.home();
             in.insert("y");
             in.erase();
             in.insert("z");
         },
         "z" + full.substr(1), 1},
        {"what fits of an insert goes in",
         [&](ConsoleInput& in) {
             in.insert(full.substr(1));
             in.home();
             in.insert("yz");
         },
         "y" + full.substr(1), 1},
    };
    for (const auto& c : cases) {
        ConsoleInput input;
        c.edit(input);
        EXPECT_EQ(input.line(), c.line) << c.what;
        EXPECT_EQ(input.cursor(), c.cursor) << c.what;
    }
}

TEST(ConsoleInput, HistoryWalksSubmittedLinesAndReturnsToTheTypedOne) {
    ConsoleInput input;
    for (const char* line : {"first", "second", "second", ""}) {
        input.insert(line);
        EXPECT_EQ(input.submit(), line);
        EXPECT_EQ(input.line(), "");
    }
    EXPECT_EQ(input.history(), (std::vector<std::string>{"first", "second"}));

    input.insert("draft");
    const char* const expected[] = {"second", "first", "first", "second", "draft", "draft"};
    const bool up[] = {true, true, true, false, false, false};
    for (size_t i = 0; i < std::size(expected); ++i) {
        up[i] ? input.historyUp() : input.historyDown();
        EXPECT_EQ(input.line(), expected[i]) << i;
        EXPECT_EQ(input.cursor(), input.line().size()) << i;
    }

    // A recalled line submits like a typed one; the oldest go beyond the limit.
    input.historyUp();
    EXPECT_EQ(input.submit(), "second");
    for (size_t i = 0; i < ConsoleInput::kMaxHistory; ++i) {
        input.insert("line " + std::to_string(i));
        input.submit();
    }
    ASSERT_EQ(input.history().size(), ConsoleInput::kMaxHistory);
    EXPECT_EQ(input.history().front(), "line 0");
}

TEST(ConsoleInput, CompletesTheNameStartingTheStatement) {
    const std::vector<std::string> names = {"scr_width",  "scr_height",   "scr_bpp",
                                            "gfx_driver", "gfx_dshadows", "exec"};
    const struct {
        const char* line;
        size_t cursor;  // where the cursor is put before completing
        const char* completed;
        std::vector<std::string> candidates;
    } cases[] = {
        {"scr_w", 5, "scr_width ", {"scr_width"}},
        {"SCR_H", 5, "scr_height ", {"scr_height"}},
        {"scr_", 4, "scr_", {"scr_bpp", "scr_height", "scr_width"}},
        {"g", 1, "gfx_d", {"gfx_driver", "gfx_dshadows"}},
        {"zz", 2, "zz", {}},
        {"scr_width 800; ex", 17, "scr_width 800; exec ", {"exec"}},
        {"scr_w 800", 3, "scr_width 800", {"scr_width"}},
        {"scr_w 800", 9, "scr_w 800", {}},  // the cursor is past the name
    };
    for (const auto& c : cases) {
        ConsoleInput input;
        input.insert(c.line);
        input.home();
        for (size_t i = 0; i < c.cursor; ++i) input.right();
        EXPECT_EQ(input.complete(names), c.candidates) << c.line;
        EXPECT_EQ(input.line(), c.completed) << c.line;
    }

    ConsoleInput input;
    input.insert("scr_w 800");
    input.home();
    input.complete(names);
    EXPECT_EQ(input.cursor(), std::string("scr_width ").size());
}

}  // namespace
}  // namespace arvel
