#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <cstring>

#include "SkinningTestSupport.h"
#include "core/Clock.h"
#include "fs/DataStream.h"
#include "render/RenderBatch.h"
#include "render/RenderContext.h"
#include "world/MeshInstance.h"

namespace arvel {
namespace {

using content::MshBone;
using content::MshFile;
using content::MshVertex;

void expectNear(const RenderPosition& p, Vector4 expected) {
    EXPECT_NEAR(p.x, expected.x, 1e-5f);
    EXPECT_NEAR(p.y, expected.y, 1e-5f);
    EXPECT_NEAR(p.z, expected.z, 1e-5f);
}

void expectNear(const float* v, Vector4 expected) {
    EXPECT_NEAR(v[0], expected.x, 1e-5f);
    EXPECT_NEAR(v[1], expected.y, 1e-5f);
    EXPECT_NEAR(v[2], expected.z, 1e-5f);
}

// An arm of two bones: bone 0 at the origin, bone 1 bound at (0, 2, 0) below it.
// Its one animation moves bone 0 to (10, 0, 0) and bends bone 1 by 90 degrees about
// z, which with the engine's angle sign takes +y to +x and +x to -y.
MshFile bentArm() {
    MshFile file;
    file.bones = {MshBone::at(0, 0, 0), MshBone::at(0, 2, 0)};
    file.bones[0].boxMin = {-0.5f, -0.5f, -0.5f};
    file.bones[0].boxMax = {0.5f, 0.5f, 0.5f};
    file.bones[0].children = {1};
    file.animations.push_back({1,
                               {test::constantKeys(1, {10, 0, 0}),
                                test::constantKeys(1, {0, 2, 0}, {test::kHalfPi, {0, 0, 1}})}});
    file.materials.push_back({});
    file.positions = {{{0, 1, 0}, {{0, 1.0f}}},
                      {{0, 3, 0}, {{1, 1.0f}}},
                      {{0, 3, 0}, {{0, 0.5f}, {1, 0.5f}}},
                      {{1, 2, 3}, {}}};
    file.vertices = {
        MshVertex{0, 0.1f, 0.2f, {1, 0, 0}, {0, 1, 0}},
        MshVertex{1, 0.3f, 0.4f, {1, 0, 0}, {0, 1, 0}}, MshVertex{2, 0, 0, {1, 0, 0}, {0, 1, 0}},
        MshVertex{1, 0, 0, {0, 0, 1}, {1, 0, 0}}, MshVertex{3, 0, 0, {0, 0, 1}, {1, 0, 0}}};
    file.triangles = {{{0, 1, 2}, 0}, {{2, 3, 4}, 0}};
    return file;
}

class MeshInstanceTest : public test::SkinningTest {
protected:
    MeshInstanceTest() { frameClock().set(1000); }
    ~MeshInstanceTest() override { frameClock().set(0); }

