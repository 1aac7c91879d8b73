// The engine's generator gives the same numbers everywhere: the sequence of an
// unseeded C runtime generator with 15-bit results, known from that runtime's rand().
#include <gtest/gtest.h>

#include <algorithm>

#include "core/Random.h"

namespace arvel {
namespace {

TEST(Random, UnseededGivesTheKnownSequence) {
    Random random;
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) EXPECT_EQ(random.next(), value);
}

TEST(Random, SeedOneIsTheUnseededSequenceAndOtherSeedsDiffer) {
    Random unseeded, one(1), two(2), twoAgain(2);
    int differing = 0;
    for (int i = 0; i < 100; ++i) {
        const int fromTwo = two.next();
        EXPECT_EQ(one.next(), unseeded.next());
        EXPECT_EQ(twoAgain.next(), fromTwo);
        differing += fromTwo != Random(1).next() ? 1 : 0;
    }
    EXPECT_GT(differing, 0);
}

TEST(Random, ValuesCoverTheWholeRangeAndNoMore) {
    Random random;
    int lowest = kRandomMax, highest = 0;
    long long sum = 0;
    const int draws = 200000;
    for (int i = 0; i < draws; ++i) {
        const int v = random.next();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, kRandomMax);
        lowest = std::min(lowest, v);
        highest = std::max(highest, v);
        sum += v;
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, kRandomMax);
    // Uniform: the mean is near the middle of the range.
    EXPECT_NEAR(static_cast<double>(sum) / draws, kRandomMax / 2.0, 150.0);
}

}  // namespace
}  // namespace arvel
