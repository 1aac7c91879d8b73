#include "app/Level.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/Game.h"
#include "console/Console.h"
#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/FileSystem.h"
#include "world/Camera.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"
#include "world/World.h"

namespace arvel {

namespace {

constexpr const char* kDefaultMap = "test.otm";

struct CameraPlace {
    float x = -50.44f, y = 40.717f, z = -36.719f, pitch = 0.0f, yaw = -135.0f, roll = 0.0f;
};

struct LevelState {
    std::string startMap;  // named by "autoexec.cfg"
    std::string name;
    std::optional<CameraPlace> start;  // the level's own camera start
    FileStamp configStamp;
    bool placing = false;  // its ".cfg" runs
};

LevelState& level() {
    static LevelState state;
    return state;
}

// Start-up problems are shown in boxes, like every other start-up problem; once the
// game runs they go to the console and the log.
template <typename... Args>
void say(const Game& game, const char* format, Args... args) {
    if (game.running)
        RunTimeMessage(format, args...);
    else
        WarningBox(format, args...);
}

bool readNumber(const std::string& text, float& value) {
    char* end = nullptr;
    const float parsed = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool readNumbers(const CommandArgs& args, size_t first, size_t count, float* values) {
    for (size_t i = 0; i < count; ++i)
        if (!readNumber(args[first + i], values[i])) return false;
    return true;
}

// An animated mesh placed by the demo's fixed rule: a level without that sector or a
// mesh without animations leaves it unplaced or still, noted in the log.
void placeDemoMesh(Game& g, const char* file, float x, float y, float z, int sectorIndex) {
    MeshInstance* instance = g.world->loadDynamicMesh(file);
    instance->setPosition(x, y, z, 0);
    if (g.map && sectorIndex < g.map->sectorCount()) {
        g.map->sector(sectorIndex).addInstance(*instance);
    } else {
        DumpLog("%s: the level has no sector %d; the mesh is not placed\n", file, sectorIndex);
    }
    if (instance->mesh().animationCount() > 0)
        instance->setAnimation(0);
    else
        DumpLog("%s: no animation to play\n", file);
}

// The level's ".cfg", or the demo's two meshes when it has none.
void placeLevelContent(Game& game) {
    LevelState& state = level();
    const std::string config = levelConfigName(state.name);
    state.start.reset();
    // However placing ends, the file as it was read is the one to compare with later.
    struct Placing {
        LevelState& state;
        const std::string& config;
        ~Placing() {
            state.placing = false;
            state.configStamp = fileSystem().stamp(config.c_str());
        }
    } placing{state, config};
    state.placing = true;
    if (!game.console->executeFile(config.c_str())) {
        placeDemoMesh(game, "test.msh", -72.5f, 32.1f, -17.5f, 1);
        placeDemoMesh(game, "testa.msh", -203.5f, -112.0f, -90.0f, 4);
    }
}

void spawn(Game& g, Console& console, const CommandArgs& args) {
    if (args.size() < 4 || args.size() > 6) {
        console.print("usage: spawn MESH X Y Z [YAW] [ANIMATION]\n");
        return;
    }
    float v[4] = {0, 0, 0, 0};
    const size_t numbers = args.size() >= 5 ? 4 : 3;
    if (!readNumbers(args, 1, numbers, v)) {
        say(g, "spawn %s: X Y Z and YAW must be numbers\n", args[0].c_str());
        return;
    }
    int animation = 0;
    if (args.size() == 6) {
        char* end = nullptr;
        const long parsed = std::strtol(args[5].c_str(), &end, 10);
        if (args[5].empty() || *end != '\0' || parsed < 0 || parsed > 1000000) {
            say(g, "spawn %s: ANIMATION must be a whole number from 0, got %s\n", args[0].c_str(),
                args[5].c_str());
            return;
        }
        animation = static_cast<int>(parsed);
    }
    if (!g.world || !g.map) {
        say(g, "spawn %s: no level is loaded\n", args[0].c_str());
        return;
    }
    Sector* sector = g.map->findSector(Vector4{v[0], v[1], v[2], 0});
    if (!sector) {
        say(g, "spawn %s: (%g %g %g) lies in no sector of %s; not placed\n", args[0].c_str(), v[0],
            v[1], v[2], level().name.c_str());
        return;
    }
    // A missing file would load as an empty mesh without a word.
    if (fileSystem().stamp(args[0].c_str()).source < 0) {
        say(g, "spawn %s: no such mesh file\n", args[0].c_str());
        return;
    }
    MeshInstance* instance = nullptr;
    try {
        instance = g.world->loadDynamicMesh(args[0]);
    } catch (Exception* e) {
        say(g, "spawn %s: %s\n", args[0].c_str(), e->what());
        delete e;
        return;
    }
    instance->setPosition(v[0], v[1], v[2], 0);
    // Yaw turns +z towards +x, as props of level sources turn; the node's rotation
    // runs the other way round.
    if (v[3] != 0.0f) instance->setOrientation(-v[3] * 0.017453292f, Vector4{0, 1, 0, 0});
    sector->addInstance(*instance);
    const int count = instance->mesh().animationCount();
    if (count == 0) return;
    if (animation >= count) {
        say(g, "spawn %s: the mesh has %d animations, no %d; playing 0\n", args[0].c_str(), count,
            animation);
        animation = 0;
    }
    instance->setAnimation(animation);
}

void camera(Game& game, Console& console, const CommandArgs& args) {
    if (args.size() != 3 && args.size() != 6) {
        console.print("usage: camera X Y Z [PITCH YAW ROLL]\n");
        return;
    }
    float v[6] = {0, 0, 0, 0, 0, 0};
    if (!readNumbers(args, 0, args.size(), v)) {
        say(game, "camera: X Y Z PITCH YAW ROLL must be numbers\n");
        return;
    }
    const CameraPlace place{v[0], v[1], v[2], v[3], v[4], v[5]};
    level().start = place;
    // Typed at the console it moves the camera; in a level's ".cfg" the level's
    // placement decides once the file has run.
    Camera* camera = game.camera;
    if (!level().placing && camera) {
        camera->setPosition(place.x, place.y, place.z, 0);
        camera->setOrientation(place.pitch, place.yaw, place.roll, 0);
    }
}

void map(Game& game, Console& console, const CommandArgs& args) {
    if (args.size() != 1) {
        console.print("usage: map NAME\n");
        return;
    }
    if (!game.world) {
        level().startMap = args[0];
        return;
    }
    if (level().placing) {
        say(game, "map %s: a level's own statements cannot load another level\n", args[0].c_str());
        return;
    }
    if (switchLevel(game, args[0], true)) console.print("%s loaded\n", args[0].c_str());
}

}  // namespace

std::string levelConfigName(const std::string& mapName) {
    const size_t n = mapName.size();
    if (n >= 4 && strcasecmp(mapName.c_str() + n - 4, ".otm") == 0)
        return mapName.substr(0, n - 4) + ".cfg";
    return mapName + ".cfg";
}

const std::string& levelName() { return level().name; }

void registerLevelCommands(Console& console, Game& game) {
    // game outlives the console: shutdown deletes the console first.
    const auto on = [&game](void (*command)(Game&, Console&, const CommandArgs&)) {
        return [&game, command](Console& c, const CommandArgs& args) { command(game, c, args); };
    };
    console.registerCommand("map", "map NAME",
                            "load another OTM map (in autoexec.cfg: the map loaded at start-up)",
                            on(map));
    console.registerCommand(
        "spawn", "spawn MESH X Y Z [YAW] [ANIMATION]",
        "place an animated .msh mesh in the level, in the sector that holds the point", on(spawn));
    console.registerCommand("camera", "camera X Y Z [PITCH YAW ROLL]",
                            "the camera's place and angles (in a level's .cfg: its start)",
                            on(camera));
}

void loadStartLevel(Game& game) {
    LevelState& state = level();
    state.name = state.startMap.empty() ? kDefaultMap : state.startMap;
    game.map = game.world->loadMap(state.name);
    placeLevelContent(game);
}

void placeCamera(Camera& camera) {
    CameraPlace place = level().start.value_or(CameraPlace{});
    const char* text = settings().dbgCamera.text;
    if (text && *text) {
        float v[6];
        if (std::sscanf(text, "%f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) == 6) {
            place = CameraPlace{v[0], v[1], v[2], v[3], v[4], v[5]};
        } else {
            WarningBox("dbg_camera wants \"x y z pitch yaw roll\", got \"%s\"\n", text);
        }
    }
    camera.setPosition(place.x, place.y, place.z, 0);
    camera.setOrientation(place.pitch, place.yaw, place.roll, 0);
}

bool switchLevel(Game& g, const std::string& name, bool moveCamera) {
    if (!g.world) return false;
    QuietBoxes quiet;
    std::unique_ptr<Map> next;
    try {
        next = g.world->readMap(name);
    } catch (Exception* e) {
        RunTimeMessage("map %s: %s\n", name.c_str(), e->what());
        delete e;
        return false;
    }
    if (!next->found()) {
        RunTimeMessage("map %s: no such file\n", name.c_str());
        return false;
    }
    // The level's own message has been said.
    if (next->failed()) return false;

    g.map = g.world->replaceLevel(std::move(next));
    level().name = name;
    try {
        placeLevelContent(g);
    } catch (Exception* e) {
        RunTimeMessage("%s: %s\n", name.c_str(), e->what());
        delete e;
    }
    if (moveCamera && g.camera) placeCamera(*g.camera);
    return true;
}

bool levelConfigChanged() {
    const LevelState& state = level();
    if (state.name.empty()) return false;
    return fileSystem().stamp(levelConfigName(state.name).c_str()) != state.configStamp;
}

}  // namespace arvel
