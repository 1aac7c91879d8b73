// An occlusion query begun again before it is read, as when one object is drawn in
// several batches that each wrap their pass in the object's query: the count is that
// of every run, not of the last one alone.
#include "StateTest.h"

namespace arvel::test {
namespace {

class OcclusionRestartTest : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_TRUE(gDriver.dOcclusionCulling());
        queries_ = gDriver.dGenOcclusionQueries(2);
        ASSERT_NE(queries_, nullptr);
    }
    void TearDown() override {
        if (queries_) gDriver.dDeleteOcclusionQueries(2, queries_);
        StateTest::TearDown();
    }

    void countRun(int index, int size, float z = 0.0f) {
        gDriver.dBeginOcclusionQuery(index, queries_);
        fillPixels(0, 0, size, size, z);
        gDriver.dEndOcclusionQuery();
    }

    DOcclusionQueries* queries_ = nullptr;
};

TEST_F(OcclusionRestartTest, RunsBeforeAReadAddUp) {
    countRun(0, 8);
    countRun(0, 4);
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), 64 + 16);
}

TEST_F(OcclusionRestartTest, AHiddenLastBatchDoesNotHideTheObject) {
    gDriver.dEnableDepth();
    gDriver.dDepthFunc(dcode::kLess);
    fillPixels(0, 0, 16, 16, -0.5f);  // the occluder
    countRun(0, 32, 0.0f);            // partly in front of nothing: 1024 - 256 pass
    countRun(0, 16, 0.5f);            // entirely behind the occluder
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), 32 * 32 - 16 * 16);
}

TEST_F(OcclusionRestartTest, AReadStartsAFreshCountAndRepeatsItsAnswer) {
    countRun(1, 8);
    countRun(1, 8);
    EXPECT_EQ(gDriver.dGetVisiblePixels(1, queries_), 128);
    EXPECT_EQ(gDriver.dGetVisiblePixels(1, queries_), 128);
    countRun(1, 2);
    EXPECT_EQ(gDriver.dGetVisiblePixels(1, queries_), 4);
}

TEST_F(OcclusionRestartTest, IndicesCountApart) {
    countRun(0, 4);
    countRun(1, 2);
    countRun(0, 2);
    EXPECT_EQ(gDriver.dGetVisiblePixels(0, queries_), 16 + 4);
    EXPECT_EQ(gDriver.dGetVisiblePixels(1, queries_), 4);
}

}  // namespace
}  // namespace arvel::test
