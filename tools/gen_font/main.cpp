// arvel-gen-font: writes the overlay font's glyph image as a Targa file.
//   arvel-gen-font <output.tga> [cell size, a multiple of 8; default 8]
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "FontImage.h"
#include "TgaWriter.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.tga> [cell size]\n", argv[0]);
        return 2;
    }
    int cellSize = 8;
    if (argc == 3) {
        char* end = nullptr;
        const long value = std::strtol(argv[2], &end, 10);
        if (*end != '\0' || value < 8 || value > 256 || value % 8 != 0) {
            std::fprintf(stderr, "%s: cell size must be a multiple of 8 from 8 to 256\n", argv[0]);
            return 2;
        }
        cellSize = static_cast<int>(value);
    }
    try {
        const arvel::content::Image image = arvel::content::makeFontImage(cellSize);
        if (!arvel::content::saveTga(argv[1], image)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
