// The demo level's static lights draw their lit pieces over the ambient pass with an
// equal-or-nearer depth test, so a piece must reach exactly the ambient pass's depths.
// Drawn a second time with the light stage pulled towards the camera by a polygon
// offset, the frame may change only at a few silhouette pixels; where the pieces
// rasterise to other depths than the sector mesh the light fails in streaks, and the
// offset brings it back. Pictures "demo_light_depth.png" and
// "demo_light_depth_offset.png" in the build's test folder show both frames. The same
// view is also drawn through the ARB programs and compared with the GLSL frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "core/PngFile.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/ArchiveFile.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/RenderQueue.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"
#include "support/GLFixture.h"
#include "world/Camera.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"
#include "world/World.h"

namespace arvel::test {
namespace {

const std::filesystem::path kData = std::filesystem::path(ARVEL_BIN_DIR) / ".." / "data";

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The script with every equal-or-nearer pass pulled forward; how many were.
int pullLessEqualPassesForward(std::string& script) {
    const std::string test = "DepthFunc lequal\n";
    int count = 0;
    for (size_t at = script.find(test); at != std::string::npos; at = script.find(test, at)) {
        at += test.size();
        script.insert(at, "DepthOffset -1, -2\n");
        ++count;
    }
    return count;
}

struct Place {
    float x, y, z, pitch, yaw;
};

class DemoLightDepth : public VarnetTest {
protected:
    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!zone().base) zone().create();
        createRenderQueue();
        int pulled = 0;
        for (const char* name : {"static_default.rt", "static_bump.rt"}) {
            std::string script = readText(kData / name);
            pulled += pullLessEqualPassesForward(script);
            offsetScripts.write(name, script);
        }
        ASSERT_GE(pulled, 2) << "the light passes no longer test lequal";
    }

    void TearDown() override {
        destroyRenderQueue();
        fileSystem().clear();
        VarnetTest::TearDown();
    }

    // As the game mounts its data, the offset scripts first when asked for.
    void mountData(bool offset) {
        fileSystem().clear();
        std::vector<std::string> folders{kData.string() + "/", (kData / "textures").string() + "/",
                                         (kData / "shaders").string() + "/"};
        if (offset) folders.insert(folders.begin(), offsetScripts.path().string() + "/");
        for (const std::string& prefix : folders)
            ASSERT_TRUE(fileSystem().mount(new CommonFile(), prefix.c_str())) << prefix;
        auto* archive = new ArchiveFile();
        if (!fileSystem().mount(archive, (kData / "Data.zip").string().c_str())) delete archive;
    }

    // One frame of the demo level from place, rows top first, its programs compiled for
    // profile; with the game's two dynamic meshes placed as it places them when asked.
    std::vector<uint8_t> frame(const Place& place, bool offset, const char* profile = "best",
                               bool withMeshes = false) {
        mountData(offset);
        gDriver.dSetVPProfile(profile);
        gDriver.dSetFPProfile(profile);
        std::unique_ptr<World> world;
        const std::string error =
            exceptionText([&] { world = std::make_unique<World>(nullptr, kSize, kSize); });
        if (!world) {
            ADD_FAILURE() << error;
            return {};
        }
        Map* map = world->loadMap("test.otm");
        if (withMeshes) {
            struct Placed {
                const char* file;
                float x, y, z;
                int sector;
            };
            for (const Placed& placed : {Placed{"test.msh", -72.5f, 32.1f, -17.5f, 1},
                                         Placed{"testa.msh", -203.5f, -112.0f, -90.0f, 4}}) {
                MeshInstance* instance = world->loadDynamicMesh(placed.file);
                instance->setPosition(placed.x, placed.y, placed.z, 0);
                map->sector(placed.sector).addInstance(*instance);
            }
        }
        gDriver.dDepthMask(1);
        gDriver.dColorMask(1, 1, 1, 1);
        gDriver.dEnableDepth();
        gDriver.dEnableCull();
        gDriver.dClearColor(0, 0, 0, 1.0f);
        gDriver.dDisableScissor();
        gDriver.dSetClear(7);
        gDriver.dClearBuffer();
        Camera camera;
        camera.setPosition(place.x, place.y, place.z, 0);
        camera.setOrientation(place.pitch, place.yaw, 0, 0);
        world->render(camera.updateView());
        std::vector<uint8_t> rgb(static_cast<size_t>(kSize) * kSize * 3);
        for (int row = 0; row < kSize; ++row) {
            for (int x = 0; x < kSize; ++x) {
                const auto p = readPixel(x, kSize - 1 - row);
                std::copy(p.begin(), p.begin() + 3,
                          &rgb[(static_cast<size_t>(row) * kSize + x) * 3]);
            }
        }
        world.reset();
        gDriver.dSetVPProfile("best");
        gDriver.dSetFPProfile("best");
        return rgb;
    }

    static void savePng(const std::string& name, const std::vector<uint8_t>& rgb) {
        std::ofstream out(std::string(ARVEL_TEST_BIN_DIR) + "/" + name, std::ios::binary);
        out << encodePng(kSize, kSize, rgb.data());
    }

    // Pixels where some channel differs by more than a rounding step.
    static int changedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        int changed = 0;
        for (size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 3) {
            bool differs = false;
            for (size_t c = 0; c < 3; ++c) differs |= std::abs(a[i + c] - b[i + c]) > 8;
            changed += differs;
        }
        return changed;
    }

    void expectOffsetChangesOnlySilhouettes(const Place& place, const std::string& name) {
        const std::vector<uint8_t> drawn = frame(place, false);
        const std::vector<uint8_t> pulled = frame(place, true);
        ASSERT_EQ(drawn.size(), pulled.size());
        ASSERT_FALSE(drawn.empty());
        savePng(name + ".png", drawn);
        savePng(name + "_offset.png", pulled);
        // Silhouettes of props on lit faces take a few hundred pixels at most.
        EXPECT_LT(changedPixels(drawn, pulled), kSize * kSize / 200);
    }

    TempDir offsetScripts;
};

TEST_F(DemoLightDepth, TheStartViewLooksTheSameWithTheLightStagePulledForward) {
    expectOffsetChangesOnlySilhouettes({-50.44f, 40.717f, -36.719f, 0.0f, -135.0f},
                                       "demo_light_depth");
}

// The ARB assembly programs draw the demo's start view, static lights, a dynamic mesh
// and its shadows included, as the GLSL ones do. Picture "demo_arb.png".
TEST_F(DemoLightDepth, TheStartViewLooksTheSameThroughArbPrograms) {
    const Place start{-50.44f, 40.717f, -36.719f, 0.0f, -135.0f};
    const std::vector<uint8_t> glsl = frame(start, false, "glsl", true);
    const std::vector<uint8_t> arb = frame(start, false, "arb", true);
    ASSERT_FALSE(glsl.empty());
    ASSERT_EQ(glsl.size(), arb.size());
    savePng("demo_arb.png", arb);
    int differing = 0;
    for (size_t i = 0; i < glsl.size(); ++i) differing += std::abs(glsl[i] - arb[i]) > 2;
    EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace arvel::test
