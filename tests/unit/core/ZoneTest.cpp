#include "core/Zone.h"

#include <gtest/gtest.h>

#include <string>

#include "ReportCapture.h"

namespace arvel {
namespace {

using test::drainPostedCloses;

class ZoneTest : public test::ReportingTest {
protected:
    void SetUp() override {
        ReportingTest::SetUp();
        z.create();
    }
    void TearDown() override {
        z.destroy();
        ReportingTest::TearDown();
    }
    Zone z;
};

TEST_F(ZoneTest, AllocationsFollowEachOtherWithoutHeaderOrAlignment) {
    ASSERT_NE(z.base, nullptr);
    auto* first = static_cast<uint8_t*>(z.allocate(3));
    auto* second = static_cast<uint8_t*>(z.allocate(8));
    EXPECT_EQ(first, z.base);
    EXPECT_EQ(second, first + 3);
    EXPECT_EQ(z.used, 11);
}

TEST_F(ZoneTest, AllocateZeroReturnsCurrentEndWithoutGrowing) {
    z.allocate(16);
    EXPECT_EQ(z.allocate(0), z.base + 16);
    EXPECT_EQ(z.used, 16);
}

TEST_F(ZoneTest, AllocationEndingExactlyAtCapacitySucceeds) {
    z.allocate(100);
    void* last = z.allocate(Zone::kBlockSize - 100);
    EXPECT_EQ(last, z.base + 100);
    EXPECT_EQ(z.used, Zone::kBlockSize);
}

TEST_F(ZoneTest, OneByteTooManyFailsWithFatalBoxAndLeavesUsedUnchanged) {
    z.allocate(Zone::kBlockSize - 4);
    void* failed = nullptr;
    std::string out = stderrOf([&] { failed = z.allocate(5); });
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(z.used, Zone::kBlockSize - 4);
    EXPECT_NE(out.find("in file Zone at row 24"), std::string::npos) << out;
    EXPECT_NE(out.find("Zone busted, more than 33554432 bytes used\n"), std::string::npos) << out;
    EXPECT_EQ(drainPostedCloses(), 1);
}

TEST_F(ZoneTest, HugeRequestDoesNotWrapAround) {
    z.allocate(1000);
    void* failed = nullptr;
    stderrOf([&] { failed = z.allocate(0x7fffffff); });
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(z.used, 1000);
}

TEST_F(ZoneTest, NegativeRequestIsRefused) {
    z.allocate(64);
    void* failed = nullptr;
    std::string out = stderrOf([&] { failed = z.allocate(-16); });
    EXPECT_EQ(failed, nullptr);
    EXPECT_EQ(z.used, 64);
    EXPECT_NE(out.find("Zone cannot allocate -16 bytes"), std::string::npos) << out;
}

TEST_F(ZoneTest, ResetIfFreeEmptiesAnUnheldZone) {
    z.allocate(32);
    z.resetIfFree();
    EXPECT_EQ(z.used, 0);
    EXPECT_EQ(z.allocate(4), z.base);
}

TEST_F(ZoneTest, HeldContentsSurviveNestedUsersAndLastReleaseEmpties) {
    void* mine = z.allocate(8);
    z.hold();
    z.hold();
    z.resetIfFree();  // a nested user starting its computation
    EXPECT_EQ(z.allocate(4), static_cast<uint8_t*>(mine) + 8);
    z.release();
    EXPECT_EQ(z.used, 12);
    z.release();
    EXPECT_EQ(z.used, 0);
    EXPECT_EQ(z.holders, 0);
}

TEST_F(ZoneTest, DestroyedZoneRefusesEveryNonEmptyAllocation) {
    z.destroy();
    EXPECT_EQ(z.capacity, 0);
    void* failed = reinterpret_cast<void*>(1);
    std::string out = stderrOf([&] { failed = z.allocate(1); });
    EXPECT_EQ(failed, nullptr);
    EXPECT_NE(out.find("Zone busted, more than 0 bytes used"), std::string::npos) << out;
}

TEST_F(ZoneTest, CreatingAgainStartsEmpty) {
    z.allocate(128);
    z.hold();
    z.create();
    EXPECT_EQ(z.used, 0);
    EXPECT_EQ(z.holders, 0);
    EXPECT_EQ(z.capacity, Zone::kBlockSize);
}

}  // namespace
}  // namespace arvel
