// The console statements the game runs after loading a map NAME.otm, from NAME.cfg
// beside it: a "spawn" statement per mesh of the level source, then its "camera".
#pragma once

#include <filesystem>
#include <string>

#include "level/LevelSource.h"

namespace arvel::level {

// The file's text: a comment naming the source, "spawn FILE X Y Z YAW ANIMATION" per
// mesh and "camera X Y Z PITCH YAW ROLL". Empty when the source has neither meshes nor
// a camera. Numbers read back as the same doubles.
std::string levelScript(const LevelSource& level);

// NAME.cfg in the folder of NAME.otm.
std::filesystem::path levelScriptPath(const std::filesystem::path& map);

// Whether the file at path is missing or was written by levelScript, so that writing
// it again loses nothing a person wrote.
bool replaceableScript(const std::filesystem::path& path);

}  // namespace arvel::level
