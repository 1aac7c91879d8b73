// Compiled levels seen from inside are closed: every pixel is some surface. Where two
// faces meet at a T-junction (a corner of one on the edge of the other) the rasteriser
// can leave single pixels of neither, and the clear colour shows through. The frame is
// cleared to magenta, which no surface of these levels is lit to, and counted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "GameCapture.h"

namespace arvel::test {
namespace {

struct SeamLevel {
    const char* name;
    const char* source;  // relative to the source tree
    std::vector<const char*> views;
};

// Doorways and floors cut along static lights' shadows, from near and far.
const SeamLevel kLevels[] = {
    {"Demo",
     "data/levels/demo.json",
     {"-50.44 40.717 -36.719 0 -135 0", "-60 45 -22 5 90 0", "50 50 10 0 -60 0",
      "-25 42 -22 35 90 0", "5 42 -22 35 -90 0", "-30 40 -22 -20 90 0", "-70 60 -30 50 -120 0",
      "40 60 -10 45 -150 0", "-70 50 0 5 -20 0", "-150 45 -40 40 90 0", "-140 45 -35 30 -95 0",
      "-160 -90 -70 25 -65 0"}},
    {"Annex",
     "data/levels/annex.glb",
     {"10 22 -10 10 45 0", "72 19.2 -36 5 90 0", "162 30 -6 15 -45 0", "42 24 -12 0 0 0"}},
    {"CameraInShadow",
     "tests/e2e/golden/levels/camera_in_shadow.json",
     {"50 20 75 10 0 0", "80 30 10 40 -120 0", "10 35 90 45 135 0"}},
    {"LightInBox",
     "tests/e2e/golden/levels/light_in_box.json",
     {"90 30 10 20 -135 0", "10 30 60 35 100 0"}},
    {"ShadowThroughPortal",
     "tests/e2e/golden/levels/shadow_through_portal.json",
     {"130 25 30 10 -90 0", "30 20 30 20 90 0", "70 15 50 30 -135 0"}},
    {"MeshShadowOnWall", "tests/e2e/golden/levels/mesh_shadow_on_wall.json", {"-80 55 5 20 10 0"}},
};

struct Size {
    int width, height;
};
// Views take these in turn, so that every level is seen at more than one size.
const Size kSizes[] = {{1024, 768}, {640, 480}, {854, 480}};

void PrintTo(const SeamLevel& level, std::ostream* out) { *out << level.name; }

class Seams : public ::testing::TestWithParam<SeamLevel> {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    }
};

int clearPixels(const RgbImage& picture, std::string& where) {
    int found = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
            if (p[0] != 255 || p[1] != 0 || p[2] != 255) continue;
            if (++found <= 5) where += " (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        }
    }
    return found;
}

TEST_P(Seams, NoPixelShowsTheClearColour) {
    const SeamLevel& level = GetParam();
    GameScene scene;
    std::string message;
    ASSERT_TRUE(
        scene.useLevelSource(std::filesystem::path(ARVEL_SOURCE_DIR) / level.source, message))
        << message;
    for (size_t v = 0; v < level.views.size(); ++v) {
        const Size size = kSizes[v % std::size(kSizes)];
        const Capture capture =
            scene.capture(level.views[v],
                          {"dbg_clear_colour \"1 0 1\"", "scr_width " + std::to_string(size.width),
                           "scr_height " + std::to_string(size.height)});
        ASSERT_EQ(capture.picture.width, size.width) << "no screenshot\n" << capture.result.err;
        std::string where;
        const int found = clearPixels(capture.picture, where);
        if (found == 0) continue;
        const std::string file =
            std::string("seams-") + level.name + "-" + std::to_string(v) + ".png";
        writePng(failureFolder() / file, capture.picture);
        ADD_FAILURE() << level.name << " from \"" << level.views[v] << "\" at " << size.width
                      << " x " << size.height << ": " << found << " pixels of the clear colour, at"
                      << where << "; picture " << (failureFolder() / file).string();
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, Seams, ::testing::ValuesIn(kLevels),
                         [](const ::testing::TestParamInfo<SeamLevel>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace arvel::test
