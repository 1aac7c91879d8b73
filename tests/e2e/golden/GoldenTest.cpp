// The demo drawn from four places, compared with the golden pictures in tests/golden/
// (scripts/update-golden writes them anew when the level or the look changes on
// purpose); that the comparison fails when a light, the dynamic shadows or a mesh go
// missing; and that two runs give the same bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "GameCapture.h"
#include "GoldenImage.h"
#include "reference/Scene.h"

namespace arvel::test {
namespace {

// The places of the goldens (GoldenImage.h).
using View = GoldenView;
const auto& kViews = kGoldenViews;

bool haveDisplay() { return std::getenv("DISPLAY") != nullptr; }

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Leaves the game's picture and the difference where a person can look at them.
std::string keepPictures(const std::string& name, const Capture& capture,
                         const GoldenComparison& comparison) {
    const std::filesystem::path folder = failureFolder();
    writePng(folder / (name + "-game.png"), capture.picture);
    if (comparison.sameSize) writePng(folder / (name + "-difference.png"), comparison.difference);
    return "pictures in " + folder.string();
}

class DemoGolden : public ::testing::TestWithParam<View> {
protected:
    void SetUp() override {
        if (!haveDisplay()) GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    }
};

TEST_P(DemoGolden, MatchesItsGoldenPicture) {
    const View view = GetParam();
    GameScene scene;
    const Capture capture = scene.capture(view.camera);
    ASSERT_FALSE(capture.result.timedOut);
    ASSERT_EQ(capture.result.signal, 0) << capture.result.err;
    ASSERT_EQ(capture.picture.width, kCaptureWidth) << "no screenshot\n" << capture.result.err;

    if (updatingGoldens()) {
        ASSERT_TRUE(writePng(goldenPath(view.name), capture.picture));
        GTEST_SKIP() << "wrote " << goldenPath(view.name);
    }
    RgbImage golden;
    ASSERT_TRUE(readPng(goldenPath(view.name), golden))
        << goldenPath(view.name) << " is missing: run scripts/update-golden";
    const GoldenComparison comparison = compareWithGolden(capture.picture, golden);
    EXPECT_TRUE(comparison.matches())
        << view.name << ": " << comparison.summary() << "; "
        << keepPictures(std::string("golden-") + view.name, capture, comparison);
}

INSTANTIATE_TEST_SUITE_P(Views, DemoGolden, ::testing::ValuesIn(kViews),
                         [](const ::testing::TestParamInfo<View>& info) {
                             std::string name = info.param.name;
                             name[0] = static_cast<char>(std::toupper(name[0]));
                             return name;
                         });

class GoldenSensitivity : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplay()) GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
        if (updatingGoldens()) GTEST_SKIP() << "the goldens are being written";
        ASSERT_TRUE(std::filesystem::exists(goldenPath("hall"))) << "run scripts/update-golden";
    }

    // The hall's picture, changed by what the test did, compared with the hall's golden.
    void expectMismatch(const std::vector<std::string>& settings = {}) {
        const Capture capture = scene_.capture(kViews[0].camera, settings);
        RgbImage golden;
        ASSERT_TRUE(readPng(goldenPath(kViews[0].name), golden));
        const GoldenComparison comparison = compareWithGolden(capture.picture, golden);
        ASSERT_EQ(capture.picture.width, kCaptureWidth) << capture.result.err;
        EXPECT_GT(comparison.core, 2 * kGoldenCoreLimit) << comparison.summary();
        EXPECT_FALSE(comparison.matches());
    }

    GameScene scene_;
};

TEST_F(GoldenSensitivity, ALevelWithoutTheHallLightFailsTheComparison) {
    // The light's colour becomes black in the map: it adds nothing anywhere.
    const std::filesystem::path map = scene_.path() / "test.otm";
    std::string bytes = readBytes(map);
    reference::Scene parsed;
    reference::parseOtm(bytes, parsed);
    ASSERT_FALSE(parsed.lights.empty());
    const size_t record = parsed.lights[0].recordOffset;
    ASSERT_EQ(bytes[record] & 2, 0) << "the hall light has a full record";
    const float black[3] = {0.0f, 0.0f, 0.0f};
    std::memcpy(&bytes[record + 25], black, sizeof black);  // after flags, position, radii
    std::ofstream(map, std::ios::binary) << bytes;
    expectMismatch();
}

TEST_F(GoldenSensitivity, DynamicShadowsSwitchedOffFailTheComparison) {
    expectMismatch({"gfx_dshadows false"});
}

TEST_F(GoldenSensitivity, AMissingCreatureFailsTheComparison) {
    std::filesystem::remove(scene_.path() / "test.msh");
    expectMismatch();
}

TEST(Determinism, TwoRunsWriteTheSameBytes) {
    if (!haveDisplay()) GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    // The hall: an animated mesh, a flickering torch and the frame rate in the overlay.
    GameScene scene;
    const Capture first = scene.capture(kViews[0].camera);
    const std::string firstBytes = readBytes(scene.path() / "shot.png");
    const Capture second = scene.capture(kViews[0].camera);
    const std::string secondBytes = readBytes(scene.path() / "shot.png");
    ASSERT_EQ(first.picture.width, kCaptureWidth) << first.result.err;
    ASSERT_FALSE(firstBytes.empty());
    EXPECT_TRUE(firstBytes == secondBytes) << "two runs of the same frame differ";
}

}  // namespace
}  // namespace arvel::test
