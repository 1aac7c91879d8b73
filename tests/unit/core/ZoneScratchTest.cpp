#include "core/ZoneScratch.h"

#include <gtest/gtest.h>

#include <string>

#include "ReportCapture.h"

namespace arvel {
namespace {

class ZoneScratchTest : public test::ReportingTest {
protected:
    void SetUp() override {
        ReportingTest::SetUp();
        zone().create();
    }
    void TearDown() override {
        zone().destroy();
        ReportingTest::TearDown();
    }
};

TEST_F(ZoneScratchTest, EverythingIsGivenBackAtScopeEndEvenUnderAnOuterHold) {
    {
        ZoneScratch scratch;
        ASSERT_NE(scratch.array<int>(100), nullptr);
        EXPECT_EQ(zone().holders, 1);
    }
    EXPECT_EQ(zone().used, 0);
    EXPECT_EQ(zone().holders, 0);

    void* outer = zone().allocate(24);
    zone().hold();
    {
        ZoneScratch scratch;
        ASSERT_NE(scratch.array<double>(10), nullptr);
        {
            ZoneScratch inner;
            inner.array<char>(7);
        }
        EXPECT_EQ(zone().used, 24 + 80);
    }
    EXPECT_EQ(zone().used, 24);
    EXPECT_EQ(zone().allocate(8), static_cast<uint8_t*>(outer) + 24);
    zone().release();
    EXPECT_EQ(zone().used, 0);
}

TEST_F(ZoneScratchTest, ArraysAreAlignedFilledAndNeverNull) {
    ZoneScratch scratch;
    char* bytes = scratch.array<char>(3);
    double* values = scratch.array<double>(4, 2.5);
    ASSERT_NE(bytes, nullptr);
    ASSERT_NE(values, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(values) % alignof(double), 0u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(values[i], 2.5);
    int* none = scratch.array<int>(0, 7);
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(*none, 7);
    EXPECT_FALSE(scratch.refused());
}

TEST_F(ZoneScratchTest, ARefusalIsReportedOnceAndRefusesTheRest) {
    ZoneScratch scratch;
    int* first = nullptr;
    int* second = nullptr;
    const std::string out = stderrOf([&] {
        first = scratch.array<int>(Zone::kBlockSize);  // four times the block
        second = scratch.array<int>(1);
    });
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_TRUE(scratch.refused());
    const size_t at = out.find("Zone busted");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.find("Zone busted", at + 1), std::string::npos) << out;
    EXPECT_EQ(zone().used, 0);
}

TEST_F(ZoneScratchTest, NegativeOrUnrepresentableCountsAreRefused) {
    ZoneScratch negative;
    EXPECT_EQ(negative.array<int>(-1), nullptr);
    EXPECT_TRUE(negative.refused());

    ZoneScratch huge;
    stderrOf([&] { EXPECT_EQ(huge.array<double>(int64_t{1} << 40), nullptr); });
    EXPECT_EQ(zone().used, 0);
}

}  // namespace
}  // namespace arvel
