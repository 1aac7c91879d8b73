// arvel-level: compiles a level source (JSON, or glTF exported from Blender) into an
// OTM map, writes the console statements that place its meshes and camera into
// NAME.cfg beside NAME.otm, and a glTF level's images as NAME_IMAGE.tga beside it.
//   arvel-level [--scale UNITS_PER_METRE] <level.json|level.gltf|level.glb> <output.otm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "OtmWriter.h"
#include "TgaWriter.h"
#include "level/GltfLevel.h"
#include "level/LevelCompiler.h"
#include "level/LevelScript.h"
#include "level/LevelSource.h"

namespace {

bool saveText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(out);
}

int usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [--scale UNITS_PER_METRE] <level.json|level.gltf|level.glb> "
                 "<output.otm>\n",
                 program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<double> scale;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" && i + 1 < argc) {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(value > 0.0 && value <= 1e4)) {
                std::fprintf(stderr,
                             "%s: --scale wants a number above 0 and at most 10000, got %s\n",
                             argv[0], argv[i]);
                return 2;
            }
            scale = value;
        } else if (!arg.empty() && arg[0] == '-') {
            return usage(argv[0]);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) return usage(argv[0]);
    const char* sourceName = files[0].c_str();
    const char* mapName = files[1].c_str();
    try {
        arvel::level::LevelSource source;
        std::vector<std::pair<std::filesystem::path, arvel::content::Image>> images;
        if (arvel::level::isGltfFile(sourceName)) {
#ifdef ARVEL_HAVE_GLTF
            arvel::level::GltfOptions options;
            options.scale = scale;
            options.texturePrefix = std::filesystem::path(mapName).stem().string() + "_";
            arvel::level::GltfLevel gltf = arvel::level::loadGltfLevel(sourceName, options);
            const std::filesystem::path folder = std::filesystem::path(mapName).parent_path();
            for (arvel::level::LevelImage& image : gltf.images)
                images.emplace_back(folder / image.name, std::move(image.picture));
            source = std::move(gltf.source);
#else
            std::fprintf(stderr,
                         "%s: this arvel-level was built without glTF support "
                         "(install libtinygltf-dev and configure again)\n",
                         sourceName);
            return 1;
#endif
        } else {
            if (scale) {
                std::fprintf(stderr,
                             "%s: --scale is for glTF levels; JSON levels are in "
                             "engine units\n",
                             argv[0]);
                return 2;
            }
            source = arvel::level::loadLevel(sourceName);
        }
        const arvel::level::CompiledLevel level = arvel::level::compileLevel(source);
        const std::string script = arvel::level::levelScript(source);
        const std::filesystem::path scriptPath = arvel::level::levelScriptPath(mapName);
        // Checked before anything is written: a hand-written NAME.cfg is not lost.
        if (!script.empty() && !arvel::level::replaceableScript(scriptPath)) {
            std::fprintf(stderr, "%s: %s was not written by arvel-level; not replacing it\n",
                         argv[0], scriptPath.string().c_str());
            return 1;
        }
        for (const std::string& warning : level.warnings)
            std::fprintf(stderr, "%s: warning: %s\n", sourceName, warning.c_str());
        for (const auto& [path, picture] : images) {
            if (!arvel::content::saveTga(path, picture)) {
                std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.string().c_str());
                return 1;
            }
        }
        if (!arvel::content::saveOtm(mapName, level.map)) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], mapName);
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
                    mapName, level.map.sectors.size(), faces, level.map.portals.size(),
                    level.map.lights.size(), pieces);
        if (!script.empty()) {
            std::printf("%s: %zu meshes%s\n", scriptPath.string().c_str(), source.meshes.size(),
                        source.camera ? ", the camera's start" : "");
        }
        if (!images.empty()) std::printf("%zu textures beside the map\n", images.size());
    } catch (const arvel::level::LevelError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", sourceName, error.what());
        return 1;
    }
    return 0;
}
