// arvel-level: compiles a level source (JSON) into an OTM map.
//   arvel-level <level.json> <output.otm>
#include <cstdio>
#include <exception>
#include <string>

#include "OtmWriter.h"
#include "level/LevelCompiler.h"
#include "level/LevelSource.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <level.json> <output.otm>\n", argv[0]);
        return 2;
    }
    try {
        const arvel::level::LevelSource source = arvel::level::loadLevel(argv[1]);
        const arvel::level::CompiledLevel level = arvel::level::compileLevel(source);
        for (const std::string& warning : level.warnings)
            std::fprintf(stderr, "%s: warning: %s\n", argv[1], warning.c_str());
        if (!arvel::content::saveOtm(argv[2], level.map)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
            return 1;
        }
        size_t faces = 0, pieces = 0;
        for (const auto& sector : level.map.sectors) {
            faces += sector.mesh.body.faces.size();
            pieces += sector.mesh.children.size();
        }
        std::printf("%s: %zu sectors (%zu faces), %zu portals, %zu lights, %zu lit pieces\n",
                    argv[2], level.map.sectors.size(), faces, level.map.portals.size(),
                    level.map.lights.size(), pieces);
    } catch (const arvel::level::LevelError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
