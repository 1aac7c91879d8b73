// arvel-gen-meshes: writes the demo's skinned, animated meshes and their textures.
//   arvel-gen-meshes <data folder>
// test.msh (the tentacle creature) and testa.msh (the machine arm) go into the folder,
// their Targa textures into its textures/ folder.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

#include "DemoMeshes.h"
#include "MshWriter.h"
#include "TgaWriter.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    using namespace arvel::content;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
        return 2;
    }
    const fs::path folder = argv[1];
    std::error_code error;
    fs::create_directories(folder / "textures", error);
    if (error) {
        std::fprintf(stderr, "%s: cannot create %s: %s\n", argv[0],
                     (folder / "textures").string().c_str(), error.message().c_str());
        return 1;
    }
    try {
        const struct {
            fs::path path;
            bool written;
        } files[] = {
            {folder / "test.msh", saveMsh(folder / "test.msh", makeTentacleCreature())},
            {folder / "testa.msh", saveMsh(folder / "testa.msh", makeMachineArm())},
            {folder / "textures" / kCreatureTexture,
             saveTga(folder / "textures" / kCreatureTexture, makeCreatureTexture())},
            {folder / "textures" / kMachineTexture,
             saveTga(folder / "textures" / kMachineTexture, makeMachineTexture())},
        };
        for (const auto& file : files)
            if (!file.written) {
                std::fprintf(stderr, "%s: cannot write %s\n", argv[0], file.path.string().c_str());
                return 1;
            }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[0], e.what());
        return 1;
    }
    return 0;
}
