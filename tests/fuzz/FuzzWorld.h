// Whole frames for the fuzz targets: the files a World needs (six small default
// techniques, "default.fpf") in the scratch folder, the recording driver answering as
// a driver with vertex arrays, occlusion queries, two-sided stencil and depth clamp,
// the zone and render queue, and a camera to render from.
#pragma once

#include "FpfWriter.h"
#include "FuzzSupport.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "render/RenderQueue.h"
#include "support/RecordingDriver.h"
#include "world/Camera.h"
#include "world/World.h"

namespace arvel::fuzz {

inline test::RecordingDriver*& frameDriver() {
    static test::RecordingDriver* driver = nullptr;
    return driver;
}

// A handle the recording driver can hand out for objects game only passes back.
template <typename T>
T* fakeHandle(int which) {
    static char storage[8];
    return reinterpret_cast<T*>(&storage[which % 8]);
}

// Once, from LLVMFuzzerInitialize; mounts the scratch folder.
inline void prepareFrames() {
    headless();
    zone().create();
    createRenderQueue();
    const char* plain = "Ambient { impl { Pass { } } }";
    for (const char* name : {"optimized_shadow_volumes.rt", "vertex_program_shadow_volumes.rt",
                             "cpu_shadow_volumes.rt", "debug.rt"})
        scratch().write(name, plain);
    for (const char* name : {"static_default.rt", "dynamic_default.rt"})
        scratch().write(name,
                        "Ambient { impl { Pass { OcclusionQuery } } } Light { impl { Pass { } } }");
    content::Image texel(1, 1, 3);
    scratch().write("default.fpf", content::fpfBytes({texel}));
    mountScratch();

    auto* driver = new test::RecordingDriver();
    frameDriver() = driver;
    setDriverSymbolLookup(driver->lookup());
    driver->setResult("dOcclusionCulling", true);
    driver->setResult("dTwoSidedStencil", true);
    driver->setResult("dDepthClamp", true);
    driver->setResult("dGenOcclusionQueries", fakeHandle<DOcclusionQueries>(1));
    driver->setResult("dGetVisiblePixels", 100);
    driver->setResult("dVAAlloc", fakeHandle<DVertexArray>(2));
    driver->setResult("dVAMemNeeded", 1024);
    driver->setResult("dTextureUnits", 4);
    driver->setResult("dStencilMaxVal", 255);
    settings().gfxDshadows.flag = true;
    settings().gfxScissor.flag = true;
    settings().gfxHwOcclusionCulling.flag = true;
}

// The world's own files are fixed: failing to make it is the harness's fault.
inline std::unique_ptr<World> makeWorld() {
    try {
        return std::make_unique<World>(nullptr, 640.0f, 480.0f);
    } catch (Exception* e) {
        std::fprintf(stderr, "%s\n", e->what());
        std::abort();
    }
}

inline void renderFrom(World& world, const Vector4& at, float yaw, float pitch) {
    Camera camera;
    camera.setPosition(at.x, at.y, at.z, 0);
    camera.setOrientation(pitch, yaw, 0, 0);
    world.render(camera.updateView());
    frameDriver()->clearCalls();
}

// After each input: what the frames left behind.
inline void endFrames() {
    frameDriver()->clearCalls();
    zone().resetIfFree();
    drainMessages();
}

}  // namespace arvel::fuzz
