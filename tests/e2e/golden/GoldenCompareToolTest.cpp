// golden-compare, the golden comparison for pictures taken outside these tests (the
// Windows build under Wine): its verdicts and exit statuses, the difference it leaves,
// and the places and settings it hands out being the picture tests' own.
#include <gtest/gtest.h>

#include <sstream>

#include "GoldenImage.h"
#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel::test {
namespace {

ProcessResult goldenCompare(const std::vector<std::string>& arguments, const TempDir& dir) {
    std::vector<std::string> argv{ARVEL_BIN_DIR "/golden-compare"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    Process tool(argv, dir.path().string());
    return tool.wait(60);
}

std::string golden(const char* name) { return goldenPath(name).string(); }

TEST(GoldenCompareTool, AGoldenMatchesItselfAndLeavesNoDifference) {
    TempDir dir;
    const ProcessResult result =
        goldenCompare({"--difference", "diff.png", golden("hall"), golden("hall")}, dir);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("0 of them inside differing areas"), std::string::npos) << result.out;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "diff.png"));
}

TEST(GoldenCompareTool, AnotherPlaceFailsWithTheDifferenceWritten) {
    TempDir dir;
    const ProcessResult result =
        goldenCompare({"--difference", "diff.png", golden("entrance"), golden("hall")}, dir);
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    // The same verdict and summary as the picture tests' comparison.
    RgbImage entrance, hall, difference;
    ASSERT_TRUE(readPng(goldenPath("entrance"), entrance));
    ASSERT_TRUE(readPng(goldenPath("hall"), hall));
    const GoldenComparison comparison = compareWithGolden(entrance, hall);
    EXPECT_FALSE(comparison.matches());
    EXPECT_EQ(result.out, comparison.summary() + "\n");
    ASSERT_TRUE(readPng(dir.path() / "diff.png", difference));
    EXPECT_EQ(difference.rgb, comparison.difference.rgb);
}

TEST(GoldenCompareTool, UnreadablePicturesAndBadArgumentsExitWithTwo) {
    TempDir dir;
    dir.write("broken.png", "\x89PNG\r\n\x1a\n not really");
    ProcessResult result = goldenCompare({"broken.png", golden("hall")}, dir);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("broken.png is not a readable RGB PNG"), std::string::npos)
        << result.err;
    EXPECT_EQ(goldenCompare({golden("hall"), "missing.png"}, dir).exitCode, 2);
    EXPECT_EQ(goldenCompare({golden("hall")}, dir).exitCode, 2);
    EXPECT_EQ(goldenCompare({"--difference", golden("hall"), golden("hall")}, dir).exitCode, 2);
    result = goldenCompare({"--settings", "attic"}, dir);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("no view named 'attic'"), std::string::npos) << result.err;
}

TEST(GoldenCompareTool, HandsOutThePictureTestsPlacesAndSettings) {
    TempDir dir;
    const ProcessResult views = goldenCompare({"--views"}, dir);
    ASSERT_EQ(views.exitCode, 0);
    std::ostringstream expected;
    for (const GoldenView& view : kGoldenViews) expected << view.name << " " << view.camera << "\n";
    EXPECT_EQ(views.out, expected.str());
    for (const GoldenView& view : kGoldenViews) {
        const ProcessResult settings = goldenCompare({"--settings", view.name}, dir);
        EXPECT_EQ(settings.exitCode, 0) << view.name;
        EXPECT_EQ(settings.out, captureSettings(view.camera)) << view.name;
    }
}

}  // namespace
}  // namespace arvel::test
