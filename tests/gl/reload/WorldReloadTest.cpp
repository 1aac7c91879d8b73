// Files changed on disk while the world runs come back through World::reloadChanged():
// a technique of the world's registry, drawn for real, shows a rewritten texture and a
// rewritten shader; files that no longer load leave the picture as it was and say so
// once each.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "fs/FileSystem.h"
#include "gl/varnet_state/StateTest.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"
#include "support/MountFolder.h"
#include "support/SolidTarga.h"
#include "world/World.h"
#include "world/WorldReload.h"

namespace arvel::test {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

constexpr int kCentre = VarnetTest::kSize / 2;

constexpr const char* kScript =
    "Ambient { impl { Pass { DepthFunc always CullFace none\n"
    "  Texture 0, \"paint.tga\", FILTER_NEAREST & WRAP_CLAMP\n"
    "  TexShader tint.fp } } }\n";

std::string tintShader(const char* colour) {
    return std::string(
               "#version 120\nuniform sampler2D texture0;\nvoid main() {\n"
               "  vec4 paint = texture2D(texture0, vec2(0.5, 0.5));\n"
               "  gl_FragColor = ") +
           colour + ";\n}\n";
}

std::vector<std::string> gReports;
void hear(const char* text) { gReports.emplace_back(text); }

class WorldReload : public StateTest {
protected:
    void SetUp() override {
        StateTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        if (!zone().base) zone().create();
        createRenderQueue();
        gDriver.dSetVPProfile("glsl");
        gDriver.dSetFPProfile("glsl");
        ASSERT_TRUE(mountOnly(folder));
        ASSERT_TRUE(mountShippedData());
        const std::string error =
            exceptionText([&] { world = std::make_unique<World>(nullptr, kSize, kSize); });
        ASSERT_NE(world, nullptr) << error;
        gReports.clear();
        SetReportListener(&hear);
    }

    void TearDown() override {
        SetReportListener(nullptr);
        world.reset();
        gDriver.dDisablePixelShader();
        gDriver.dSetVPProfile("best");
        gDriver.dSetFPProfile("best");
        destroyRenderQueue();
        fileSystem().clear();
        StateTest::TearDown();
    }

    // Rewrites a file with a later time: a rewrite within the file system's clock
    // tick would otherwise look untouched.
    void rewrite(const std::string& name, const std::string& bytes) {
        const auto path = folder.path() / name;
        const auto before = std::filesystem::last_write_time(path);
        folder.write(name, bytes);
        std::filesystem::last_write_time(path, before + 2s);
    }

    void draw(const RenderTechnique& technique) {
        clear(0, 0, 0, 0);
        for (const Pass* pass : technique.ambientPasses()) {
            pass->apply();
            pass->applyObject(context);
            pass->bindMaterialTextures({});
            fillWindow();
            pass->endObject(context);
            pass->end();
        }
        gDriver.dDisablePixelShader();
    }

    TempDir folder;
    std::unique_ptr<World> world;
    RenderContext context;
};

TEST_F(WorldReload, ChangedFilesShowAtOnceAndBrokenOnesKeepThePictureWithOneMessageEach) {
    folder.write("paint.tga", solidTarga(2, 2, 255, 0, 0));
    folder.write("tint.fp", tintShader("paint"));
    folder.write("quad.rt", kScript);
    // As a map's material gets it: compiled into the world's registry after the world.
    auto* technique =
        new RenderTechnique("quad.rt", &world->programRegistry(), &world->textureRegistry());
    world->programRegistry().add(technique);
    ASSERT_NO_THROW(technique->load());
    ASSERT_EQ(technique->ambientPasses().size(), 1u);
    const Pass* pass = technique->ambientPasses()[0];
    draw(*technique);
    ASSERT_TRUE(colourAt(kCentre, kCentre, 255, 0, 0));

    EXPECT_TRUE(world->reloadChanged().nothingChanged());

    // The level's own files are the caller's to reload.
    world->loadMap("level.otm");
    EXPECT_TRUE(world->reloadChanged().nothingChanged()) << "no such map yet";
    folder.write("level.otm", "a map at last");
    EXPECT_TRUE(world->reloadChanged().levelChanged);

    rewrite("paint.tga", solidTarga(2, 2, 0, 0, 255));
    ReloadResult result = world->reloadChanged();
    EXPECT_EQ(result.reloaded, Names{"paint.tga"});
    EXPECT_TRUE(result.failed.empty());
    EXPECT_FALSE(result.levelChanged);
    draw(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 0, 255)) << "the new texture is drawn";

