// arvel-gen-font: writes the font's glyph image as a Targa file, or as an ".fpf" when
// the output's name ends so (the console's SysFont.fpf).
//   arvel-gen-font <output.tga|output.fpf> [cell size, a multiple of 8; default 8]
#include <cstdio>

#include "FontImage.h"
#include "ToolMain.h"

int main(int argc, char** argv) {
    using namespace arvel::content;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.tga|output.fpf> [cell size]\n", argv[0]);
        return 2;
    }
    int cellSize = 8;
    if (argc == 3 && (!parseWholeNumber(argv[2], 8, 256, cellSize) || cellSize % 8 != 0)) {
        std::fprintf(stderr, "%s: cell size must be a multiple of 8 from 8 to 256\n", argv[0]);
        return 2;
    }
    return writeOutput(argv[0], argv[1], [&] { return saveFontImage(argv[1], cellSize); });
}
