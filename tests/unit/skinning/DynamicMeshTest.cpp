#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include "SkinningTestSupport.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "render/ResourceRegistry.h"
#include "world/MeshInstance.h"

namespace arvel {
namespace {

using content::MshBone;
using content::MshFile;
using test::addTriangle;
using testing::HasSubstr;

class DynamicMeshTest : public test::SkinningTest {};

// --- loading ---

TEST_F(DynamicMeshTest, TwentyFourZeroBytesLoadAnEmptyMeshThatInstancesAndDraws) {
    folder.write("empty.msh", std::string(24, '\0'));
    driver.clearCalls();
    ResourceRegistry meshes;
    auto instance = loadDynamicMesh(meshes, nullptr, &techniques, "empty.msh");
    const DynamicMesh& mesh = instance->mesh();
    EXPECT_EQ(mesh.boneCount(), 0);
    EXPECT_EQ(mesh.animationCount(), 0);
    EXPECT_EQ(mesh.materialCount(), 0);
    EXPECT_EQ(mesh.positionCount(), 0);
    EXPECT_EQ(mesh.faceCount(), 0);
    EXPECT_TRUE(mesh.faceBatches().empty());

    instance->update();
    instance->skin();
    instance->queueFaces(renderContext(), &RenderTechnique::ambientPasses);
    EXPECT_EQ(renderQueue()->queuedCount(), 0);
    EXPECT_TRUE(driver.calls().empty());
    EXPECT_TRUE(instance->boundingBox.isEmpty());
}

TEST_F(DynamicMeshTest, MissingFileLeavesTheMeshEmptyWithoutMessage) {
    DynamicMesh mesh("absent.msh", nullptr, &techniques);
    EXPECT_EQ(test::exceptionText([&] { mesh.stream(); }), "");
    EXPECT_EQ(mesh.positionCount(), 0);
}

TEST_F(DynamicMeshTest, BonesGetInvertedBindMatricesParentsAndRoots) {
    MshFile file;
    file.bones = {MshBone::at(0, 0, 0), MshBone::at(0, 2, 0), MshBone::at(5, 0, 0)};
    file.bones[1].children = {0};  // bone 1 is the parent of bone 0, named forward
    auto mesh = load(file);
    ASSERT_EQ(mesh->boneCount(), 3);
    EXPECT_EQ(mesh->bone(0).parentBone, &mesh->bone(1));
    EXPECT_EQ(mesh->bone(1).children, std::vector<Bone*>{&mesh->bone(0)});
    EXPECT_EQ(mesh->rootBones(), (std::vector<Bone*>{&mesh->bone(1), &mesh->bone(2)}));
    EXPECT_EQ(mesh->bone(1).inverseBindMatrix, Matrix4::translation(0, -2, 0));
    EXPECT_EQ(mesh->bone(2).inverseBindMatrix, Matrix4::translation(-5, 0, 0));
}

TEST_F(DynamicMeshTest, BindRowsFillTheMatrixRowByRow) {
    MshFile file;
    MshBone bone;
    bone.bindRows = {0, -1, 0, 7, 1, 0, 0, 8, 0, 0, 1, 9};  // 90 degrees about z, then move
    file.bones = {bone};
    auto mesh = load(file);
    Matrix4 bind;
    ASSERT_TRUE(mesh->bone(0).inverseBindMatrix.invert(bind));
    EXPECT_EQ(bind.m[4], -1.0f);  // row 0, column 1
    EXPECT_EQ(bind.m[1], 1.0f);   // row 1, column 0
    EXPECT_EQ(bind.m[12], 7.0f);
    EXPECT_EQ(bind.m[13], 8.0f);
    EXPECT_EQ(bind.m[14], 9.0f);
}

TEST_F(DynamicMeshTest, BoneBoxesGrowByTheirPositionsInBoneSpace) {
    MshFile file;
    file.bones = {MshBone::at(0, 2, 0)};
    file.bones[0].boxMin = {-0.5f, -0.5f, -0.5f};
    file.bones[0].boxMax = {0.5f, 0.5f, 0.5f};
    file.positions.push_back({{0, 3, 0}, {{0, 1.0f}}});
    file.positions.push_back({{0, -1, 0}, {}});  // moved by nothing: no box grows
    auto mesh = load(file);
    EXPECT_EQ(mesh->bone(0).boundingBox.min, (Vector4{-0.5f, -0.5f, -0.5f, 0}));
    EXPECT_EQ(mesh->bone(0).boundingBox.max, (Vector4{0.5f, 1, 0.5f, 0}));
}

TEST_F(DynamicMeshTest, AnimationTracksAreThreePerBoneWithQuaternionKeys) {
    MshFile file;
    file.bones = {MshBone::at(0, 0, 0), MshBone::at(0, 1, 0)};
    file.animations.push_back({2, {test::constantKeys(2), test::constantKeys(2)}});
    file.animations[0].bones[1].rotations[1] = {test::kHalfPi, {0, 0, 2}};
    file.animations[0].bones[1].rotations[0] = {1.3f, {0, 0, 0}};  // no axis: identity
    auto mesh = load(file);
    ASSERT_EQ(mesh->animationCount(), 1);
    const Animation& animation = mesh->animation(0);
    EXPECT_EQ(animation.frameCount, 2);
    EXPECT_FLOAT_EQ(animation.length(), 0.2f);
    ASSERT_EQ(animation.tracks.size(), 6u);
    const Track& rotation = animation.tracks[4];
    EXPECT_EQ(rotation.target, Track::Target::kRotation);
    EXPECT_EQ(rotation.bone, &mesh->bone(1));
    EXPECT_EQ(rotation.keyCount(), 2);
    EXPECT_EQ(rotation.rotations[0], Quaternion{});
    // (cos(-45 degrees), sin(-45 degrees) z)
    EXPECT_NEAR(rotation.rotations[1].w, 0.70710678f, 1e-6f);
    EXPECT_NEAR(rotation.rotations[1].z, -0.70710678f, 1e-6f);
    EXPECT_EQ(animation.tracks[5].target, Track::Target::kScale);
    EXPECT_EQ(animation.tracks[5].vectorKeys[0], (Vector4{1, 1, 1, 0}));
}

TEST_F(DynamicMeshTest, VerticesAndTrianglesReadWithMaterials) {
    MshFile file;
    file.materials.push_back({3, 51, "dynamic_default.rt", {}});
    addTriangle(file, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, -1);
    file.vertices[1].u = 0.25f;
    file.vertices[1].v = 0.75f;
    file.vertices[1].normal = {0, 1, 0};
    auto mesh = load(file);
    ASSERT_EQ(mesh->materialCount(), 1);
    EXPECT_TRUE(mesh->material(0).secondSwitch());
    EXPECT_NEAR(mesh->material(0).opacity(), 0.2f, 1e-6f);
    ASSERT_EQ(mesh->vertexCount(), 3);
    EXPECT_EQ(mesh->vertex(1).meshPosition(), &mesh->position(1));
    EXPECT_EQ(mesh->vertex(1).texCoord->u, 0.25f);
    EXPECT_EQ(mesh->vertex(1).texCoord->v, 0.75f);
    EXPECT_EQ(mesh->vertex(1).normalVector(), (Vector4{0, 1, 0, 0}));
    ASSERT_EQ(mesh->faceCount(), 1);
    EXPECT_EQ(mesh->face(0).material, &mesh->material(0));
    EXPECT_EQ(mesh->face(0).plane.normal, (Vector4{0, 0, 1, 0}));
    // The shared vertex array: position, normal, tangent, texture coordinates; dynamic.
    EXPECT_EQ(driver.callsTo({"dVAAlloc"}), std::vector<std::string>{"dVAAlloc(3, 263, 289)"});
}

// --- bad files ---

TEST_F(DynamicMeshTest, OutOfRangeIndicesNameTheIndexAndTheMesh) {
    struct Case {
        const char* text;
        void (*spoil)(MshFile&);
    };
    const Case cases[] = {
        {"Bone 0 refers to child bone 2, but there are 1\n",
         [](MshFile& f) { f.bones[0].children = {2}; }},
        {"Position 3 refers to bone -1, but there are 1\n",
         [](MshFile& f) {
             f.positions[3].influences = {{-1, 1.0f}};
         }},
        {"Vertex 2 refers to position 6, but there are 6\n",
         [](MshFile& f) { f.vertices[2].position = 6; }},
        {"Triangle 1 refers to vertex 7, but there are 6\n",
         [](MshFile& f) { f.triangles[1].vertices[2] = 7; }},
        {"Triangle 0 refers to material 1, but there are 1\n",
         [](MshFile& f) { f.triangles[0].material = 1; }},
    };
    for (const Case& c : cases) {
        MshFile file;
        file.bones = {MshBone::at(0, 0, 0)};
        file.materials.push_back({});
        addTriangle(file, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, 0);
        addTriangle(file, {{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}}}, 0);
        c.spoil(file);
        write("bad.msh", file);
        const std::string text = streamError("bad.msh");
        EXPECT_THAT(text, HasSubstr(c.text));
        EXPECT_THAT(text, HasSubstr("Couldn't stream dynamic mesh bad.msh\n"));
        EXPECT_THAT(text, testing::Not(HasSubstr("subscript"))) << text;
    }
}

TEST_F(DynamicMeshTest, FailedLoadLeavesTheMeshEmpty) {
    MshFile file;
    file.bones = {MshBone::at(0, 0, 0)};
    file.materials.push_back({});
    addTriangle(file, {{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}, 0);
    file.triangles[0].vertices[0] = 9;
    write("bad.msh", file);
    DynamicMesh mesh("bad.msh", nullptr, &techniques);
    EXPECT_NE(test::exceptionText([&] { mesh.stream(); }), "");
    EXPECT_EQ(mesh.boneCount(), 0);
    EXPECT_EQ(mesh.positionCount(), 0);
    EXPECT_EQ(mesh.vertexCount(), 0);
    EXPECT_EQ(mesh.materialCount(), 0);
}

TEST_F(DynamicMeshTest, CountsBeyondTheRemainingBytesFailAtOnce) {
    const char* const message = "Read past the end of a data stream\n";
    std::string bytes(24, '\0');
    bytes[3] = 0x40;  // 2^30 bones in 24 bytes
    folder.write("bones.msh", bytes);
    EXPECT_THAT(streamError("bones.msh"), HasSubstr(message));

    MshFile file;
    file.bones = {MshBone::at(0, 0, 0), MshBone::at(0, 0, 0)};
    file.animations.push_back({0x10000000, {}});  // keys for 2 bones of 2^28 frames
    write("frames.msh", file);
    const std::string text = streamError("frames.msh");
    EXPECT_THAT(text, HasSubstr(message));
    EXPECT_THAT(text, HasSubstr("Couldn't stream dynamic mesh frames.msh\n"));

    file = MshFile{};
    file.positions.push_back({{0, 0, 0}, {}});
    std::string positions = content::mshBytes(file);
    positions[4 * 4 + 12] = 0x7F;  // the position's influence count
    folder.write("influences.msh", positions);
    EXPECT_THAT(streamError("influences.msh"), HasSubstr(message));
}

TEST_F(DynamicMeshTest, SkeletonsMustBeTrees) {
    MshFile file;
    file.bones = {MshBone::at(0, 0, 0), MshBone::at(0, 0, 0), MshBone::at(0, 0, 0)};
    file.bones[0].children = {1};
    file.bones[1].children = {0};
    write("loop.msh", file);
    EXPECT_THAT(streamError("loop.msh"), HasSubstr("Bone 0 is its own ancestor\n"));

    file.bones[1].children = {2};
    file.bones[2].children = {1};  // 0 -> 1 -> 2 -> 1
    write("twice.msh", file);
    EXPECT_THAT(streamError("twice.msh"),
                HasSubstr("Bone 2 names bone 1 as its child, which already has a parent\n"));

    file.bones[1].children = {};
    file.bones[2].children = {2};
    write("self.msh", file);
    EXPECT_THAT(streamError("self.msh"), HasSubstr("Bone 2 names itself as its child\n"));
}

TEST_F(DynamicMeshTest, SingularBindMatrixIsRefused) {
    MshFile file;
    file.bones.push_back({});
    file.bones[0].bindRows = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    write("flat.msh", file);
    EXPECT_THAT(streamError("flat.msh"), HasSubstr("Bone 0 has a bind matrix without inverse\n"));
}

// --- edge polygons and batches ---

// Two triangles over the square (0, 0)-(1, 1) meeting along positions 1 and 2.
MshFile twoTriangles() {
    MshFile file;
    file.materials.push_back({});
    for (auto p : {std::array<float, 3>{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}})
        file.positions.push_back({p, {}});
    return file;
}

void addVertices(MshFile& file, std::initializer_list<int> positions) {
    for (int p : positions) {
        content::MshVertex vertex;
        vertex.position = p;
        file.vertices.push_back(vertex);
    }
}

TEST_F(DynamicMeshTest, EdgeWithSeparateVerticesAtBothEndsGivesFourCorners) {
    MshFile file = twoTriangles();
    addVertices(file, {0, 1, 2, 2, 1, 3});
    file.triangles = {{{0, 1, 2}, 0}, {{3, 4, 5}, 0}};
    auto mesh = load(file);
    ASSERT_EQ(mesh->edgeBatches().size(), 1u);
    const RenderBatch& batch = *mesh->edgeBatches()[0];
    EXPECT_EQ(batch.faceCount, 1);
    // (first end of face 0, first end of face 1, second end of face 1, second end of
    // face 0) = vertices 1, 4, 3, 2 as a fan.
    EXPECT_EQ(batch.indices, (std::vector<uint32_t>{1, 4, 3, 1, 3, 2}));
    EXPECT_EQ(batch.material, nullptr);
}

TEST_F(DynamicMeshTest, EdgeWithOneSharedVertexGivesThreeCorners) {
    MshFile file = twoTriangles();
    addVertices(file, {0, 1, 2, 1, 3});
    file.triangles = {{{0, 1, 2}, 0}, {{2, 3, 4}, 0}};  // both use vertex 2 at position 2
    auto mesh = load(file);
    ASSERT_EQ(mesh->edgeBatches().size(), 1u);
    EXPECT_EQ(mesh->edgeBatches()[0]->indices, (std::vector<uint32_t>{1, 3, 2}));
}

TEST_F(DynamicMeshTest, SharedVertexAtTheFirstEndAlsoGivesThreeCorners) {
    MshFile file = twoTriangles();
    addVertices(file, {0, 1, 2, 2, 3});
    file.triangles = {{{0, 1, 2}, 0}, {{3, 1, 4}, 0}};  // both use vertex 1 at position 1
    auto mesh = load(file);
    ASSERT_EQ(mesh->edgeBatches().size(), 1u);
    // (vertex 1 of both faces, then face 1's vertex 3 and face 0's vertex 2)
    EXPECT_EQ(mesh->edgeBatches()[0]->indices, (std::vector<uint32_t>{1, 3, 2}));
}

TEST_F(DynamicMeshTest, SmoothEdgesAndOpenEdgesGiveNoPolygon) {
    MshFile file = twoTriangles();
    addVertices(file, {0, 1, 2, 3});
    file.triangles = {{{0, 1, 2}, 0}, {{2, 1, 3}, 0}};
    auto mesh = load(file);
    EXPECT_EQ(mesh->edgeCount(), 5);
    EXPECT_TRUE(mesh->edgeBatches().empty());
}

TEST_F(DynamicMeshTest, TwentyBonesSplitTheFacesIntoBatchesOfAtMostSixteen) {
    MshFile file;
    file.materials.push_back({});
    for (int b = 0; b < 20; ++b) {
        file.bones.push_back(MshBone::at(0, 0, 0));
        const float z = static_cast<float>(b);
        addTriangle(file, {{{0, 0, z}, {1, 0, z}, {0, 1, z}}}, b);
    }
    auto mesh = load(file);
    ASSERT_EQ(mesh->faceBatches().size(), 2u);
    std::vector<int> first(16), second{16, 17, 18, 19};
    for (int i = 0; i < 16; ++i) first[static_cast<size_t>(i)] = i;
    EXPECT_EQ(mesh->faceBatches()[0]->keySet, first);
    EXPECT_EQ(mesh->faceBatches()[0]->faceCount, 16);
    EXPECT_EQ(mesh->faceBatches()[1]->keySet, second);
    EXPECT_EQ(mesh->faceBatches()[1]->indexCount(), 12);
}

TEST_F(DynamicMeshTest, EdgePolygonBatchesAlsoKeepToSixteenBones) {
    // A strip of 18 flat-shaded quads, each moved by a bone of its own: every inner
    // edge is hard (18 diagonals, 17 between quads) and touches one or two bones.
    MshFile file;
    file.materials.push_back({});
    for (int q = 0; q <= 18; ++q) {
        const float x = static_cast<float>(q);
        file.positions.push_back({{x, 0, 0}, {}});
        file.positions.push_back({{x, 1, 0}, {}});
    }
    for (int q = 0; q < 18; ++q) {
        file.bones.push_back(MshBone::at(0, 0, 0));
        const int a = 2 * q, b = a + 2, c = a + 3, d = a + 1;
        for (int p : {a, b, c, d}) file.positions[static_cast<size_t>(p)].influences = {{q, 1.0f}};
        addVertices(file, {a, b, c, a, c, d});
        const int v = 6 * q;
        file.triangles.push_back({{v, v + 1, v + 2}, 0});
        file.triangles.push_back({{v + 3, v + 4, v + 5}, 0});
    }
    auto mesh = load(file);
    int polygons = 0;
    for (const auto& batch : mesh->edgeBatches()) {
        EXPECT_LE(batch->keySet.size(), 16u);
        polygons += batch->faceCount;
    }
    EXPECT_EQ(polygons, 18 + 17);
    EXPECT_GE(mesh->edgeBatches().size(), 2u);
}

}  // namespace
}  // namespace arvel
