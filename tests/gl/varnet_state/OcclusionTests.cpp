// Occlusion queries: exact counts of the pixels that pass the depth test, and queries
// that cannot answer.
#include "StateTest.h"

namespace arvel::test {
namespace {

class OcclusionTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(gDriver.dOcclusionCulling());
        queries_ = gDriver.dGenOcclusionQueries(3);
        ASSERT_NE(queries_, nullptr);
    }
    void TearDown() override {
        if (queries_) gDriver.dDeleteOcclusionQueries(3, queries_);
        StateTest::TearDown();
    }

    DOcclusionQueries* queries_ = nullptr;
};

TEST_F(OcclusionTest, CountsTheVisibleHalfOfAHalfHiddenQuad) {
    gDriver.dEnableDepth();
    gDriver.dDepthFunc(dcode::kLess);
    gDriver.dColor3(1, 0, 0);
    fillPixels(64, 64, 96, 128, -0.5f);  // hides the left half of the quad below

    gDriver.dEnableOcclusion();
    gDriver.dColor3(0, 1, 0);
    gDriver.dBeginOcclusionQuery(0, queries_);
    fillPixels(64, 64, 128, 128, 0.0f);  // 64 x 64 pixels
    gDriver.dEndOcclusionQuery();
    gDriver.dBeginOcclusionQuery(1, queries_);
    fillPixels(64, 64, 96, 128, 0.5f);  // entirely behind the occluder
    gDriver.dEndOcclusionQuery();
    gDriver.dDisableOcclusion();

    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), 32 * 64);
    EXPECT_EQ(gDriver.dGetVisiblePixels(1, queries_), 0);
}

TEST_F(OcclusionTest, QueriesCountWithColourAndDepthWritesOff) {
    gDriver.dEnableDepth();
    gDriver.dColorMask(0, 0, 0, 0);
    gDriver.dDepthMask(0);
    gDriver.dBeginOcclusionQuery(2, queries_);
    fillPixels(0, 0, 10, 10);
    gDriver.dEndOcclusionQuery();
    gDriver.dColorMask(1, 1, 1, 1);
    gDriver.dDepthMask(1);
    EXPECT_EQ(gDriver.dGetVisiblePixels(2, queries_), 100);
    EXPECT_TRUE(isBlack(5, 5));
}

TEST_F(OcclusionTest, AQueryCanBeRunAgain) {
    for (int size : {8, 16}) {
        gDriver.dBeginOcclusionQuery(0, queries_);
        fillPixels(0, 0, size, size);
        gDriver.dEndOcclusionQuery();
        EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), size * size);
    }
}

TEST_F(OcclusionTest, QueriesThatCannotAnswerReportMinusOne) {
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), -1) << "never begun";
    EXPECT_EQ(gDriver.dGetVisiblePixels(3, queries_), -1) << "past the end";
    EXPECT_EQ(gDriver.dGetVisiblePixels(-1, queries_), -1);
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, nullptr), -1);
}

TEST_F(OcclusionTest, BeginWhileAQueryRunsIsIgnored) {
    gDriver.dBeginOcclusionQuery(0, queries_);
    gDriver.dBeginOcclusionQuery(1, queries_);
    fillPixels(0, 0, 4, 4);
    gDriver.dEndOcclusionQuery();
    gDriver.dEndOcclusionQuery();  // nothing runs: ignored
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), 16);
    EXPECT_EQ(gDriver.dGetVisiblePixels(1, queries_), -1);
}

TEST_F(OcclusionTest, BadIndicesAndArraysAreIgnored) {
    gDriver.dBeginOcclusionQuery(7, queries_);
    gDriver.dBeginOcclusionQuery(0, nullptr);
    gDriver.dEndOcclusionQuery();
    gDriver.dDeleteOcclusionQueries(4, nullptr);
    EXPECT_EQ(gDriver.dGenOcclusionQueries(-1), nullptr);
    DOcclusionQueries* empty = gDriver.dGenOcclusionQueries(0);
    EXPECT_NE(empty, nullptr);
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, empty), -1);
    gDriver.dDeleteOcclusionQueries(0, empty);
}

TEST_F(OcclusionTest, DeletingTheArrayEndsItsRunningQuery) {
    DOcclusionQueries* other = gDriver.dGenOcclusionQueries(1);
    ASSERT_NE(other, nullptr);
    gDriver.dBeginOcclusionQuery(0, other);
    gDriver.dDeleteOcclusionQueries(1, other);
    gDriver.dBeginOcclusionQuery(0, queries_);
    fillPixels(0, 0, 2, 2);
    gDriver.dEndOcclusionQuery();
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), 4);
}

}  // namespace
}  // namespace arvel::test
