// Worlds in tests: a temporary folder mounted as the only file source holding the six
// default techniques (small scripts: the ambient stages of the two surface techniques
// count pixels) and "default.fpf", the recording driver with a driver that has vertex
// arrays and occlusion queries, the zone and render queue the frame needs, and maps
// built with the OTM writer.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "FpfWriter.h"
#include "OtmWriter.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "platform/platform.h"
#include "render/RenderQueue.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
#include "world/Camera.h"
#include "world/Map.h"
#include "world/World.h"

namespace arvel::test {

using namespace content;

// A recognisable non-null handle for results the recording driver hands out.
template <typename T>
T* fakeHandle(int which) {
    static char storage[64];
    return reinterpret_cast<T*>(&storage[which % 64]);
}

inline ::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << part << "\" not in \"" << text << "\"";
}

inline constexpr const char* kTechniqueNames[] = {
    "static_default.rt",           "dynamic_default.rt",
    "optimized_shadow_volumes.rt", "vertex_program_shadow_volumes.rt",
    "cpu_shadow_volumes.rt",       "debug.rt"};

class WorldTest : public ::testing::Test {
protected:
    WorldTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        if (!zone().base) zone().create();
        createRenderQueue();
        fileSystem().clear();
        EXPECT_TRUE(mountFolder(folder));
        setDriverSymbolLookup(driver.lookup());
        resetSettings();

        for (const char* name : kTechniqueNames)
            folder.write(name, "Ambient { impl { Pass { } } }");
        for (const char* name : {"static_default.rt", "dynamic_default.rt"})
            folder.write(
                name, "Ambient { impl { Pass { OcclusionQuery } } } Light { impl { Pass { } } }");
        Image texel(1, 1, 3);
        texel.set(0, 0, {255, 255, 255});
        folder.write("default.fpf", fpfBytes({texel}));

        driver.setResult("dOcclusionCulling", true);
        driver.setResult("dGenOcclusionQueries", fakeHandle<DOcclusionQueries>(1));
        driver.setResult("dGetVisiblePixels", 100);
        driver.setResult("dVAAlloc", fakeHandle<DVertexArray>(2));
        driver.setResult("dVAMemNeeded", 1024);
        driver.setResult("dTextureUnits", 4);
        driver.setResult("dStencilMaxVal", 255);
    }
    ~WorldTest() override {
        world.reset();
        destroyRenderQueue();
        setDriverSymbolLookup({});
        fileSystem().clear();
        resetSettings();
        platform::Message message;
        while (platform::peekMessage() && platform::getMessage(&message) != 0) {
        }
    }

    // The settings a frame reads, at their defaults.
    static void resetSettings() {
        Settings& s = settings();
        s.gfxHwOcclusionCulling.flag = true;
        s.gfxScissor.flag = true;
        s.gfxWireframe.flag = false;
        s.gfxDshadows.flag = true;
        s.gfxForceDynamic.flag = false;
        s.gfxCullVolumes.flag = true;
        s.gfxNearClipplane.number = 1.0;
        s.dbgDrawSboxes.flag = false;
        s.dbgDrawBboxes.flag = false;
        s.dbgDrawEdges.flag = false;
        s.dbgDrawTangentspace.flag = false;
        s.dbgWalkAll.flag = false;
    }

    // A world of the window size; null (and the message kept) when it cannot be made.
    World* makeWorld(float width = 640, float height = 480) {
        error.clear();
        try {
            world = std::make_unique<World>(nullptr, width, height);
        } catch (Exception* e) {
            error = e->what();
            delete e;
            world.reset();
        }
        return world.get();
    }

    Map* loadMap(const OtmMap& map, const std::string& name = "test.otm") {
        folder.write(name, otmBytes(map));
        return world->loadMap(name);
    }

    // Renders one frame from (x, y, z) looking along yaw degrees (0: -z, 90: +x).
    void renderFrom(float x, float y, float z, float yaw = 0.0f, float pitch = 0.0f) {
        camera.setPosition(x, y, z, 0);
        camera.setOrientation(pitch, yaw, 0, 0);
        driver.clearCalls();
        world->render(camera.updateView());
    }

    // Index of the first call that starts with text at or after from; -1 if none.
    int indexOf(const std::string& text, int from = 0) const {
        const auto& calls = driver.calls();
        for (int i = from; i < static_cast<int>(calls.size()); ++i)
            if (calls[static_cast<size_t>(i)].rfind(text, 0) == 0) return i;
        return -1;
    }

    RecordingDriver driver;
    TempDir folder;
    Camera camera;
    std::unique_ptr<World> world;
    std::string error;
};

}  // namespace arvel::test
