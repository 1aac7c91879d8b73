#include "GoldenImage.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <vector>

namespace arvel::test {

void PrintTo(const GoldenView& value, std::ostream* out) { *out << value.name; }

std::string captureSettings(const std::string& camera) {
    return "scr_width " + std::to_string(kCaptureWidth) + "\nscr_height " +
           std::to_string(kCaptureHeight) +
           "\ndbg_frame_ms 100\ndbg_screenshot_frame 5\ndbg_quit_frame 5\n"
           "dbg_screenshot \"shot.png\"\ndbg_camera \"" +
           camera + "\"\n";
}

std::string GoldenComparison::summary() const {
    if (!sameSize) return "the pictures differ in size";
    return std::to_string(differing) + " pixels differ by more than " +
           std::to_string(kGoldenChannelTolerance) + ", " + std::to_string(core) +
           " of them inside differing areas (at most " + std::to_string(kGoldenCoreLimit) +
           " may be)";
}

GoldenComparison compareWithGolden(const RgbImage& picture, const RgbImage& golden) {
    GoldenComparison result;
    result.sameSize = picture.width == golden.width && picture.height == golden.height &&
                      picture.width > 0 && picture.height > 0;
    if (!result.sameSize) return result;
    const int w = picture.width, h = picture.height;
    auto at = [w](int x, int y) {
        return static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
    };
    std::vector<uint8_t> differs(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    for (int y = kOverlayRows; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* a = &picture.rgb[at(x, y) * 3];
            const uint8_t* b = &golden.rgb[at(x, y) * 3];
            for (int k = 0; k < 3; ++k)
                if (std::abs(a[k] - b[k]) > kGoldenChannelTolerance) differs[at(x, y)] = 1;
            result.differing += differs[at(x, y)];
        }
    result.difference = {w, h, std::vector<uint8_t>(picture.rgb.size())};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool core = differs[at(x, y)] && x > 0 && y > 0 && x + 1 < w && y + 1 < h;
            for (int dy = -1; dy <= 1 && core; ++dy)
                for (int dx = -1; dx <= 1 && core; ++dx) core = differs[at(x + dx, y + dy)] != 0;
            result.core += core ? 1 : 0;
            uint8_t* out = &result.difference.rgb[at(x, y) * 3];
            const uint8_t* in = &picture.rgb[at(x, y) * 3];
            if (core) {
                out[0] = 255, out[1] = 0, out[2] = 0;
            } else if (differs[at(x, y)]) {
                out[0] = 255, out[1] = 255, out[2] = 0;
            } else {
                for (int k = 0; k < 3; ++k) out[k] = static_cast<uint8_t>(in[k] / 3);
            }
        }
    return result;
}

std::filesystem::path goldenPath(const std::string& name) {
    return std::filesystem::path(ARVEL_SOURCE_DIR) / "tests" / "golden" / (name + ".png");
}

bool updatingGoldens() { return std::getenv("ARVEL_UPDATE_GOLDEN") != nullptr; }

}  // namespace arvel::test
