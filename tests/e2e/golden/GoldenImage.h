// Comparing a picture of game with its golden picture (tests/golden/<name>.png). A
// pixel differs when a channel moved by more than kGoldenChannelTolerance; what counts
// is the core of the differing areas: differing pixels whose eight neighbours all
// differ too. Rasterisation noise (edges a pixel off, filtering) makes lines at most
// two pixels wide and leaves no core; a missing light, shadow or mesh changes areas.
// The statistics overlay's rows are not compared.
#pragma once

#include <filesystem>
#include <string>

#include "reference/PngFile.h"

namespace arvel::test {

inline constexpr int kGoldenChannelTolerance = 16;
inline constexpr int kGoldenCoreLimit = 100;
inline constexpr int kOverlayRows = 20;

struct GoldenComparison {
    bool sameSize = false;
    int differing = 0;
    int core = 0;
    // The game's picture dimmed, differing pixels yellow, core pixels red.
    reference::RgbImage difference;

    bool matches() const { return sameSize && core <= kGoldenCoreLimit; }
    std::string summary() const;
};

GoldenComparison compareWithGolden(const reference::RgbImage& picture,
                                   const reference::RgbImage& golden);

// tests/golden/<name>.png in the source tree.
std::filesystem::path goldenPath(const std::string& name);

// Set (to anything) by scripts/update-golden: the golden tests write their pictures
// as the new goldens instead of comparing.
bool updatingGoldens();

}  // namespace arvel::test
