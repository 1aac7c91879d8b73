// OTM maps as a level of the game: loaded by a World (through the file system) with a
// small skinned mesh placed in its first sector, then whole frames rendered through the
// recording driver from the map's centre, from its lights and from outside, with
// dynamic shadows on. Slower than the map target, but it reaches what each frame does
// with the map's data: visibility, screen boxes, light reach and shadow volumes.
#include <memory>
#include <string>

#include "FpfWriter.h"
#include "FuzzSupport.h"
#include "MshWriter.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "render/RenderQueue.h"
#include "support/RecordingDriver.h"
#include "world/Camera.h"
#include "world/Light.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"
#include "world/World.h"

using namespace arvel;
using namespace arvel::content;

namespace {

test::RecordingDriver* gRecorder = nullptr;

// A handle the recording driver can hand out for objects game only passes back.
template <typename T>
T* fakeHandle(int which) {
    static char storage[8];
    return reinterpret_cast<T*>(&storage[which % 8]);
}

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

void provideWorldFiles() {
    const char* plain = "Ambient { impl { Pass { } } }";
    for (const char* name : {"optimized_shadow_volumes.rt", "vertex_program_shadow_volumes.rt",
                             "cpu_shadow_volumes.rt", "debug.rt"})
        fuzz::scratch().write(name, plain);
    for (const char* name : {"static_default.rt", "dynamic_default.rt"})
        fuzz::scratch().write(
            name, "Ambient { impl { Pass { OcclusionQuery } } } Light { impl { Pass { } } }");
    Image texel(1, 1, 3);
    fuzz::scratch().write("default.fpf", fpfBytes({texel}));
    fuzz::scratch().write("thing.msh", triangleMesh());
}

void renderFrom(World& world, const Vector4& at, float yaw, float pitch) {
    Camera camera;
    camera.setPosition(at.x, at.y, at.z, 0);
    camera.setOrientation(pitch, yaw, 0, 0);
    world.render(camera.updateView());
    gRecorder->clearCalls();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    zone().create();
    createRenderQueue();
    provideWorldFiles();
    fuzz::mountScratch();
    gRecorder = new test::RecordingDriver();
    setDriverSymbolLookup(gRecorder->lookup());
    gRecorder->setResult("dOcclusionCulling", true);
    gRecorder->setResult("dTwoSidedStencil", true);
    gRecorder->setResult("dDepthClamp", true);
    gRecorder->setResult("dGenOcclusionQueries", fakeHandle<DOcclusionQueries>(1));
    gRecorder->setResult("dGetVisiblePixels", 100);
    gRecorder->setResult("dVAAlloc", fakeHandle<DVertexArray>(2));
    gRecorder->setResult("dVAMemNeeded", 1024);
    gRecorder->setResult("dTextureUnits", 4);
    gRecorder->setResult("dStencilMaxVal", 255);
    settings().gfxDshadows.flag = true;
    settings().gfxScissor.flag = true;
    settings().gfxHwOcclusionCulling.flag = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::scratch().write("fuzz.otm", fuzz::bytesOf(data, size));
    {
        std::unique_ptr<World> world;
        try {
            world = std::make_unique<World>(nullptr, 640.0f, 480.0f);
        } catch (Exception* e) {
            // The world's own files are fixed: failing to make it is the harness's fault.
            std::fprintf(stderr, "%s\n", e->what());
            std::abort();
        }
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
            for (float yaw : {0.0f, 90.0f, 180.0f, 270.0f}) renderFrom(*world, centre, yaw, 0.0f);
            renderFrom(*world, centre, 0.0f, -89.0f);
            for (int i = 0; i < map->lightCount() && i < 4; ++i)
                renderFrom(*world, map->light(i).position, 45.0f * static_cast<float>(i), 10.0f);
            renderFrom(*world, {all.max.x + 10.0f, all.max.y + 10.0f, all.max.z + 10.0f, 0.0f},
                       225.0f, -30.0f);
        }
    }
    gRecorder->clearCalls();
    zone().resetIfFree();
    fuzz::drainMessages();
    return 0;
}
