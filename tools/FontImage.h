// The overlay font's glyph image, drawn from a small built-in 5 x 7 bitmap font: a
// grid of 16 x 16 square cells, character code c in column c % 16 and row c / 16
// counted from the top. Glyphs are opaque white with a black shadow one glyph pixel
// down and right; the rest is transparent. Codes without a glyph stay empty.
#pragma once

#include <filesystem>

#include "TgaWriter.h"

namespace arvel::content {

// cellSize is a multiple of 8 (8 gives a 128 x 128 image); each glyph pixel becomes a
// cellSize / 8 square. Throws std::invalid_argument for another size.
Image makeFontImage(int cellSize = 8);

// Writes the font image of cellSize to path: an ".fpf" (rows top first, as a Targa's
// read back) when the name ends so, whatever its case, otherwise a Targa file.
bool saveFontImage(const std::filesystem::path& path, int cellSize = 8);

// Whether code has a glyph (the printable ASCII characters other than the space).
bool fontHasGlyph(int code);

}  // namespace arvel::content
