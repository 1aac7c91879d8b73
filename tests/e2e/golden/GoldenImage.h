// Comparing a picture of game with its golden picture (tests/golden/<name>.png). A
// pixel differs when a channel moved by more than kGoldenChannelTolerance; what counts
// is the core of the differing areas: differing pixels whose eight neighbours all
// differ too. Rasterisation noise (edges a pixel off, filtering) makes lines at most
// two pixels wide and leaves no core; a missing light, shadow or mesh changes areas.
// The statistics overlay's rows are not compared.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "core/PngFile.h"

namespace arvel::test {

inline constexpr int kGoldenChannelTolerance = 16;
inline constexpr int kGoldenCoreLimit = 100;
inline constexpr int kOverlayRows = 20;

// Golden pictures are taken at this size.
inline constexpr int kCaptureWidth = 320;
inline constexpr int kCaptureHeight = 240;

struct GoldenView {
    const char* name;    // tests/golden/<name>.png
    const char* camera;  // dbg_camera: position, then pitch, yaw and roll
};

// gtest prints parameters by name, not as bytes.
void PrintTo(const GoldenView& value, std::ostream* out);

// The start (the creature in the hall), the entrance, the machine arm in the crypt,
// the vault seen from its door. The Windows build is compared from the same places
// (scripts/test-windows, through golden-compare).
inline constexpr GoldenView kGoldenViews[] = {{"hall", "-50.44 40.717 -36.719 0 -135 0"},
                                              {"entrance", "0 55 10 5 60 0"},
                                              {"crypt", "-160 -90 -70 25 -65 0"},
                                              {"vault", "-65 -85 -84 25 -40 0"}};

// The autoexec.cfg lines, after the demo's own, that make game take a golden picture
// from camera: five deterministic 100 ms frames at the capture size, the fifth saved as
// shot.png, then the end.
std::string captureSettings(const std::string& camera);

struct GoldenComparison {
    bool sameSize = false;
    int differing = 0;
    int core = 0;
    // The game's picture dimmed, differing pixels yellow, core pixels red.
    RgbImage difference;

    bool matches() const { return sameSize && core <= kGoldenCoreLimit; }
    std::string summary() const;
};

GoldenComparison compareWithGolden(const RgbImage& picture, const RgbImage& golden);

// tests/golden/<name>.png in the source tree.
std::filesystem::path goldenPath(const std::string& name);

// Set (to anything) by scripts/update-golden: the golden tests write their pictures
// as the new goldens instead of comparing.
bool updatingGoldens();

}  // namespace arvel::test
