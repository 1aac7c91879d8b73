#include "console/Parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Exception.h"

namespace arvel {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> tokensOf(const char* text,
                                  std::vector<const char*> separators = {"=", ";"},
                                  int capacity = 65536) {
    Parser parser(capacity);
    parser.setSeparators(static_cast<int>(separators.size()), separators.data());
    parser.setText(text);
    std::vector<std::string> tokens;
    while (!parser.atEnd()) tokens.emplace_back(parser.next());
    return tokens;
}

// The message of the Exception a read must throw.
template <typename Read>
std::string failureOf(Read read) {
    try {
        read();
    } catch (Exception* exception) {
        std::unique_ptr<Exception> owned(exception);
        return owned->what();
    }
    ADD_FAILURE() << "no exception";
    return {};
}

TEST(ParserTokens, BlanksSeparatorsAndComments) {
    EXPECT_THAT(tokensOf(""), ElementsAre());
    EXPECT_THAT(tokensOf("  \r\n # only a comment"), ElementsAre());
    EXPECT_THAT(tokensOf("a=b;c"), ElementsAre("a", "=", "b", ";", "c"));
    EXPECT_THAT(tokensOf("a\tb c\r\nd"), ElementsAre("a\tb", "c", "d"));  // tab is no blank
    EXPECT_THAT(tokensOf("abc#rest = \"x\nxyz"), ElementsAre("abc", "xyz"));
    EXPECT_THAT(tokensOf("ab\"c d"), ElementsAre("ab\"c", "d"));
}

TEST(ParserTokens, LongestCaseSensitiveSeparatorWinsAndEmptyOnesNeverMatch) {
    EXPECT_THAT(tokensOf("a==b=c", {"=", "=="}), ElementsAre("a", "==", "b", "=", "c"));
    EXPECT_THAT(tokensOf("xANDy and", {"", "AND"}), ElementsAre("x", "AND", "y", "and"));
    EXPECT_THAT(tokensOf("a=", {"=="}), ElementsAre("a="));
}

TEST(ParserTokens, SetSeparatorsReplacesThePreviousList) {
    Parser parser(64);
    const char* const first[] = {"="};
    const char* const second[] = {","};
    parser.setSeparators(1, first);
    parser.setSeparators(1, second);
    parser.setText("a=b,c");
    EXPECT_STREQ(parser.next(), "a=b");
    EXPECT_STREQ(parser.next(), ",");
}

TEST(ParserTokens, EndOfTextAndLineCounting) {
    Parser parser(64);
    parser.setText("one\r\n\ntwo");
    EXPECT_FALSE(parser.atEnd());
    EXPECT_STREQ(parser.next(), "one");
    EXPECT_FALSE(parser.endOfText());
    EXPECT_STREQ(parser.next(), "two");
    EXPECT_EQ(parser.getLine(), 2);
    EXPECT_TRUE(parser.endOfText());
    EXPECT_TRUE(parser.atEnd());

    parser.setText(nullptr);
    EXPECT_EQ(parser.getPosition(), 0);
    EXPECT_EQ(parser.getLine(), 0);
    EXPECT_FALSE(parser.endOfText());
    EXPECT_STREQ(parser.next(), "");
    EXPECT_TRUE(parser.endOfText());
}

TEST(ParserTokens, PeekConsumesNothingAndLeavesTheNextTokenValid) {
    Parser parser(64);
    parser.setText("first\n\nsecond ");
    const char* first = parser.next();
    EXPECT_STREQ(parser.peek(), "second");
    EXPECT_EQ(parser.getLine(), 0);
    EXPECT_FALSE(parser.atEnd());
    EXPECT_STREQ(first, "first");
    EXPECT_STREQ(parser.next(), "second");
    EXPECT_EQ(parser.getLine(), 2);
    EXPECT_STREQ(parser.peek(), "");
    EXPECT_FALSE(parser.endOfText());
}

TEST(ParserQuoted, KeepsEverythingUpToTheQuoteAndIsFlaggedUntilTheNextRead) {
    Parser parser(64);
    parser.setText("\"a b # =\nc\" 5");
    EXPECT_STREQ(parser.next(), "a b # =\nc");
    EXPECT_TRUE(parser.isQuoted());
    EXPECT_EQ(parser.getLine(), 1);
    EXPECT_EQ(parser.readInt(), 5);
    EXPECT_FALSE(parser.isQuoted());
}

TEST(ParserQuoted, EmptyStringCountsAsEndAndUnterminatedOneGivesNothing) {
    Parser parser(64);
    parser.setText("\"\" x");
    EXPECT_TRUE(parser.atEnd());
    EXPECT_STREQ(parser.next(), "");
    EXPECT_TRUE(parser.isQuoted());
    EXPECT_STREQ(parser.next(), "x");

    parser.setText("\"never closed");
    EXPECT_STREQ(parser.next(), "");
    EXPECT_TRUE(parser.isQuoted());
    EXPECT_TRUE(parser.endOfText());
    EXPECT_TRUE(parser.atEnd());
}

TEST(ParserCapacity, OverlongTokensAreCutAndTheirRestSkipped) {
    EXPECT_THAT(tokensOf("abcdefghijkl mn", {}, 8), ElementsAre("abcdefg", "mn"));
    EXPECT_THAT(tokensOf("\"quoted text\" z", {}, 4), ElementsAre("quo", "z"));
    EXPECT_THAT(tokensOf("a<=>b", {"<=>"}, 3), ElementsAre("a", "<=", "b"));

    Parser parser(5);
    parser.setText("123456789012 x");
    EXPECT_EQ(parser.readInt(), 1234);
    EXPECT_STREQ(parser.next(), "x");
}

TEST(ParserCapacity, EveryPrefixOfAMixedTextIsReadToItsEndInBoundedSteps) {
    const std::string text = "a=\"q # ;\n\" -12.5,x#c\r\n\"open ==; 7\t8 \"\"";
    const char* const separators[] = {"=", ";", "==", ","};
    for (int capacity : {0, 1, 2, 65536}) {
        Parser parser(capacity);
        parser.setSeparators(4, separators);
        for (size_t cut = 0; cut <= text.size(); ++cut) {
            std::string prefix = text.substr(0, cut);
            parser.setText(prefix.c_str());
            int steps = 0;
            while (!parser.atEnd() && steps < 100) {
                parser.next();
                ++steps;
            }
            EXPECT_LT(steps, 100) << capacity << " " << prefix;
            EXPECT_LE(parser.getPosition(), static_cast<int>(cut) + 1);
        }
    }
}

TEST(ParserNumbers, ReadIntConvertsWholeNumbers) {
    Parser parser(64);
    const char* const comma[] = {","};
    parser.setSeparators(1, comma);
    parser.setText("12 -7\n# comment\n 0,99999999999999999999");
    EXPECT_EQ(parser.readInt(), 12);
    EXPECT_EQ(parser.readInt(), -7);
    EXPECT_EQ(parser.readInt(), 0);
    EXPECT_EQ(parser.getLine(), 2);
    EXPECT_STREQ(parser.next(), ",");
    EXPECT_EQ(parser.readInt(), 2147483647);  // saturates
    EXPECT_EQ(parser.readInt(), 0);           // end of text
    EXPECT_TRUE(parser.endOfText());
}

TEST(ParserNumbers, ReadIntReportsBadTokensWithPositionAndLine) {
    Parser parser(64);
    parser.setText("3.5");
    EXPECT_THAT(failureOf([&] { parser.readInt(); }),
                HasSubstr("PARSER: Integer parsing failed on token 3.5 (3:0)\n"));
    parser.setText("- 1");
    EXPECT_THAT(failureOf([&] { parser.readInt(); }), HasSubstr("failed on token - (1:0)"));

    parser.setText("\nx");
    std::string message = failureOf([&] { parser.readInt(); });
    EXPECT_THAT(message, HasSubstr("(Parsers\\Parser:"));
    EXPECT_THAT(message, HasSubstr("PARSER: Integer parsing failed on (1:1), none value found\n"));
    EXPECT_STREQ(parser.next(), "x");

    for (const char* text : {".5", "+5", "\"5\"", "=5"}) {
        parser.setText(text);
        EXPECT_THAT(failureOf([&] { parser.readInt(); }), HasSubstr("none value found")) << text;
    }
}

TEST(ParserNumbers, ReadFloatConvertsDecimalsAndStopsAtOtherCharacters) {
    Parser parser(64);
    parser.setText("-.5 0.25 1.5e3");
    EXPECT_DOUBLE_EQ(parser.readFloat(), -0.5);
    EXPECT_DOUBLE_EQ(parser.readFloat(), 0.25);
    EXPECT_DOUBLE_EQ(parser.readFloat(), 1.5);
    EXPECT_STREQ(parser.next(), "e3");
    EXPECT_DOUBLE_EQ(parser.readFloat(), 0.0);

    parser.setText("1-2");
    EXPECT_THAT(failureOf([&] { parser.readFloat(); }),
                HasSubstr("PARSER: FP parsing failed on token 1-2 (3:0)\n"));
    parser.setText("abc");
    EXPECT_THAT(failureOf([&] { parser.readFloat(); }),
                HasSubstr("PARSER: FP parsing failed on (0:0), none value found\n"));
}

}  // namespace
}  // namespace arvel
