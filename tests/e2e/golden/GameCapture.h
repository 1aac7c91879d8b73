// Pictures of game for the picture tests: a copy of the demo data folder (optionally
// with one of the hard-case levels of levels/ compiled into test.otm, or without the
// meshes), a deterministic run of five 100 ms frames at 320 x 240 from a given camera
// place, and the fifth frame's screenshot.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "GoldenImage.h"
#include "core/PngFile.h"
#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel::test {

struct Capture {
    ProcessResult result;
    RgbImage picture;  // empty when no screenshot was written
};

class GameScene {
public:
    GameScene();  // the demo data

    const std::filesystem::path& path() const { return dir_.path(); }
    // Compiles levels/<name>.json with arvel-level into test.otm; false (with the
    // compiler's output in message) when that fails.
    bool useLevel(const std::string& name, std::string& message);
    // Compiles any level source (JSON or glTF) into test.otm the same way.
    bool useLevelSource(const std::filesystem::path& source, std::string& message);
    // Removes test.msh and testa.msh: game then has nothing to place.
    void removeMeshes();
    // Runs game; settings are further autoexec.cfg lines.
    Capture capture(const std::string& camera, const std::vector<std::string>& settings = {});

private:
    TempDir dir_;
};

// Where failing picture tests leave their pictures.
std::filesystem::path failureFolder();

}  // namespace arvel::test
