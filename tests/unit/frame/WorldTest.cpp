// The World's construction, its failures, what it loads and what it frees.
#include <filesystem>

#include "MshWriter.h"
#include "WorldTestSupport.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"
#include "support/MountFolder.h"
#include "world/MeshInstance.h"

namespace arvel::test {
namespace {

TEST_F(WorldTest, ConstructionAsksFor512QueriesAndLoadsTheDefaults) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    EXPECT_EQ(driver.callsTo({"dGenOcclusionQueries"}),
              std::vector<std::string>{"dGenOcclusionQueries(512)"});
    EXPECT_EQ(world->queryCapacity(), 512);
    EXPECT_EQ(world->queries(), fakeHandle<DOcclusionQueries>(1));

    auto* texture = dynamic_cast<Texture*>(world->textureRegistry().find("default.fpf"));
    ASSERT_NE(texture, nullptr);
    EXPECT_TRUE(texture->loaded());
    for (int i = 0; i < World::kDefaultTechniqueCount; ++i) {
        const RenderTechnique& technique =
            world->technique(static_cast<World::DefaultTechnique>(i));
        EXPECT_EQ(technique.name(), kTechniqueNames[i]);
        EXPECT_EQ(technique.ambientPasses().size(), 1u) << kTechniqueNames[i];
    }
}

TEST_F(WorldTest, MissingTechniqueFailsWithTheWorldMessageAndFreesTheQueries) {
    std::filesystem::remove(folder.path() / "cpu_shadow_volumes.rt");
    ASSERT_EQ(makeWorld(), nullptr);
    EXPECT_TRUE(contains(error, "Couldn't create world due to missing/invalid basic resources\n"));
    EXPECT_TRUE(contains(error, "Failed to open render technique: cpu_shadow_volumes.rt"));
    EXPECT_TRUE(contains(error, "(World\\World:"));
    EXPECT_EQ(driver.callsTo({"dDeleteOcclusionQueries"}),
              std::vector<std::string>{"dDeleteOcclusionQueries(512, ptr)"});
}

TEST_F(WorldTest, MissingDefaultTextureIsNoError) {
    std::filesystem::remove(folder.path() / "default.fpf");
    ASSERT_NE(makeWorld(), nullptr) << error;
    auto* texture = dynamic_cast<Texture*>(world->textureRegistry().find("default.fpf"));
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->loaded());
}

TEST_F(WorldTest, ShippedTechniquesPickTheirProgramsWhereTheDriverCompilesThem) {
    // The game's own data folder, as start-up mounts it.
    fileSystem().clear();
    ASSERT_TRUE(mountShippedData());
    driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>(3));
    driver.setResult("dRegisterPixelShader", fakeHandle<DPixelShader>(4));
    driver.setResult("dTwoSidedStencil", true);
    driver.setResult("dDepthClamp", true);

    ASSERT_NE(makeWorld(), nullptr) << error;
    for (World::DefaultTechnique which : {World::kStaticDefault, World::kDynamicDefault}) {
        const RenderTechnique& technique = world->technique(which);
        ASSERT_EQ(technique.ambientPasses().size(), 1u);
        ASSERT_EQ(technique.lightPasses().size(), 1u);
        const Pass& ambient = *technique.ambientPasses()[0];
        const Pass& light = *technique.lightPasses()[0];
        EXPECT_TRUE(ambient.occlusionQuery);
        EXPECT_NE(ambient.vertexProgram, nullptr);
        EXPECT_NE(light.vertexProgram, nullptr);
        EXPECT_NE(light.pixelShader, nullptr);
        // Light adds up where no shadow volume left its count.
        EXPECT_TRUE(light.blending);
        EXPECT_EQ(light.blendMode, 0x101);
        EXPECT_TRUE(light.stencil);
        EXPECT_EQ(light.stencilFunction, 7);
        EXPECT_EQ(light.stencilReference, 0);
        EXPECT_FALSE(light.depthWrite);
    }
}

TEST_F(WorldTest, ShippedSurfaceTechniquesFallBackWhenNoProgramCompiles) {
    fileSystem().clear();
    ASSERT_TRUE(mountShippedData());
    ResourceRegistry programs, textures;
    for (const char* name : {"static_default.rt", "static_bump.rt", "dynamic_default.rt"}) {
        RenderTechnique technique(name, &programs, &textures);
        try {
            technique.load();
        } catch (Exception* e) {
            ADD_FAILURE() << e->what();
            delete e;
            continue;
        }
        // The plain texture still shows and still counts pixels; light adds nothing.
        ASSERT_EQ(technique.ambientPasses().size(), 1u) << name;
        EXPECT_EQ(technique.ambientPasses()[0]->vertexProgram, nullptr) << name;
        EXPECT_EQ(technique.ambientPasses()[0]->materialSlots[0], 0) << name;
        EXPECT_TRUE(technique.ambientPasses()[0]->occlusionQuery) << name;
        ASSERT_EQ(technique.lightPasses().size(), 1u) << name;
        EXPECT_FALSE(technique.lightPasses()[0]->colourWrite) << name;
        EXPECT_FALSE(technique.lightPasses()[0]->depthWrite) << name;
    }
}

