// What game shows on a given frame of a deterministic run in a data directory: the
// settings of its "autoexec.cfg" (read by the engine's own console), the scene it
// loads (test.otm, test.msh in sector 1 and testa.msh in sector 4, each posed at the
// frame's time), the camera place, and the colours the flame lights flicker to.
#pragma once

#include <filesystem>
#include <string>

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

// The settings of dataDirectory/autoexec.cfg (defaults where it has none).
GameView readGameView(const std::filesystem::path& dataDirectory);

// The scene game draws on view's frame. Throws SceneError when the map or a mesh
// cannot be read (a missing mesh file is left out, as game leaves it empty).
Scene loadGameScene(const std::filesystem::path& dataDirectory, const GameView& view);

// The red of a flame light (index 8 on) at frame: the value game draws for it from its
// flame generator (core/Random.h); green is 0.6313 of it.
double flickerValue(int frame, int lightIndex, int lightCount);

}  // namespace arvel::reference
