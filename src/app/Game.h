// The parts of one run of the program, made by start-up and released by shutdown. The
// run hands them to what uses them: the level loading and the console glue.
#pragma once

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
    bool running = false;  // start-up is over: the frame loop runs
};

}  // namespace arvel
