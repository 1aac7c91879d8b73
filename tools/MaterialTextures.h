// Procedural surface textures for the demo: brick, stone and metal, each a colour
// image with the normal map of its own height field, all tiling seamlessly.
#pragma once

#include <string>
#include <vector>

#include "TgaWriter.h"

namespace arvel::content {

// A square, tileable height field (0 low to 1 high, rows from the top) and the
// colour image that goes with it.
struct SurfacePattern {
    int size = 0;
    std::vector<float> height;
    Image colour;

    float heightAt(int x, int y) const;  // wraps around
};

// The pattern names accepted by surfacePattern: "brick", "stone", "metal".
const std::vector<std::string>& surfacePatternNames();
// Throws std::invalid_argument for an unknown name or a size below 8.
SurfacePattern surfacePattern(const std::string& name, int size);

// Tangent-space normals of a height field as RGB, n * 0.5 + 0.5: x along the image's
// columns (u), y up the image (v, which runs from the bottom row as the engine keeps
// images), z out of the surface. strength scales the slopes.
Image normalMap(const SurfacePattern& pattern, float strength);

// A size x size image of one colour.
Image flatImage(int size, uint8_t r, uint8_t g, uint8_t b);

}  // namespace arvel::content
