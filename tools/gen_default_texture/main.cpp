// arvel-gen-default-texture: writes the world's default texture, a normalization cube
// map in the engine's FPF format.
//   arvel-gen-default-texture <output.fpf> [face size; default 32]
#include <cstdio>

#include "FpfWriter.h"
#include "NormalizationCubeMap.h"
#include "ToolMain.h"

int main(int argc, char** argv) {
    using namespace arvel::content;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <output.fpf> [face size]\n", argv[0]);
        return 2;
    }
    int size = 32;
    if (argc == 3 && !parseWholeNumber(argv[2], 1, 1024, size)) {
        std::fprintf(stderr, "%s: face size must be 1 to 1024\n", argv[0]);
        return 2;
    }
    return writeOutput(argv[0], argv[1], [&] {
        FpfOptions options;
        options.cubeMap = true;
        return saveFpf(argv[1], normalizationCubeMap(size), options);
    });
}