TEST_F(WorldTest, LoadMapKeepsTheMapEvenWhenItsFileIsMissing) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = world->loadMap("nowhere.otm");
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->sectorCount(), 0);
    ASSERT_EQ(world->maps().size(), 1u);
    EXPECT_EQ(world->maps()[0].get(), map);
    renderFrom(0, 0, 0);  // an empty world draws an empty frame
    EXPECT_TRUE(world->visibleSet().sectors.empty());
}

TEST_F(WorldTest, LoadMapResolvesMaterialsThroughTheWorldsRegistries) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    Map* map = loadMap(roomChain({}));
    ASSERT_EQ(map->sectorCount(), 2);
    // The materials' technique is shared by name with the world's program registry.
    EXPECT_NE(world->programRegistry().find("static_default.rt"), nullptr);
}

MshFile triangleMesh() {
    MshFile mesh;
    mesh.bones.push_back(MshBone::at(0, 0, 0));
    mesh.bones[0].boxMin = {-1, -1, -1};
    mesh.bones[0].boxMax = {1, 1, 1};
    mesh.materials.push_back({});
    for (auto p : {std::array<float, 3>{-0.5f, 0, 0}, {0.5f, 0, 0}, {0, 1, 0}})
        mesh.positions.push_back({p, {{0, 1.0f}}});
    for (int i = 0; i < 3; ++i) mesh.vertices.push_back({i, 0, 0, {0, 0, 1}, {1, 0, 0}});
    mesh.triangles.push_back({{0, 1, 2}, 0});
    MshAnimation still;
    still.frameCount = 1;
    still.bones.push_back({{{0, 0, 0}}, {MshRotationKey{}}, {{1, 1, 1}}});
    mesh.animations.push_back(still);
    return mesh;
}

TEST_F(WorldTest, DynamicMeshesAreSharedByFileName) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    folder.write("thing.msh", mshBytes(triangleMesh()));
    MeshInstance* first = world->loadDynamicMesh("thing.msh");
    MeshInstance* second = world->loadDynamicMesh("THING.msh");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(&first->mesh(), &second->mesh());
    EXPECT_EQ(world->meshRegistry().size(), 1u);
    EXPECT_EQ(world->instances().size(), 2u);
    EXPECT_EQ(first->mesh().faceCount(), 1);
}

TEST_F(WorldTest, DestructionFreesTheQueryArray) {
    ASSERT_NE(makeWorld(), nullptr) << error;
    loadMap(roomChain({}));
    driver.clearCalls();
    world.reset();
    EXPECT_EQ(driver.callsTo({"dDeleteOcclusionQueries"}),
              std::vector<std::string>{"dDeleteOcclusionQueries(512, ptr)"});
}

TEST(FrameProjection, IsAnInfiniteFarPlaneFrustumAt4By3) {
    for (float n : {1.0f, 2.5f}) {
        const Matrix4 p = frameProjection(n);
        float expected[16] = {};
        expected[0] = 1.0f;                  // 2n / (right - left)
        expected[5] = 2.0f / 1.5f;           // 2n / (top - bottom)
        expected[10] = 0.001f - 1.0f;        // epsilon - 1
        expected[11] = -1.0f;                // row 3, column 2
        expected[14] = n * (0.001f - 2.0f);  // row 2, column 3
        for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(p.m[i], expected[i]) << "n " << n << " m" << i;
    }
}

TEST(FrameProjection, KeepsTheFrameHeightAndFollowsTheWindowAcross) {
    // Every 4:3 window draws exactly what the fixed 4:3 frame always drew.
    for (auto [w, h] : {std::pair{640, 480}, {320, 240}, {1024, 768}, {1600, 1200}})
        EXPECT_EQ(frameProjection(2.0f, FrameShape::ofWindow(w, h)), frameProjection(2.0f))
            << w << " x " << h;
    // Other windows: the frame's corner ten units ahead, 7.5 up and 7.5 * width / height
    // across, lands in the window's corner.
    for (auto [w, h] : {std::pair{1024, 576}, {640, 512}, {480, 640}, {1, 1000}}) {
        const Matrix4 p = frameProjection(2.0f, FrameShape::ofWindow(w, h));
        const Vector4 corner = p.transformProjective({7.5f * w / h, 7.5f, -10.0f, 1.0f});
        EXPECT_NEAR(corner.x / corner.w, 1.0f, 1e-5f) << w << " x " << h;
        EXPECT_NEAR(corner.y / corner.w, 1.0f, 1e-5f) << w << " x " << h;
        EXPECT_EQ(p.m[5], frameProjection(2.0f).m[5]) << "the height changed";
    }
    // A size that is no window keeps 4:3.
    EXPECT_EQ(frameProjection(1.0f, FrameShape::ofWindow(0, 480)), frameProjection(1.0f));
    EXPECT_EQ(frameProjection(1.0f, FrameShape::ofWindow(640, std::nan(""))),
              frameProjection(1.0f));
}

TEST(FrameProjection, NearPlaneAtOrBehindTheEyeKeepsTheDefault) {
    EXPECT_EQ(frameProjection(0.0f), frameProjection(1.0f));
    EXPECT_EQ(frameProjection(-3.0f), frameProjection(1.0f));
    EXPECT_EQ(frameProjection(std::nanf("")), frameProjection(1.0f));
}

}  // namespace
}  // namespace arvel::test
