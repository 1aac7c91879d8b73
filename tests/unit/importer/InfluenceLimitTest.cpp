#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#ifdef ARVEL_HAVE_IMPORTER
#include "ModelImporter.h"

namespace arvel {
namespace {

using content::limitInfluences;
using content::MshInfluence;

float sum(const std::vector<MshInfluence>& influences) {
    float total = 0;
    for (const MshInfluence& influence : influences) total += influence.weight;
    return total;
}

TEST(InfluenceLimitTest, KeepsTheFourLargestAndRenormalises) {
    std::vector<MshInfluence> influences{{0, 0.05f}, {1, 0.3f}, {2, 0.1f},
                                         {3, 0.25f}, {4, 0.2f}, {5, 0.1f}};
    EXPECT_EQ(limitInfluences(influences), 2);
    ASSERT_EQ(influences.size(), 4u);
    EXPECT_EQ(influences[0].bone, 1);
    EXPECT_EQ(influences[1].bone, 3);
    EXPECT_EQ(influences[2].bone, 4);
    EXPECT_EQ(influences[3].bone, 2);  // of two equal weights the first stays
    EXPECT_NEAR(influences[0].weight, 0.3f / 0.85f, 1e-6f);
    EXPECT_NEAR(sum(influences), 1.0f, 1e-6f);
}

TEST(InfluenceLimitTest, FourOrFewerAreOnlyRenormalised) {
    std::vector<MshInfluence> influences{{7, 1.0f}, {2, 3.0f}};
    EXPECT_EQ(limitInfluences(influences), 0);
    ASSERT_EQ(influences.size(), 2u);
    EXPECT_EQ(influences[0].bone, 2);
    EXPECT_FLOAT_EQ(influences[0].weight, 0.75f);
    EXPECT_FLOAT_EQ(influences[1].weight, 0.25f);
}

TEST(InfluenceLimitTest, WeightsOfOneBoneAddUpBeforeTheLimit) {
    std::vector<MshInfluence> influences{{1, 0.2f}, {2, 0.3f}, {3, 0.1f}, {4, 0.1f}, {1, 0.2f}};
    EXPECT_EQ(limitInfluences(influences), 0);
    ASSERT_EQ(influences.size(), 4u);
    EXPECT_EQ(influences[0].bone, 1);
    EXPECT_NEAR(influences[0].weight, 0.4f / 0.9f, 1e-6f);
}

TEST(InfluenceLimitTest, ZeroNegativeAndNonFiniteWeightsGo) {
    std::vector<MshInfluence> influences{{1, 0.0f},
                                         {2, -0.5f},
                                         {3, std::numeric_limits<float>::quiet_NaN()},
                                         {4, std::numeric_limits<float>::infinity()},
                                         {5, 0.5f}};
    EXPECT_EQ(limitInfluences(influences), 0);
    ASSERT_EQ(influences.size(), 1u);
    EXPECT_EQ(influences[0].bone, 5);
    EXPECT_EQ(influences[0].weight, 1.0f);
}

TEST(InfluenceLimitTest, AnEmptyListStaysEmpty) {
    std::vector<MshInfluence> influences{{1, 0.0f}};
    EXPECT_EQ(limitInfluences(influences), 0);
    EXPECT_TRUE(influences.empty());
}

}  // namespace
}  // namespace arvel
#endif