    // The technique is compiled again for the new program, in the same object.
    rewrite("tint.fp", tintShader("vec4(1.0) - paint"));
    result = world->reloadChanged();
    EXPECT_EQ(result.reloaded, (Names{"tint.fp", "quad.rt"}));
    EXPECT_TRUE(result.failed.empty());
    EXPECT_NE(technique->ambientPasses()[0], pass) << "new passes";
    draw(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 255, 255, 0)) << "the new shader runs";
    EXPECT_TRUE(gReports.empty()) << gReports.front();

    rewrite("paint.tga", "not a picture at all");
    rewrite("tint.fp", "this is not a shader");
    rewrite("quad.rt", "Ambient { impl { Pass { NoSuchCommand } } }");
    result = world->reloadChanged();
    EXPECT_TRUE(result.reloaded.empty());
    EXPECT_EQ(result.failed, (Names{"paint.tga", "tint.fp", "quad.rt"}));
    ASSERT_EQ(gReports.size(), 3u) << "one message per broken file";
    EXPECT_NE(gReports[0].find("paint.tga"), std::string::npos) << gReports[0];
    EXPECT_NE(gReports[1].find("tint.fp"), std::string::npos) << gReports[1];
    EXPECT_NE(gReports[2].find("quad.rt"), std::string::npos) << gReports[2];
    EXPECT_NE(gReports[2].find("NoSuchCommand"), std::string::npos) << gReports[2];
    draw(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 255, 255, 0)) << "the previous versions stay";

    EXPECT_TRUE(world->reloadChanged().nothingChanged());
    EXPECT_EQ(gReports.size(), 3u) << "nothing said twice";

    // Fixed again: read again, once.
    rewrite("quad.rt", kScript);
    EXPECT_EQ(world->reloadChanged().reloaded, Names{"quad.rt"});
    draw(*technique);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 255, 255, 0));
    EXPECT_EQ(gReports.size(), 3u);
}

std::string lightShader(const char* colour) {
    return std::string(
               "#version 120\nuniform vec4 lightData;\nvoid main() {\n"
               "  gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
               "  gl_FrontColor = vec4(") +
           colour + ", 1.0);\n}\n";
}

// The passes a technique keeps when it does not compile again still find the
// parameters of the program rebuilt under them.
TEST_F(WorldReload, KeptPassesUseTheRebuiltProgramsParameters) {
    folder.write("light.vp", lightShader("lightData.yzw"));
    folder.write("lit.rt",
                 "Ambient { impl { Pass { CullFace none DepthFunc always\n"
                 "  VertexShader { light.vp Constants { lightData = LIGHT_DATA } } } } }\n");
    auto* technique =
        new RenderTechnique("lit.rt", &world->programRegistry(), &world->textureRegistry());
    world->programRegistry().add(technique);
    ASSERT_NO_THROW(technique->load());
    const Vector4 position{0, 0, 0, 0};
    const float colour[3] = {1.0f, 0.5f, 0.0f};
    const float radius = 100.0f;
    context.setLight(nullptr, &position, colour, &radius);
    draw(*technique);
    gDriver.dDisableVertexProgram();
    ASSERT_TRUE(colourAt(kCentre, kCentre, 255, 128, 0));

    rewrite("light.vp", lightShader("lightData.wzy"));
    rewrite("lit.rt", "Ambient { impl { Pass { CullFace sideways } } }");
    const ReloadResult result = world->reloadChanged();
    EXPECT_EQ(result.reloaded, Names{"light.vp"});
    EXPECT_EQ(result.failed, Names{"lit.rt"});
    ASSERT_EQ(gReports.size(), 1u);
    EXPECT_NE(gReports[0].find("sideways"), std::string::npos) << gReports[0];
    draw(*technique);
    gDriver.dDisableVertexProgram();
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 128, 255)) << "the new program, fed its constant";
}

// The overlay font's way: a technique outside the world, owning its shader and
// texture, is checked with the world's files until it is unwatched.
TEST_F(WorldReload, WatchedTechniqueOfItsOwnComesBackWithItsFiles) {
    folder.write("paint.tga", solidTarga(2, 2, 255, 0, 0));
    folder.write("tint.fp", tintShader("paint"));
    folder.write("font.rt", kScript);
    RenderTechnique font("font.rt", nullptr, nullptr);
    ASSERT_NO_THROW(font.load());
    world->watchTechnique(&font);

    rewrite("tint.fp", tintShader("vec4(1.0) - paint"));
    EXPECT_EQ(world->reloadChanged().reloaded, Names{"tint.fp"});
    draw(font);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 0, 255, 255));

    rewrite("paint.tga", solidTarga(2, 2, 0, 0, 255));
    EXPECT_EQ(world->reloadChanged().reloaded, Names{"paint.tga"});
    draw(font);
    EXPECT_TRUE(colourAt(kCentre, kCentre, 255, 255, 0));

    world->unwatchTechnique(&font);
    rewrite("font.rt", "broken");
    EXPECT_TRUE(world->reloadChanged().nothingChanged());
    EXPECT_TRUE(gReports.empty());
}

}  // namespace
}  // namespace arvel::test
