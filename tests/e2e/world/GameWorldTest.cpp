// The game with its world: run in a copy of the demo data folder with a small level
// and mesh written by the content tools, counted through the counting plug-in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "MshWriter.h"
#include "OtmWriter.h"
#include "TgaWriter.h"
#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel::test {
namespace {

using namespace content;

constexpr int kFrames = 12;

// Two lit rooms: enough for test.msh (sector 1), not for testa.msh (sector 4).
OtmMap twoRooms() {
    OtmMap map = roomChain({});
    for (OtmSector& sector : map.sectors)
        for (OtmMaterial& material : sector.mesh.body.materials) material.textures = {"grey.tga"};
    OtmLight light;
    light.position = {2.0f, 2.5f, 2.0f, 0.0f};
    light.outerRadius = 6.0f;
    map.lights = {light};
    map.sectors[0].lights = {0};
    return map;
}

// A triangle on one bone that turns about y over ten frames.
MshFile turningTriangle() {
    MshFile mesh;
    mesh.bones.push_back(MshBone::at(0, 0, 0));
    mesh.materials.push_back({});
    mesh.materials[0].textures = {"grey.tga"};
    for (auto p : {std::array<float, 3>{0, 0, 0.5f}, {0, 0, -0.5f}, {0, 1, 0}})
        mesh.positions.push_back({p, {{0, 1.0f}}});
    for (int i = 0; i < 3; ++i) mesh.vertices.push_back({i, 0, 0, {-1, 0, 0}, {0, 0, 1}});
    mesh.triangles.push_back({{0, 1, 2}, 0});
    MshAnimation turn;
    turn.frameCount = 10;
    MshBoneKeys keys;
    for (int k = 0; k < 10; ++k) {
        keys.positions.push_back({0, 0, 0});
        keys.rotations.push_back({0.6f * static_cast<float>(k), {0, 1, 0}});
        keys.scales.push_back({1, 1, 1});
    }
    turn.bones.push_back(keys);
    mesh.animations.push_back(turn);
    return mesh;
}

class GameWorld : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
        const std::filesystem::path data = std::filesystem::path(ARVEL_BIN_DIR) / ".." / "data";
        ASSERT_TRUE(std::filesystem::exists(data / "static_default.rt")) << "build demo_data first";
        std::filesystem::copy(data, dir_.path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        Image grey(4, 4, 3);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) grey.set(x, y, {200, 200, 200});
        dir_.write("grey.tga", tgaBytes(grey));
        dir_.write("test.otm", otmBytes(twoRooms()));
        dir_.write("test.msh", mshBytes(turningTriangle()));
        dir_.write("testa.msh", mshBytes(turningTriangle()));
        // Not the demo's level: its meshes go where the built-in rule puts them.
        std::filesystem::remove(dir_.path() / "test.cfg");
        std::filesystem::remove(dir_.path() / "dump.dmp");
    }

    ProcessResult run() {
        std::ostringstream autoexec;
        autoexec << "scr_fullscreen false\ngfx_driver \"CountingDriver.drv\"\n"
                 << "dbg_frame_ms 20\ndbg_quit_frame " << kFrames << "\n"
                 << "dbg_screenshot_frame 5\ndbg_screenshot \"shot.png\"\n"
                 << "dbg_camera \"1 1.5 2 0 90 0\"\n";
        dir_.write("autoexec.cfg", autoexec.str());
        Process game({ARVEL_BIN_DIR "/game"}, dir_.path().string(),
                     {{"ARVEL_NO_DIALOGS", "1"},
                      {"ARVEL_COUNT_FILE", (dir_.path() / "counts.txt").string()}});
        return game.wait(120);
    }

    std::map<std::string, long> driverCounts() const {
        std::map<std::string, long> counts;
        if (!std::filesystem::exists(dir_.path() / "counts.txt")) return counts;
        std::istringstream in(dir_.read("counts.txt"));
        std::string name;
        long count;
        while (in >> name >> count) counts[name] = count;
        return counts;
    }

    std::string log() const {
        return std::filesystem::exists(dir_.path() / "dump.dmp") ? dir_.read("dump.dmp") : "";
    }

    TempDir dir_;
};

TEST_F(GameWorld, DrawsTheLevelEveryFrameAndLogsTheMeshItCannotPlace) {
    const ProcessResult result = run();
    ASSERT_FALSE(result.timedOut) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err.find("Fatal error"), std::string::npos) << result.err;

    auto counts = driverCounts();
    EXPECT_EQ(counts["dSwapBuffer"], kFrames);
    // Every frame: both rooms counted by queries, the light's stencil cleared.
    EXPECT_GE(counts["dGetVisiblePixels"], 2 * kFrames);
    EXPECT_GE(counts["dClearStencil"], kFrames);
    EXPECT_GE(counts["dVARender"], 3 * kFrames);

    EXPECT_NE(log().find("testa.msh: the level has no sector 4"), std::string::npos) << log();
    EXPECT_EQ(log().find("test.msh: the level has no sector 1"), std::string::npos) << log();
    EXPECT_TRUE(std::filesystem::exists(dir_.path() / "shot.png"));
}

TEST_F(GameWorld, MissingLevelRunsOnWithAnEmptyWorld) {
    std::filesystem::remove(dir_.path() / "test.otm");
    const ProcessResult result = run();
    ASSERT_FALSE(result.timedOut) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    auto counts = driverCounts();
    EXPECT_EQ(counts["dSwapBuffer"], kFrames);
    EXPECT_EQ(counts["dGetVisiblePixels"], 0);
    EXPECT_NE(log().find("test.msh: the level has no sector 1"), std::string::npos) << log();
}

TEST_F(GameWorld, MissingDefaultTechniqueEndsStartUpWithTheWorldMessage) {
    std::filesystem::remove(dir_.path() / "debug.rt");
    const ProcessResult result = run();
    ASSERT_FALSE(result.timedOut) << result.err;
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("row 178"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("Couldn't create world due to missing/invalid basic resources"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(driverCounts()["dSwapBuffer"], 0);
}

}  // namespace
}  // namespace arvel::test
