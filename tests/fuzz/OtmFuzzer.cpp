// OTM maps: parsed from memory as the loader parses a file it has read, then used the
// way the first frames use a level: content flags reset, the sector of a few points
// found, and portal walks from the map's centre and from every light within its reach.
#include <cstdlib>
#include <cstring>

#include "FuzzSupport.h"
#include "core/Zone.h"
#include "render/ResourceRegistry.h"
#include "support/RecordingDriver.h"
#include "world/Light.h"
#include "world/Map.h"
#include "world/Sector.h"
#include "world/ViewVolume.h"
#include "world/VisibleSet.h"

using namespace arvel;

namespace {

constexpr float kNoDistanceLimit = 3.4028235e38f;

class MemoryMap : public Map {
public:
    using Map::Map;
    // Hands over a block as a file read would: parse owns and frees it.
    void parseCopy(const uint8_t* data, size_t size) {
        void* block = std::malloc(size + 1);
        if (size) std::memcpy(block, data, size);
        parse(block, static_cast<int>(size));
    }
};

void walkFrom(Map& map, const Vector4& point, float limit) {
    ViewVolume everywhere;
    everywhere.viewpoint = point;
    everywhere.finish();
    VisibleSet seen;
    map.setContentFlags(0);
    map.walk(point, map.findSector(point), everywhere, seen, limit);
    for (const Sector* sector : seen.sectors) FUZZ_CHECK(sector && sector->map() == &map);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    zone().create();
    fuzz::provideDefaultTechniques();
    fuzz::mountScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    test::RecordingDriver driver;
    {
        ResourceRegistry textures;
        ResourceRegistry techniques;
        MemoryMap map("fuzz.otm", &textures, &techniques);
        map.parseCopy(data, size);
        if (map.sectorCount() > 0) {
            const Vector4 centre{(map.boundingBox.min.x + map.boundingBox.max.x) * 0.5f,
                                 (map.boundingBox.min.y + map.boundingBox.max.y) * 0.5f,
                                 (map.boundingBox.min.z + map.boundingBox.max.z) * 0.5f, 1.0f};
            walkFrom(map, centre, kNoDistanceLimit);
            for (int i = 0; i < map.lightCount() && i < 16; ++i)
                walkFrom(map, map.light(i).position, map.light(i).outerRadius);
        }
        map.clear();
        FUZZ_CHECK(map.sectorCount() == 0 && map.portalCount() == 0 && map.lightCount() == 0);
    }
    zone().resetIfFree();
    fuzz::drainMessages();
    return 0;
}
