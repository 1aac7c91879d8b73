// arvel-import: converts a model that assimp reads into a ".msh" mesh.
//   arvel-import [options] <model> <output.msh>
// Models with bones or animated nodes become skinned, animated meshes; others become
// static props (a ".msh" without bones) for the level compiler. What could not be
// carried over is listed on standard error.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "ModelImporter.h"

namespace {

namespace fs = std::filesystem;
using arvel::content::ImportedModel;
using arvel::content::ImportKind;
using arvel::content::ImportOptions;

void usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s [options] <model> <output.msh>\n"
                 "  --static            write a static prop even if the model is animated\n"
                 "  --animated          write a skinned mesh even if nothing moves\n"
                 "  --technique NAME    the technique of every material (default\n"
                 "                      dynamic_default.rt, static_default.rt for props)\n"
                 "  --scale S           scale the whole model by S\n"
                 "  --copy-textures DIR copy the textures the materials name into DIR\n",
                 program);
}

bool parseScale(const char* text, float& scale) {
    char* end = nullptr;
    errno = 0;
    const float value = std::strtof(text, &end);
    if (end == text || *end != '\0' || errno != 0 || !(value > 0)) return false;
    scale = value;
    return true;
}

void printSummary(const fs::path& output, const ImportedModel& model) {
    const auto& mesh = model.mesh;
    std::printf("%s: %s, %zu bones, %zu animations", output.string().c_str(),
                model.animated ? "skinned mesh" : "static prop", mesh.bones.size(),
                mesh.animations.size());
    for (size_t i = 0; i < mesh.animations.size(); ++i)
        std::printf("%s%d", i == 0 ? " (frames " : ", ", mesh.animations[i].frameCount);
    std::printf("%s, %zu materials, %zu positions, %zu vertices, %zu triangles\n",
                mesh.animations.empty() ? "" : ")", mesh.materials.size(), mesh.positions.size(),
                mesh.vertices.size(), mesh.triangles.size());
    // The names go nowhere else: the game picks an animation by its number.
    for (size_t i = 0; i < model.animationNames.size(); ++i)
        if (!model.animationNames[i].empty())
            std::printf("  animation %zu: \"%s\"\n", i, model.animationNames[i].c_str());
}

bool copyTextures(const ImportedModel& model, const fs::path& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    bool ok = true;
    for (const auto& texture : model.textures) {
        fs::copy_file(texture.source, folder / texture.name, fs::copy_options::overwrite_existing,
                      error);
        if (error) {
            std::fprintf(stderr, "cannot copy %s to %s: %s\n", texture.source.string().c_str(),
                         folder.string().c_str(), error.message().c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    ImportOptions options;
    fs::path textureFolder;
    fs::path paths[2];
    int pathCount = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--static") {
            options.kind = ImportKind::kStatic;
        } else if (arg == "--animated") {
            options.kind = ImportKind::kAnimated;
        } else if (arg == "--technique" && hasValue) {
            options.technique = argv[++i];
        } else if (arg == "--scale" && hasValue) {
            if (!parseScale(argv[++i], options.scale)) {
                std::fprintf(stderr, "%s: --scale needs a positive number, not \"%s\"\n", argv[0],
                             argv[i]);
                return 2;
            }
        } else if (arg == "--copy-textures" && hasValue) {
            textureFolder = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "%s: unknown or incomplete option %s\n", argv[0], arg.c_str());
            usage(argv[0]);
            return 2;
        } else if (pathCount < 2) {
            paths[pathCount++] = arg;
        } else {
            usage(argv[0]);
            return 2;
        }
    }
    if (pathCount != 2) {
        usage(argv[0]);
        return 2;
    }

    ImportedModel model;
    try {
        model = arvel::content::importModel(paths[0], options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
        return 1;
    }
    for (const std::string& line : model.dropped)
        std::fprintf(stderr, "dropped: %s\n", line.c_str());
    if (!arvel::content::saveMsh(paths[1], model.mesh)) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], paths[1].string().c_str());
        return 1;
    }
    printSummary(paths[1], model);
    if (!textureFolder.empty() && !copyTextures(model, textureFolder)) return 1;
    return 0;
}
