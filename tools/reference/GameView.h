// What game shows on a given frame of a deterministic run in a data directory: the
// settings of its "autoexec.cfg" (read by the engine's own console), the scene it
// loads (test.otm and the meshes test.cfg spawns, or without test.cfg test.msh in
// sector 1 and testa.msh in sector 4, each posed at the frame's time), the camera
// place, and the colours the flame lights flicker to.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "reference/RayTracer.h"
#include "reference/Scene.h"

namespace arvel::reference {

struct GameView {
    RenderOptions options;
    CameraPlace camera;
    int frame = 1;               // dbg_screenshot_frame, at least 1
    double timeSeconds = 0.0;    // the frame clock at that frame
    bool deterministic = false;  // dbg_frame_ms is set: the frame's time is known
    bool flatWhite = false;      // dbg_flat_white
};

// A "spawn MESH X Y Z [YAW] [ANIMATION]" statement of a map's start script.
struct Spawn {
    std::string file;
    Vec3 position;
    double yaw = 0.0;  // degrees about +y
    int animation = 0;
};

// The statements of a map's start script (NAME.cfg beside NAME.otm) the pictures
// depend on, read with the console's tokenizer; other statements are skipped.
struct StartScript {
    std::vector<Spawn> spawns;
    std::optional<CameraPlace> camera;  // "camera X Y Z PITCH YAW ROLL"
};
// Nothing when the file does not exist.
std::optional<StartScript> readStartScript(const std::filesystem::path& path);

// The settings of dataDirectory/autoexec.cfg (defaults where it has none); the camera
// of dbg_camera, else of test.cfg, else the demo's place.
GameView readGameView(const std::filesystem::path& dataDirectory);

// The scene game draws on view's frame. Throws SceneError when the map or a mesh
// cannot be read (a missing mesh file is left out, as game leaves it empty).
Scene loadGameScene(const std::filesystem::path& dataDirectory, const GameView& view);

// The red of a flame light (index 8 on) at frame: the value game draws for it from its
// flame generator (core/Random.h); green is 0.6313 of it.
double flickerValue(int frame, int lightIndex, int lightCount);

}  // namespace arvel::reference
