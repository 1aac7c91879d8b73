// The level the game shows: an OTM map and the statements of the ".cfg" file beside it
// (where its animated meshes stand, where the camera starts), or, without one, the
// demo's two meshes at their fixed places.
#pragma once

#include <string>

namespace arvel {

class Camera;
class Console;
struct Game;

// map, spawn and camera, acting on game. In "autoexec.cfg", before the world exists, map
// names the level loaded at start-up.
void registerLevelCommands(Console& console, Game& game);

// Start-up: the map autoexec.cfg named, else "test.otm", and its placement. A mesh that
// cannot be loaded throws as it always has.
void loadStartLevel(Game& game);
// dbg_camera when set, else the level's start, else the demo's place.
void placeCamera(Camera& camera);
// Another map while the game runs. A missing or bad file leaves the level and the
// camera as they were and says why; false then.
bool switchLevel(Game& game, const std::string& name, bool moveCamera);
// Whether the map or its ".cfg" changed on disk since the level was placed.
bool levelConfigChanged();
const std::string& levelName();

// "NAME.cfg" for "NAME.otm" (any case); other names get ".cfg" appended.
std::string levelConfigName(const std::string& mapName);

}  // namespace arvel
