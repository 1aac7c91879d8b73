// Multisampling and vertical sync as game runs them: four samples smooth the edges while
// shadows still agree with the ray-traced reference, and every value of scr_vsync and
// scr_multisample (granted or beyond the display; nonsense is the unit test's) leaves a game that
// draws and ends normally, with at most one warning about it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "GameCapture.h"
#include "reference/Comparison.h"
#include "reference/GameView.h"

namespace arvel::test {
namespace {

constexpr const char* kHallStart = "-50.44 40.717 -36.719 0 -135 0";

class DisplayOptions : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    }

    Capture run(const std::vector<std::string>& settings) {
        Capture capture = scene_.capture(kHallStart, settings);
        EXPECT_EQ(capture.result.exitCode, 0) << capture.result.err;
        EXPECT_EQ(capture.picture.width, kCaptureWidth) << "no screenshot\n" << capture.result.err;
        return capture;
    }

    GameScene scene_;
};

// Pixels that lie strictly between their two neighbours across a strong step (in a row
// or a column), well away from both: what coverage blending leaves on an edge and a
// hard edge never has. The overlay's rows are left out.
std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int blendedEdgePixels(const RgbImage& picture) {
    // On the sum of the three channels: a step of 64 levels a channel, 12 clear of each side.
    constexpr int kStep = 3 * 64, kMargin = 3 * 12, kOverlayRows = 20;
    const int w = picture.width, h = picture.height;
    auto grey = [&](int x, int y) {
        const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * w + x) * 3];
        return p[0] + p[1] + p[2];
    };
    auto between = [&](int a, int m, int b) {
        const int low = std::min(a, b), high = std::max(a, b);
        return high - low >= kStep && m >= low + kMargin && m <= high - kMargin;
    };
    int count = 0;
    for (int y = kOverlayRows + 1; y + 1 < h; ++y)
        for (int x = 1; x + 1 < w; ++x) {
            const int m = grey(x, y);
            if (between(grey(x - 1, y), m, grey(x + 1, y)) ||
                between(grey(x, y - 1), m, grey(x, y + 1)))
                ++count;
        }
    return count;
}

TEST_F(DisplayOptions, FourSamplesSmoothEdgesAndShadowsStillMatchTheReference) {
    const Capture hard = run({"dbg_flat_white true"});
    const Capture smooth = run({"dbg_flat_white true", "scr_multisample 4"});
    ASSERT_EQ(smooth.picture.width, kCaptureWidth);
    ASSERT_EQ(hard.picture.width, kCaptureWidth);
    // This display has four-sample formats: nothing to warn about.
    EXPECT_EQ(countOccurrences(smooth.result.err, "Warning"), 0) << smooth.result.err;

    const int hardBlends = blendedEdgePixels(hard.picture);
    const int smoothBlends = blendedEdgePixels(smooth.picture);
    // Without samples the steps between lighting and thin faces (a box's side seen edge
    // on, a tentacle's rim) count too; with them every slanted edge adds its share.
    EXPECT_GE(smoothBlends, 2 * hardBlends + 100) << "hard edges: " << hardBlends;

    const reference::GameView view = reference::readGameView(scene_.path());
    const reference::Scene scene = reference::loadGameScene(scene_.path(), view);
    const reference::ReferenceImage traced = reference::render(scene, view.camera, view.options);
    const reference::Comparison comparison =
        reference::compareLighting(traced, smooth.picture.rgb.data());
    EXPECT_GE(comparison.counted, kCaptureWidth * kCaptureHeight / 3) << comparison.summary();
    EXPECT_GE(comparison.agreement(), 0.99) << comparison.summary();
}

struct OptionCase {
    const char* setting;
    const char* topic;  // what a warning about it names
    int maxWarnings;
};

// Mesa's software GLX on Xvfb has formats with four samples at most and no swap control
// on its screen, so scr_multisample 8 and scr_vsync true are said once each here; a
// display that has them stays silent.
const OptionCase kOptionCases[] = {
    {"scr_vsync false", "vertical sync", 0},
    {"scr_vsync true", "vertical sync", 1},
    {"scr_multisample 8", "8 samples", 1},
};

TEST_F(DisplayOptions, EveryValueRunsAndDrawsWithAtMostOneWarning) {
    for (const OptionCase& c : kOptionCases) {
        SCOPED_TRACE(c.setting);
        std::filesystem::remove(scene_.path() / "dump.dmp");
        const Capture capture = run({c.setting});
        const std::string& err = capture.result.err;
        const int warnings = countOccurrences(err, "Warning: ");
        EXPECT_LE(warnings, c.maxWarnings) << err;
        if (warnings > 0) {
            EXPECT_EQ(countOccurrences(err, c.topic), 1) << err;
            EXPECT_EQ(countOccurrences(readText(scene_.path() / "dump.dmp"), c.topic), 1);
        }
        EXPECT_EQ(countOccurrences(err, "Fatal error"), 0) << err;
    }
}

}  // namespace
}  // namespace arvel::test
