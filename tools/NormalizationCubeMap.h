// The normalization cube map: each texel of each face holds the unit direction from
// the cube's centre through it, packed as colour (d * 0.5 + 0.5) * 255. Looking a
// vector up in it normalizes the vector on hardware without per-pixel arithmetic.
#pragma once

#include <vector>

#include "TgaWriter.h"

namespace arvel::content {

// Six size x size RGB faces in cube-map order (+X, -X, +Y, -Y, +Z, -Z), each in
// reading order (rows from the top), laid out as the graphics API samples cube maps.
// Throws std::invalid_argument for a size below 1.
std::vector<Image> normalizationCubeMap(int size);

// The unit direction the texel (column x, row y from the top) of a face stands for.
void cubeMapDirection(int face, int size, int x, int y, float direction[3]);

}  // namespace arvel::content
