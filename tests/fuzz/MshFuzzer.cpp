// ".msh" skinned meshes: read from memory, then posed in the bind pose and in every
// animation at a few times, and skinned by an instance as each frame does. A mesh that
// loads is also placed in a lit room of a World and rendered in whole frames through
// the recording driver, which casts its shadow volumes.
#include <cstdint>

#include "FuzzWorld.h"
#include "OtmWriter.h"
#include "core/Clock.h"
#include "fs/DataStream.h"
#include "render/ResourceRegistry.h"
#include "world/DynamicMesh.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"

using namespace arvel;
using namespace arvel::content;

namespace {

// Two rooms along x (0 .. 8), a door between them, a light in the first.
std::string litRooms() {
    RoomChainOptions options;
    options.rooms = 2;
    OtmMap map = roomChain(options);
    OtmLight lamp;
    lamp.flags = OtmLight::kNoPieces;
    lamp.position = {1.0f, 2.5f, 1.0f, 0.0f};
    lamp.outerRadius = 20.0f;
    map.lights = {lamp};
    for (OtmSector& sector : map.sectors) sector.lights = {0};
    return otmBytes(map);
}

// The loaded mesh on its own: poses and an instance's skinning.
void poseAndSkin(DynamicMesh& mesh) {
    const uint32_t times[] = {0, 50, 100, 1234, 0xFFFFFFFFu};
    mesh.pose(nullptr, 0);
    for (int a = 0; a < mesh.animationCount() && a < 4; ++a)
        for (uint32_t t : times) mesh.pose(&mesh.animation(a), t);
    MeshInstance instance(mesh, nullptr);
    for (int a = -1; a < mesh.animationCount() && a < 2; ++a) {
        if (a >= 0) instance.setAnimation(a);
        instance.updateLocalMatrix();
        instance.updateWorldMatrix();
        instance.update();
        instance.skin();
        FUZZ_CHECK(instance.modelSkinMatrices().size() == static_cast<size_t>(mesh.boneCount()));
    }
}

// The same bytes through the World, standing in the lit room, seen from the door.
void renderInWorld(const uint8_t* data, size_t size) {
    fuzz::scratch().write("fuzz.msh", fuzz::bytesOf(data, size));
    std::unique_ptr<World> world = fuzz::makeWorld();
    Map* map = world->loadMap("rooms.otm");
    FUZZ_CHECK(map != nullptr && map->sectorCount() == 2);
    MeshInstance* thing = nullptr;
    try {
        thing = world->loadDynamicMesh("fuzz.msh");
    } catch (Exception* e) {
        // It loaded from memory a moment ago; the file must load the same.
        std::fprintf(stderr, "%s\n", e->what());
        delete e;
        FUZZ_CHECK(false);
    }
    thing->setPosition(2.0f, 0.5f, 2.0f, 0.0f);
    map->sector(0).addInstance(*thing);
    if (thing->mesh().animationCount() > 0) thing->setAnimation(0);
    for (uint32_t ms : {0u, 150u, 2500u}) {
        frameClock().set(ms);
        fuzz::renderFrom(*world, {6.0f, 1.5f, 2.0f, 0.0f}, -90.0f, 0.0f);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::prepareFrames();
    fuzz::scratch().write("rooms.otm", litRooms());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > INT32_MAX) return 0;
    bool loaded = true;
    {
        ResourceRegistry textures;
        ResourceRegistry techniques;
        DynamicMesh mesh("fuzz.msh", &textures, &techniques);
        DataStream stream(data, static_cast<int>(size));
        try {
            mesh.read(stream);
        } catch (Exception* e) {
            loaded = false;
            delete e;
        }
        if (loaded)
            poseAndSkin(mesh);
        else
            FUZZ_CHECK(mesh.boneCount() == 0 && mesh.animationCount() == 0);
    }
    if (loaded) renderInWorld(data, size);
    fuzz::endFrames();
    return 0;
}
