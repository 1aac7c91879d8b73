#include "core/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace arvel {
namespace {

// Lets a test see whether a wrapper deleted the exception it wrapped.
class TrackedException : public Exception {
public:
    TrackedException(bool* deleted, const char* text)
        : Exception(7, "Utils\\Inner", "%s", text), deleted_(deleted) {}
    ~TrackedException() override { *deleted_ = true; }

private:
    bool* deleted_;
};

// The largest text that fits the 16384-byte work buffer after "(F:1): ".
std::string longestFittingText() { return std::string(16384 - 1 - 7, 'x'); }

TEST(ExceptionMessage, FreshMessageStartsWithFileAndLine) {
    Exception e(90, "Utils\\CommonFile", "Error while reading file, %d != %d\n", 3, 5);
    EXPECT_STREQ(e.what(), "(Utils\\CommonFile:90): Error while reading file, 3 != 5\n");
}

TEST(ExceptionMessage, TextFillingTheWorkBufferExactlyIsKept) {
    std::string text = longestFittingText();
    Exception e(1, "F", "%s", text.c_str());
    EXPECT_EQ(std::string(e.what()), "(F:1): " + text);
}

TEST(ExceptionMessage, TextOneCharacterTooLongGivesNullTrace) {
    std::string text = longestFittingText() + "x";
    Exception e(1, "F", "%s", text.c_str());
    EXPECT_STREQ(e.what(), "Trace = NULL");
}

TEST(ExceptionWrapping, LocationStartsANewLineAfterTextWithoutNewline) {
    Exception outer(20, "World\\OTM", new Exception(5, "Utils\\DataStream", "short"));
    EXPECT_STREQ(outer.what(), "(Utils\\DataStream:5): short\n(World\\OTM:20): ");
}

TEST(ExceptionWrapping, LocationFollowsDirectlyAfterTextEndingInNewline) {
    Exception outer(20, "World\\OTM", new Exception(5, "Utils\\DataStream", "short\n"),
                    "Could not load %s\n", "test.otm");
    EXPECT_STREQ(outer.what(),
                 "(Utils\\DataStream:5): short\n(World\\OTM:20): Could not load test.otm\n");
}

TEST(ExceptionWrapping, WrappingTwiceGivesThreeLinesInnermostFirst) {
    Exception* inner = new Exception(1, "A", "first\n");
    Exception* middle = new Exception(2, "B", inner, "second\n");
    Exception outer(3, "C", middle, "third\n");
    EXPECT_STREQ(outer.what(), "(A:1): first\n(B:2): second\n(C:3): third\n");
}

TEST(ExceptionWrapping, NullInnerMessageReadsAsTraceNull) {
    std::string tooLong(20000, 'y');
    Exception outer(2, "B", new Exception(1, "A", "%s", tooLong.c_str()), "context\n");
    EXPECT_STREQ(outer.what(), "Trace = NULL\n(B:2): context\n");
}

TEST(ExceptionWrapping, NullInnerPointerReadsAsTraceNull) {
    Exception outer(2, "B", static_cast<Exception*>(nullptr));
    EXPECT_STREQ(outer.what(), "Trace = NULL\n(B:2): ");
}

TEST(ExceptionWrapping, InnerIsDeletedByEveryWrapper) {
    bool deleted = false;
    { Exception outer(2, "B", new TrackedException(&deleted, "x\n")); }
    EXPECT_TRUE(deleted);

    deleted = false;
    { Exception outer(2, "B", new TrackedException(&deleted, "x\n"), "more\n"); }
    EXPECT_TRUE(deleted);
}

TEST(ExceptionWrapping, TooLongWrapperTextDeletesInnerAndGivesNullTrace) {
    bool deleted = false;
    std::string tooLong(16384, 'z');
    Exception outer(2, "B", new TrackedException(&deleted, "x\n"), "%s", tooLong.c_str());
    EXPECT_TRUE(deleted);
    EXPECT_STREQ(outer.what(), "Trace = NULL");
}

TEST(ExceptionWrapping, LongInnerTraceIsNotLimitedByTheWorkBuffer) {
    // Each step fits the work buffer; the accumulated trace may grow past it.
    std::string text(10000, 'q');
    Exception* inner = new Exception(1, "A", "%s\n", text.c_str());
    Exception outer(2, "B", inner, "%s\n", text.c_str());
    std::string message = outer.what();
    EXPECT_EQ(message.size(), 2 * (text.size() + 1) + 14u);
    EXPECT_NE(message.find("\n(B:2): q"), std::string::npos);
}

}  // namespace
}  // namespace arvel
