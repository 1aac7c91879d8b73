// Loading OTM maps and walking their portals: load time per megabyte of map file, and
// walk time per visited sector, over chains of box rooms joined by doors.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "OtmWriter.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "shared/ViewVolumes.h"
#include "world/Map.h"
#include "world/Sector.h"
#include "world/ViewVolume.h"
#include "world/VisibleSet.h"

namespace {

using namespace arvel;
using test::lookAlongX;

// A folder with the map files and the technique their materials name, mounted as the
// only file source for the life of the program.
class MapFolder {
public:
    MapFolder() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        dir_.write("static_default.rt", "Ambient { impl { Pass { } } }");
        if (!zone().base) zone().create();
        fileSystem().clear();
        fileSystem().mount(new CommonFile(), (dir_.path().string() + "/").c_str());
    }
    ~MapFolder() { fileSystem().clear(); }

    // Writes a chain of rooms once per name; returns the file's size in bytes.
    size_t chain(const std::string& name, int rooms) const {
        content::RoomChainOptions options;
        options.rooms = rooms;
        const std::string bytes = content::otmBytes(content::roomChain(options));
        dir_.write(name, bytes);
        return bytes.size();
    }

private:
    test::TempDir dir_;
};

MapFolder& folder() {
    static MapFolder instance;
    return instance;
}

void BM_LoadRoomChain(benchmark::State& state) {
    const int rooms = static_cast<int>(state.range(0));
    const std::string name = "chain" + std::to_string(rooms) + ".otm";
    const size_t bytes = folder().chain(name, rooms);
    for (auto _ : state) {
        ResourceRegistry textures, techniques;
        Map map(name, &textures, &techniques);
        map.stream();
        if (map.sectorCount() != rooms) state.SkipWithError("the map did not load");
        benchmark::DoNotOptimize(map.getBoundingBox());
    }
    const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["file_MB"] = megabytes;
    state.counters["s_per_MB"] =
        benchmark::Counter(megabytes * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LoadRoomChain)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Every door lines up, so the view from the first room reaches the last.
void BM_WalkRoomChain(benchmark::State& state) {
    const int rooms = static_cast<int>(state.range(0));
    const std::string name = "walk" + std::to_string(rooms) + ".otm";
    folder().chain(name, rooms);
    ResourceRegistry textures, techniques;
    Map map(name, &textures, &techniques);
    map.stream();
    if (map.sectorCount() != rooms) {
        state.SkipWithError("the map did not load");
        return;
    }
    const Vector4 eye{2, 1, 2, 0};
    const ViewVolume view = lookAlongX(eye);
    VisibleSet visible;
    size_t visited = 0;
    for (auto _ : state) {
        map.setContentFlags(0);
        visible.clear();
        map.walk(eye, &map.sector(0), view, visible, 3.4028235e38f);
        visited += visible.sectors.size();
    }
    state.counters["visited"] = static_cast<double>(visible.sectors.size());
    state.counters["s_per_sector"] = benchmark::Counter(
        static_cast<double>(visited), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_WalkRoomChain)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