    // Places the instance at position, updates its matrices, poses and skins it.
    static void frame(MeshInstance& instance, Vector4 position = {}) {
        instance.position = position;
        instance.updateLocalMatrix();
        instance.updateWorldMatrix();
        instance.update();
        instance.skin();
    }
};

// --- skinning ---

TEST_F(MeshInstanceTest, BentArmSkinsToHandComputedPositionsAndFrames) {
    auto mesh = load(bentArm());
    MeshInstance arm(*mesh, nullptr);
    arm.setAnimation(0);
    frame(arm);
    const auto& p = arm.positions();
    expectNear(p[0], {10, 1, 0});        // bone 0 only: moved along
    expectNear(p[1], {11, 2, 0});        // (0, 1) from bone 1's origin turns to (1, 0)
    expectNear(p[2], {10.5f, 2.5f, 0});  // half of each
    expectNear(p[3], {0, 0, 0});         // no influences: the origin

    const auto& v = arm.vertices();
    expectNear(v[0].normal, {1, 0, 0});
    expectNear(v[1].normal, {0, -1, 0});
    expectNear(v[1].tangent, {1, 0, 0});
    expectNear(v[2].normal, {0.70710678f, -0.70710678f, 0});
    expectNear(v[3].normal, {0, 0, 1});  // a second vertex on position 1
    expectNear(v[3].tangent, {0, -1, 0});
    EXPECT_EQ(v[1].position, &p[1]);
    EXPECT_EQ(v[3].position, &p[1]);
    EXPECT_FLOAT_EQ(v[1].texCoord->u, 0.3f);
    EXPECT_FLOAT_EQ(v[1].texCoord->v, 0.4f);
}

TEST_F(MeshInstanceTest, SkinMatricesInModelAndWorldSpace) {
    auto mesh = load(bentArm());
    MeshInstance arm(*mesh, nullptr);
    arm.setAnimation(0);
    frame(arm, {1, 2, 3, 0});
    const Vector4 tip{0, 3, 0, 0};
    const Vector4 model = arm.modelSkinMatrices()[1].transformPoint(tip);
    const Vector4 world = arm.worldSkinMatrices()[1].transformPoint(tip);
    EXPECT_NEAR(model.x, 11, 1e-5f);
    EXPECT_NEAR(model.y, 2, 1e-5f);
    EXPECT_NEAR(world.x, 12, 1e-5f);  // the instance's own placement on top
    EXPECT_NEAR(world.y, 4, 1e-5f);
    EXPECT_NEAR(world.z, 3, 1e-5f);
    EXPECT_EQ(arm.modelSkinMatrices()[0], Matrix4::translation(10, 0, 0));
}

TEST_F(MeshInstanceTest, BoxIsTheUnionOfPosedBoneBoxesThenGrowsBySkinning) {
    auto mesh = load(bentArm());
    MeshInstance arm(*mesh, nullptr);
    arm.setAnimation(0);
    arm.position = {1, 2, 3, 0};
    arm.updateLocalMatrix();
    arm.updateWorldMatrix();
    arm.update();
    // Bone 0: (-0.5, -0.5, -0.5)-(0.5, 3, 0.5) moved by 10 in x; bone 1: (0, 0, 0)-(0, 1, 0)
    // in its own space, (10, 2, 0)-(11, 2, 0) posed.
    EXPECT_NEAR(arm.boundingBox.min.x, 9.5f, 1e-5f);
    EXPECT_NEAR(arm.boundingBox.min.y, -0.5f, 1e-5f);
    EXPECT_NEAR(arm.boundingBox.max.x, 11.0f, 1e-5f);
    EXPECT_NEAR(arm.boundingBox.max.y, 3.0f, 1e-5f);
    EXPECT_NEAR(arm.boundingBox.max.z, 0.5f, 1e-5f);
    // The oriented box carries it to the instance's place: centre (10.25, 1.25, 0) + (1, 2, 3).
    const Matrix4& box = arm.orientedBox().matrix();
    EXPECT_NEAR(box.m[12], 11.25f, 1e-5f);
    EXPECT_NEAR(box.m[13], 3.25f, 1e-5f);
    EXPECT_NEAR(box.m[14], 3.0f, 1e-5f);

    arm.skin();  // the position without influences sits at the origin
    EXPECT_EQ(arm.boundingBox.min.x, 0.0f);
    EXPECT_NEAR(arm.boundingBox.max.x, 11.0f, 1e-5f);
    EXPECT_NEAR(arm.orientedBox().matrix().m[12], 1.0f + 5.5f, 1e-5f);
}

TEST_F(MeshInstanceTest, BoneWithAnEmptyBoxAddsNothingToTheBox) {
    MshFile file = bentArm();
    file.bones.push_back(MshBone::at(0, 0, 0));
    file.bones[2].boxMin = {1, 1, 1};
    file.bones[2].boxMax = {-1, -1, -1};
    file.animations[0].bones.push_back(test::constantKeys(1, {100, 100, 100}));
    auto mesh = load(file);
    MeshInstance arm(*mesh, nullptr);
    arm.setAnimation(0);
    arm.update();
    EXPECT_NEAR(arm.boundingBox.min.x, 9.5f, 1e-5f);
    EXPECT_NEAR(arm.boundingBox.max.x, 11.0f, 1e-5f);
}

TEST_F(MeshInstanceTest, WithoutAnimationBonesStayAtTheIdentity) {
    auto mesh = load(bentArm());
    MeshInstance arm(*mesh, nullptr);
    frame(arm);
    // Skin matrices are then the inverse bind matrices alone.
    EXPECT_EQ(arm.modelSkinMatrices()[1], Matrix4::translation(0, -2, 0));
    expectNear(arm.positions()[0], {0, 1, 0});
    expectNear(arm.positions()[1], {0, 1, 0});
    expectNear(arm.positions()[2], {0, 2, 0});
}

TEST_F(MeshInstanceTest, InstancesOfOneMeshDoNotShareTheirPose) {
    auto mesh = load(bentArm());
    MeshInstance moving(*mesh, nullptr), still(*mesh, nullptr);
    moving.setAnimation(0);
    frame(moving);
    frame(still);
    expectNear(moving.positions()[1], {11, 2, 0});
    expectNear(still.positions()[1], {0, 1, 0});
    EXPECT_NE(&moving.positions()[0], &still.positions()[0]);
}

// --- animation clock ---

MshFile slidingBone(int frames) {
    MshFile file;
    file.bones = {MshBone::at(0, 0, 0)};
    content::MshBoneKeys keys = test::constantKeys(frames);
    for (int k = 0; k < frames; ++k)
        keys.positions[static_cast<size_t>(k)] = {10.0f * static_cast<float>(k), 0, 0};
    file.animations.push_back({frames, {keys}});
    return file;
}

float boneXAt(DynamicMesh& mesh, uint32_t startMs, uint32_t nowMs) {
    MeshInstance instance(mesh, nullptr);
    frameClock().set(startMs);
    instance.setAnimation(0);
    frameClock().set(nowMs);
    instance.update();
    return instance.modelSkinMatrices()[0].m[12];
}

TEST_F(MeshInstanceTest, AnimationRunsFromTheFrameTickWhenItWasSet) {
    auto mesh = load(slidingBone(3));  // keys 0, 10, 20 over 300 ms
    EXPECT_EQ(boneXAt(*mesh, 1000, 1000), 0.0f);
    EXPECT_FLOAT_EQ(boneXAt(*mesh, 1000, 1075), 5.0f);
    EXPECT_FLOAT_EQ(boneXAt(*mesh, 1000, 1150), 10.0f);
    EXPECT_EQ(boneXAt(*mesh, 1000, 1300), 0.0f);   // a whole length: key 0
    EXPECT_EQ(boneXAt(*mesh, 1000, 61000), 0.0f);  // two hundred lengths
    EXPECT_GT(boneXAt(*mesh, 1000, 1299), 19.8f);  // approaching the last key
}

TEST_F(MeshInstanceTest, AnimationSurvivesTheTickCounterWrapping) {
    auto mesh = load(slidingBone(2));  // keys 0, 10 over 200 ms
    // Started 100 ms before the wrap, drawn 50 ms after it: 150 ms in.
    EXPECT_FLOAT_EQ(boneXAt(*mesh, 0xFFFFFF9Cu, 50u), 7.5f);
}

TEST_F(MeshInstanceTest, OneKeyTrackHoldsItsKey) {
    auto mesh = load(slidingBone(1));
    for (uint32_t now : {1000u, 1001u, 1050u, 1100u, 98765u})
        EXPECT_EQ(boneXAt(*mesh, 1000, now), 0.0f);
    MshFile file = slidingBone(1);
    file.animations[0].bones[0].positions[0] = {4, 5, 6};
    auto moved = load(file, "moved.msh");
    EXPECT_EQ(boneXAt(*moved, 1000, 4321), 4.0f);
}

TEST_F(MeshInstanceTest, SetAnimationOutOfRangeNamesItAndKeepsTheOldOne) {
    auto mesh = load(slidingBone(2), "slide.msh");
    MeshInstance instance(*mesh, nullptr);
    instance.setAnimation(0);
    frameClock().set(5000);
    const std::string text = test::exceptionText([&] { instance.setAnimation(1); });
    EXPECT_THAT(text, testing::HasSubstr("Dynamic mesh slide.msh has no animation 1, only 1 "
                                         "animations\n"));
    EXPECT_EQ(instance.animationIndex(), 0);
    EXPECT_EQ(instance.animationStartMs(), 1000u);
    EXPECT_NE(test::exceptionText([&] { instance.setAnimation(-1); }), "");
}

TEST_F(MeshInstanceTest, CorruptWordsNeverCrashLoadingPosingOrSkinning) {
    const std::string good = content::mshBytes(bentArm());
    int loaded = 0, refused = 0;
    for (size_t at = 0; at + 4 <= good.size(); at += 4) {
        for (uint32_t word : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 3u, 0x7FC00000u}) {
            std::string bytes = good;
            std::memcpy(&bytes[at], &word, 4);
            DataStream stream(bytes.data(), static_cast<int>(bytes.size()));
            DynamicMesh mesh("corrupt.msh", nullptr, &techniques);
            if (test::exceptionText([&] { mesh.read(stream); }) != "") {
                ++refused;
                continue;
            }
            ++loaded;
            MeshInstance instance(mesh, nullptr);
            if (mesh.animationCount() > 0) instance.setAnimation(0);
            frameClock().set(1234);
            instance.update();
            instance.skin();
        }
    }
    // Both kinds occur: floats take any value, counts and indices mostly fail.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

// --- driver and queue ---

TEST_F(MeshInstanceTest, InstanceWritesItsOwnDynamicArrayAndUpdatesThreeAttributes) {
    auto mesh = load(bentArm());
    driver.clearCalls();
    MeshInstance arm(*mesh, nullptr);
    EXPECT_EQ(driver.calls(),
              (std::vector<std::string>{"dVAMemNeeded(5, 263)", "dVAAlloc(5, 263, 289)",
                                        "dVAWriteVertsArray(ptr, ptr, 5)"}));
    driver.clearCalls();
    arm.setAnimation(0);
    arm.update();
    EXPECT_TRUE(driver.calls().empty());  // posing alone touches no array
    arm.skin();
    arm.skin();
    EXPECT_EQ(driver.calls(), (std::vector<std::string>{"dVAUpdateVertsArray(ptr, ptr, 5, 7)",
                                                        "dVAUpdateVertsArray(ptr, ptr, 5, 7)"}));
}

TEST_F(MeshInstanceTest, QueuedFacesCarryTheInstancePlacedOnTheView) {
    auto mesh = load(bentArm());
    MeshInstance arm(*mesh, nullptr);
    frame(arm, {1, 2, 3, 0});
    RenderContext context;
    context.modelView = Matrix4::scaling(2, 2, 2);  // the view
    arm.queueFaces(context, &RenderTechnique::ambientPasses);
    ASSERT_EQ(renderQueue()->queuedCount(), 1);
    EXPECT_EQ(renderQueue()->drawCount(), static_cast<int>(mesh->faceBatches().size()));
    const RenderContext& queued = renderQueue()->slot(0);
    EXPECT_EQ(queued.object, &arm);
    EXPECT_EQ(queued.objectMatrix, &arm.worldMatrix);
    EXPECT_EQ(queued.modelView, multiply(Matrix4::scaling(2, 2, 2), Matrix4::translation(1, 2, 3)));
    renderQueue()->flush();
}

TEST_F(MeshInstanceTest, ShadowVolumeQueuesFaceAndEdgePolygonBatches) {
    // The triangles meet along positions 1 and 2 with vertices 1 and 3 at position 1
    // and vertex 2 shared: one three-corner edge polygon.
    auto mesh = load(bentArm());
    ASSERT_EQ(mesh->faceBatches().size(), 1u);
    ASSERT_EQ(mesh->edgeBatches().size(), 1u);
    EXPECT_EQ(mesh->edgeBatches()[0]->indices, (std::vector<uint32_t>{1, 3, 2}));
    MeshInstance arm(*mesh, nullptr);
    frame(arm);
    PassList passes;
    arm.queueWithPasses(renderContext(), passes, false);
    EXPECT_EQ(renderQueue()->drawCount(), 1);
    renderQueue()->flush();
    arm.queueWithPasses(renderContext(), passes, true);
    EXPECT_EQ(renderQueue()->drawCount(), 2);
    renderQueue()->flush();
}

TEST_F(MeshInstanceTest, LoadingByNameSharesOneMeshAndCountsInstances) {
    write("arm.msh", bentArm());
    ResourceRegistry meshes;
    auto first = loadDynamicMesh(meshes, nullptr, &techniques, "arm.msh");
    auto second = loadDynamicMesh(meshes, nullptr, &techniques, "ARM.MSH");
    EXPECT_EQ(&first->mesh(), &second->mesh());
    EXPECT_EQ(meshes.size(), 1u);
    EXPECT_EQ(first->mesh().refCount(), 2);
    EXPECT_EQ(first->mesh().positionCount(), 4);
    second.reset();
    EXPECT_EQ(first->mesh().refCount(), 1);
}

TEST_F(MeshInstanceTest, FailedLoadRegistersNothing) {
    MshFile file = bentArm();
    file.vertices[0].position = 40;
    write("broken.msh", file);
    ResourceRegistry meshes;
    const std::string text =
        test::exceptionText([&] { loadDynamicMesh(meshes, nullptr, &techniques, "broken.msh"); });
    EXPECT_THAT(text, testing::HasSubstr("Couldn't stream dynamic mesh broken.msh\n"));
    EXPECT_EQ(meshes.size(), 0u);
}

}  // namespace
}  // namespace arvel
