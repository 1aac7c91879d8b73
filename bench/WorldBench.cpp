// The engine's own cost of a frame: World::render through the null plug-in, which
// draws nothing, so what is measured is visibility, light and shadow set-up, skinning,
// queueing and the technique runtime. On the demo level from fixed viewpoints, and on
// generated chains of 10 to 10,000 lit rooms with the camera in the middle one, where
// a frame should cost about the same whatever the size of the map.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "RoomChain.h"
#include "core/Clock.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/ArchiveFile.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/RenderQueue.h"
#include "render/Resource.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "world/Camera.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"
#include "world/World.h"
#include "world/WorldReload.h"

namespace {

using namespace arvel;

constexpr int kFrameMs = 20;

// Everything game sets up before its World: the driver, scratch memory, the render
// queue, and the demo's data directory mounted as game mounts it, behind a folder of
// generated maps.
class Engine {
public:
    Engine() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        ok_ = loadDriver(ARVEL_BIN_DIR "/NullDriver.drv") && chdir(ARVEL_DATA_DIR) == 0;
        zone().create();
        createRenderQueue();
        mount(new CommonFile(), (maps_.path().string() + "/").c_str());
        for (const char* prefix : {"", "textures\\", "shaders\\", "lshaders\\"})
            mount(new CommonFile(), prefix);
        mount(new ArchiveFile(), "Data.zip");
    }
    ~Engine() {
        world_.reset();
        fileSystem().clear();
        destroyRenderQueue();
        zone().destroy();
    }

    bool ok() const { return ok_; }
    const std::filesystem::path& mapFolder() const { return maps_.path(); }

    // A World with the named map (and the demo's meshes where asked), loaded as game
    // loads its scene; kept while the same scene is asked for again.
    World& scene(const std::string& map, bool demoMeshes) {
        if (world_ && map == mapName_) return *world_;
        world_.reset();
        world_ = std::make_unique<World>(nullptr, 640.0f, 480.0f);
        mapName_ = map;
        Map* loaded = world_->loadMap(map);
        if (demoMeshes) {
            place(*loaded, "test.msh", -72.5f, 32.1f, -17.5f, 1);
            place(*loaded, "testa.msh", -203.5f, -112.0f, -90.0f, 4);
        }
        return *world_;
    }

private:
    static void mount(FileSource* source, const char* path) {
        if (!fileSystem().mount(source, path)) delete source;
    }

    void place(Map& map, const char* file, float x, float y, float z, int sector) {
        MeshInstance* instance = world_->loadDynamicMesh(file);
        instance->setPosition(x, y, z, 0);
        if (sector < map.sectorCount()) map.sector(sector).addInstance(*instance);
        if (instance->mesh().animationCount() > 0) instance->setAnimation(0);
    }

    test::TempDir maps_;
    bool ok_ = false;
    std::unique_ptr<World> world_;
    std::string mapName_;
};

Engine& engine() {
    static Engine instance;
    return instance;
}

struct Viewpoint {
    const char* name;
    float x, y, z, pitch, yaw;
};

// Places in the demo level: the start in the hall, the entrance looking into the
// hall, the gallery looking through its door, the crypt.
constexpr Viewpoint kDemoViewpoints[] = {{"start", -50.44f, 40.717f, -36.719f, 0.0f, -135.0f},
                                         {"entrance", 50.0f, 50.0f, -25.0f, 0.0f, -90.0f},
                                         {"gallery", -95.0f, 50.0f, 50.0f, 0.0f, 0.0f},
                                         {"crypt", -280.0f, -95.0f, -100.0f, 0.0f, 90.0f}};

// Renders frames from camera on a deterministic clock, as game does with dbg_frame_ms.
void renderFrames(benchmark::State& state, World& world, Camera& camera) {
    FrameClock& clock = frameClock();
    clock.set(0);
    for (auto _ : state) {
        clock.set(clock.tickMs + kFrameMs);
        world.render(camera.updateView());
    }
    state.counters["sectors"] = static_cast<double>(world.visibleSet().sectors.size());
    state.counters["lights"] = static_cast<double>(visibleLightCount());
}

void BM_DemoFrame(benchmark::State& state) {
    if (!engine().ok()) {
        state.SkipWithError("no NullDriver.drv or demo data");
        return;
    }
    const Viewpoint& v = kDemoViewpoints[state.range(0)];
    state.SetLabel(v.name);
    World& world = engine().scene("test.otm", true);
    Camera camera;
    camera.setPosition(v.x, v.y, v.z, 0);
    camera.setOrientation(v.pitch, v.yaw, 0, 0);
    renderFrames(state, world, camera);
}
BENCHMARK(BM_DemoFrame)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

// What the twice-a-second look for changed files costs when nothing changed: a stat of
// every file the demo scene was read from. The first check, which lists them, is left
// out.
void BM_DemoReloadCheck(benchmark::State& state) {
    if (!engine().ok()) {
        state.SkipWithError("no NullDriver.drv or demo data");
        return;
    }
    World& world = engine().scene("test.otm", true);
    world.reloadChanged();
    for (auto _ : state) benchmark::DoNotOptimize(world.reloadChanged());
    // Roughly the files looked at: some are shared, the six default scripts are left out.
    std::vector<Resource*> resources;
    size_t files = world.maps().size() + world.meshRegistry().size();
    for (ResourceRegistry* registry : {&world.textureRegistry(), &world.programRegistry()}) {
        registry->list(resources);
        for (const Resource* resource : resources) files += resource->loadedFiles().size();
    }
    state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_DemoReloadCheck)->Unit(benchmark::kMicrosecond);

void BM_ChainFrame(benchmark::State& state) {
    if (!engine().ok()) {
        state.SkipWithError("no NullDriver.drv or demo data");
        return;
    }
    const int rooms = static_cast<int>(state.range(0));
    const std::string name = "chain" + std::to_string(rooms) + ".otm";
    const std::filesystem::path file = engine().mapFolder() / name;
    if (!std::filesystem::exists(file) && !content::saveOtm(file, bench::roomChain(rooms, true))) {
        state.SkipWithError("cannot write the map");
        return;
    }
    World& world = engine().scene(name, false);
    if (world.maps().empty() || world.maps().front()->sectorCount() != rooms) {
        state.SkipWithError("the map did not load");
        return;
    }
    const bench::ChainCamera c = bench::chainCamera(rooms);
    Camera camera;
    camera.setPosition(c.x, c.y, c.z, 0);
    camera.setOrientation(c.pitch, c.yaw, 0, 0);
    renderFrames(state, world, camera);
}
BENCHMARK(BM_ChainFrame)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
