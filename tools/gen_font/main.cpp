// arvel-gen-font: writes the overlay font's glyph image as a Targa file.
//   arvel-gen-font <output.tga> [cell size, a multiple of 8; default 8]
#include <cstdio>

#include "FontImage.h"
#include "TgaWriter.h"
#include "ToolMain.h"

int main(int argc, char** argv) {
    using namespace arvel::content;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.tga> [cell size]\n", argv[0]);
        return 2;
    }
    int cellSize = 8;
    if (argc == 3 && (!parseWholeNumber(argv[2], 8, 256, cellSize) || cellSize % 8 != 0)) {
        std::fprintf(stderr, "%s: cell size must be a multiple of 8 from 8 to 256\n", argv[0]);
        return 2;
    }
    return writeOutput(argv[0], argv[1], [&] { return saveTga(argv[1], makeFontImage(cellSize)); });
}
