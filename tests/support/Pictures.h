// Measures of the screenshots tests read with readPng (core/PngFile.h).
#pragma once

#include "core/PngFile.h"

namespace arvel::test {

// The share of pixels whose channels are all at most threshold.
double darkShare(const RgbImage& image, int threshold = 8);

}  // namespace arvel::test
