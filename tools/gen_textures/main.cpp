// arvel-gen-textures: writes the demo's surface textures as Targa files into a folder:
// <name>.tga (colour) and <name>_normal.tga (its normal map) for brick, stone and
// metal; white.tga for "white".
//   arvel-gen-textures <folder> <name>... [--size N; default 256]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "MaterialTextures.h"
#include "TgaWriter.h"

namespace {

// How steep the normal maps make the height fields' slopes.
constexpr float kNormalStrength = 6.0f;

bool save(const std::filesystem::path& path, const arvel::content::Image& image) {
    if (arvel::content::saveTga(path, image)) return true;
    std::fprintf(stderr, "arvel-gen-textures: cannot write %s\n", path.string().c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> names;
    int size = 256;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = std::atoi(argv[++i]);
        } else {
            names.push_back(argv[i]);
        }
    }
    if (argc < 3 || names.empty() || size < 8 || size > 4096) {
        std::fprintf(stderr, "usage: %s <folder> <brick|stone|metal|white>... [--size 8..4096]\n",
                     argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        std::filesystem::create_directories(folder);
        for (const std::string& name : names) {
            if (name == "white") {
                if (!save(folder / "white.tga", arvel::content::flatImage(8, 255, 255, 255)))
                    return 1;
                continue;
            }
            const arvel::content::SurfacePattern pattern =
                arvel::content::surfacePattern(name, size);
            if (!save(folder / (name + ".tga"), pattern.colour) ||
                !save(folder / (name + "_normal.tga"),
                      arvel::content::normalMap(pattern, kNormalStrength)))
                return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
