// arvel-level: compiles a level source (JSON) into an OTM map, and writes the console
// statements that place its meshes and camera into NAME.cfg beside NAME.otm.
//   arvel-level <level.json> <output.otm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "OtmWriter.h"
#include "level/LevelCompiler.h"
#include "level/LevelScript.h"
#include "level/LevelSource.h"

namespace {

bool saveText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <level.json> <output.otm>\n", argv[0]);
        return 2;
    }
    try {
        const arvel::level::LevelSource source = arvel::level::loadLevel(argv[1]);
        const arvel::level::CompiledLevel level = arvel::level::compileLevel(source);
        const std::string script = arvel::level::levelScript(source);
        const std::filesystem::path scriptPath = arvel::level::levelScriptPath(argv[2]);
        // Checked before anything is written: a hand-written NAME.cfg is not lost.
        if (!script.empty() && !arvel::level::replaceableScript(scriptPath)) {
            std::fprintf(stderr, "%s: %s was not written by arvel-level; not replacing it\n",
                         argv[0], scriptPath.string().c_str());
            return 1;
        }
        for (const std::string& warning : level.warnings)
            std::fprintf(stderr, "%s: warning: %s\n", argv[1], warning.c_str());
        if (!arvel::content::saveOtm(argv[2], level.map)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
            return 1;
        }
        if (!script.empty() && !saveText(scriptPath, script)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], scriptPath.string().c_str());
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
        if (!script.empty()) {
            std::printf("%s: %zu meshes%s\n", scriptPath.string().c_str(), source.meshes.size(),
                        source.camera ? ", the camera's start" : "");
        }
    } catch (const arvel::level::LevelError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.what());
        return 1;
    }
    return 0;
}
