// arvel-gen-default-texture: writes the world's default texture, a normalization cube
// map in the engine's FPF format.
//   arvel-gen-default-texture <output.fpf> [face size; default 32]
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "FpfWriter.h"
#include "NormalizationCubeMap.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.fpf> [face size]\n", argv[0]);
        return 2;
    }
    int size = 32;
    if (argc == 3) {
        char* end = nullptr;
        const long value = std::strtol(argv[2], &end, 10);
        if (*end != '\0' || value < 1 || value > 1024) {
            std::fprintf(stderr, "%s: face size must be 1 to 1024\n", argv[0]);
            return 2;
        }
        size = static_cast<int>(value);
    }
    try {
        arvel::content::FpfOptions options;
        options.cubeMap = true;
        if (!arvel::content::saveFpf(argv[1], arvel::content::normalizationCubeMap(size),
                                     options)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    return 0;
}
