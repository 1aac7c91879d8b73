// Process-wide state of the program, created by start-up and released by shutdown,
// shared by the frame loop, the level loading and the console glue.
#pragma once

#include <cstdint>

namespace arvel {

namespace platform {
struct Window;
}
class Camera;
class Console;
class Map;
class World;

struct Game {
    platform::Window* window = nullptr;
    Console* console = nullptr;
    World* world = nullptr;
    Map* map = nullptr;  // the level, owned by the world
    Camera* camera = nullptr;
    bool active = false;
    bool running = false;  // start-up is over: the frame loop runs
    float fps = 0.0f;
    uint32_t frameCount = 0;
    // Loop locals.
    float lastFpsTime = 0.0f;
    int prevTris = 0;
    bool quitRequested = false;
};

Game& game();

}  // namespace arvel
