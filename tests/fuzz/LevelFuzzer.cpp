// OTM maps as a level of the game: loaded by a World (through the file system) with a
// small skinned mesh placed in its first sector, then whole frames rendered through the
// recording driver from the map's centre, from its lights and from outside, with
// dynamic shadows on. Slower than the map target, but it reaches what each frame does
// with the map's data: visibility, screen boxes, light reach and shadow volumes.
#include <array>
#include <memory>
#include <string>

#include "FuzzWorld.h"
#include "MshWriter.h"
#include "world/Light.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"

using namespace arvel;
using namespace arvel::content;

namespace {

// One bone, one triangle: enough for an instance to be posed, skinned and shadowed.
std::string triangleMesh() {
    MshFile mesh;
    mesh.bones.push_back(MshBone::at(0, 0, 0));
    mesh.materials.push_back({});
    for (auto p : {std::array<float, 3>{0, 0, 0.5f}, {0, 0, -0.5f}, {0, 1, 0}})
        mesh.positions.push_back({p, {{0, 1.0f}}});
    for (int i = 0; i < 3; ++i) mesh.vertices.push_back({i, 0, 0, {-1, 0, 0}, {0, 0, 1}});
    mesh.triangles.push_back({{0, 1, 2}, 0});
    return mshBytes(mesh);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepareFrames();
    fuzz::scratch().write("thing.msh", triangleMesh());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::scratch().write("fuzz.otm", fuzz::bytesOf(data, size));
    {
        std::unique_ptr<World> world = fuzz::makeWorld();
        Map* map = world->loadMap("fuzz.otm");
        FUZZ_CHECK(map != nullptr);
        if (map->sectorCount() > 0) {
            MeshInstance* thing = world->loadDynamicMesh("thing.msh");
            Sector& first = map->sector(0);
            const BoundingBox& box = first.boundingBox;
            if (!box.isEmpty())
                thing->setPosition((box.min.x + box.max.x) * 0.5f, box.min.y,
                                   (box.min.z + box.max.z) * 0.5f, 0);
            first.addInstance(*thing);

            const BoundingBox& all = map->boundingBox;
            const Vector4 centre{(all.min.x + all.max.x) * 0.5f, (all.min.y + all.max.y) * 0.5f,
                                 (all.min.z + all.max.z) * 0.5f, 0.0f};
            for (float yaw : {0.0f, 90.0f, 180.0f, 270.0f})
                fuzz::renderFrom(*world, centre, yaw, 0.0f);
            fuzz::renderFrom(*world, centre, 0.0f, -89.0f);
            for (int i = 0; i < map->lightCount() && i < 4; ++i)
                fuzz::renderFrom(*world, map->light(i).position, 45.0f * static_cast<float>(i),
                                 10.0f);
            fuzz::renderFrom(*world,
                             {all.max.x + 10.0f, all.max.y + 10.0f, all.max.z + 10.0f, 0.0f},
                             225.0f, -30.0f);
        }
    }
    fuzz::endFrames();
    return 0;
}
