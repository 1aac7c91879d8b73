// Writes the engine's raw image format ".fpf": five little-endian 32-bit integers
// (flags, image count, width, height, bytes per pixel), then for each image and each
// face (six for a cube map) the rows, pixels blue, green, red (, alpha) or grey.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "TgaWriter.h"

namespace arvel::content {

struct FpfOptions {
    bool cubeMap = false;
    // Rows bottom first (flag bit 1), the order the engine keeps them in memory;
    // otherwise top first.
    bool bottomFirst = false;
};

// faces holds every image's faces in file order: one per image, or six per image of a
// cube map (+X, -X, +Y, -Y, +Z, -Z). All must share size and channel count. Throws
// std::invalid_argument when they do not, or when the count does not fit the kind.
std::string fpfBytes(const std::vector<Image>& faces, FpfOptions options = {});
bool saveFpf(const std::filesystem::path& path, const std::vector<Image>& faces,
             FpfOptions options = {});

}  // namespace arvel::content
