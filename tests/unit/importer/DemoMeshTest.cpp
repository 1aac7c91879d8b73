#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "DemoMeshes.h"
#include "ImporterTestSupport.h"
#include "MshReader.h"
#include "render/RenderBatch.h"
#include "support/Process.h"

namespace arvel {
namespace {

using content::MshFile;

struct DemoMesh {
    const char* name;
    MshFile (*make)();
    int frames;
};

void PrintTo(const DemoMesh& mesh, std::ostream* out) { *out << mesh.name; }

const DemoMesh kDemoMeshes[] = {{"test.msh", content::makeTentacleCreature, 41},
                                {"testa.msh", content::makeMachineArm, 61}};

class DemoMeshTest : public test::LoaderTest, public ::testing::WithParamInterface<DemoMesh> {
protected:
    MeshInstance& loadDemo() { return load(GetParam().make(), GetParam().name); }
};

float boxSize(const BoundingBox& box) { return length3(box.max - box.min); }

TEST_P(DemoMeshTest, LoadsWithAtLeastTwentyBonesAndOneLoop) {
    const DynamicMesh& mesh = loadDemo().mesh();
    EXPECT_GE(mesh.boneCount(), 20);
    ASSERT_EQ(mesh.animationCount(), 1);
    EXPECT_EQ(mesh.animation(0).frameCount, GetParam().frames);
    EXPECT_GT(mesh.faceCount(), 500);
    EXPECT_EQ(mesh.rootBones().size(), 1u);
}

TEST_P(DemoMeshTest, SplitsIntoSeveralBatchesOfAtMostSixteenBones) {
    const DynamicMesh& mesh = loadDemo().mesh();
    std::set<int> bones;
    int faces = 0;
    for (const auto& batch : mesh.faceBatches()) {
        EXPECT_LE(batch->keySet.size(), static_cast<size_t>(RenderBatch::kMaxBones));
        bones.insert(batch->keySet.begin(), batch->keySet.end());
        faces += batch->faceCount;
    }
    EXPECT_GT(mesh.faceBatches().size(), 1u);
    EXPECT_GT(bones.size(), static_cast<size_t>(RenderBatch::kMaxBones));
    EXPECT_EQ(faces, mesh.faceCount());
}

TEST_P(DemoMeshTest, IsClosedWithEveryFaceWoundOutwards) {
    const DynamicMesh& mesh = loadDemo().mesh();
    ASSERT_GT(mesh.edgeCount(), 0);
    EXPECT_EQ(test::openOrMismatchedEdges(mesh), 0);
    EXPECT_EQ(test::facesAgainstTheirNormals(mesh), 0);
    EXPECT_GT(test::enclosedVolume(mesh), 10.0);
    EXPECT_FALSE(mesh.edgeBatches().empty());
}

TEST_P(DemoMeshTest, FitsARoomAndStandsOnTheFloor) {
    MeshInstance& instance = loadDemo();
    for (uint32_t ms : {0u, 1000u, 2500u}) {
        poseAt(instance, 0, ms);
        const BoundingBox& box = instance.boundingBox;
        EXPECT_GT(boxSize(box), 8.0f) << ms;
        EXPECT_LT(box.max.y - box.min.y, 20.0f) << ms;
        EXPECT_LT(std::max(box.max.x - box.min.x, box.max.z - box.min.z), 30.0f) << ms;
        EXPECT_NEAR(box.min.y, 0.0f, 0.5f) << ms;
    }
}

TEST_P(DemoMeshTest, AnimationMovesTheBoxAndLoopsBackToItsStart) {
    MeshInstance& instance = loadDemo();
    const uint32_t lengthMs = static_cast<uint32_t>(GetParam().frames) * 100;
    poseAt(instance, 0, 0);
    const std::vector<RenderPosition> start = instance.positions();
    const BoundingBox startBox = instance.boundingBox;
    poseAt(instance, 0, lengthMs / 3);
    const BoundingBox middleBox = instance.boundingBox;
    EXPECT_GT(length3(middleBox.min - startBox.min) + length3(middleBox.max - startBox.max), 0.3f);

    // Just before the end the keys approach the last, which repeats the first.
    float largest = 0, moved = 0;
    poseAt(instance, 0, lengthMs / 2);
    const std::vector<RenderPosition> middle = instance.positions();
    poseAt(instance, 0, lengthMs - 1);
    for (size_t i = 0; i < start.size(); ++i) {
        const RenderPosition& p = instance.positions()[i];
        largest =
            std::max(largest, std::hypot(p.x - start[i].x, p.y - start[i].y, p.z - start[i].z));
        moved = std::max(moved, std::hypot(middle[i].x - start[i].x, middle[i].y - start[i].y,
                                           middle[i].z - start[i].z));
    }
    EXPECT_LT(largest, 0.05f);
    EXPECT_GT(moved, 1.0f);
}

TEST_P(DemoMeshTest, SkinningNeverStretchesAnEdge) {
    // Bind matrices that disagreed with the keys would tear the surface apart.
    MeshInstance& instance = loadDemo();
    const DynamicMesh& mesh = instance.mesh();
    for (uint32_t ms = 0; ms < static_cast<uint32_t>(GetParam().frames) * 100; ms += 370) {
        poseAt(instance, 0, ms);
        for (int e = 0; e < mesh.edgeCount(); ++e) {
            const MeshEdge& edge = mesh.edge(e);
            const RenderPosition& a = instance.positions()[static_cast<size_t>(edge.first->index)];
            const RenderPosition& b = instance.positions()[static_cast<size_t>(edge.second->index)];
            const float bind = length3(edge.first->point() - edge.second->point());
            const float skinned = std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
            ASSERT_LT(skinned, 1.6f * bind + 0.05f) << "edge " << e << " at " << ms << " ms";
        }
    }
}

TEST_P(DemoMeshTest, WrittenFileReadsBackUnchanged) {
    const MshFile file = GetParam().make();
    const std::string bytes = content::mshBytes(file);
    EXPECT_EQ(content::mshBytes(content::parseMsh(bytes)), bytes);
}

INSTANTIATE_TEST_SUITE_P(Demo, DemoMeshTest, ::testing::ValuesIn(kDemoMeshes),
                         [](const auto& info) {
                             return std::string(info.param.name[4] == 'a' ? "MachineArm"
                                                                          : "TentacleCreature");
                         });

class MachineArmTest : public test::LoaderTest {};

TEST_F(MachineArmTest, FirstFrameIsTheBindPose) {
    // The arm's rest pose is its first frame: skinning at 0 ms gives the file's points.
    MeshInstance& instance = load(content::makeMachineArm(), "testa.msh");
    poseAt(instance, 0, 0);
    const DynamicMesh& mesh = instance.mesh();
    for (int i = 0; i < mesh.positionCount(); ++i) {
        const RenderPosition& p = instance.positions()[static_cast<size_t>(i)];
        const Vector4 bind = mesh.position(i).point();
        ASSERT_NEAR(p.x, bind.x, 1e-3f) << i;
        ASSERT_NEAR(p.y, bind.y, 1e-3f) << i;
        ASSERT_NEAR(p.z, bind.z, 1e-3f) << i;
    }
}

TEST(GenMeshesToolTest, WritesBothMeshesAndTheirTextures) {
    test::TempDir folder;
    test::Process tool({ARVEL_BIN_DIR "/arvel-gen-meshes", (folder.path() / "data").string()},
                       folder.path().string());
    const test::ProcessResult result = tool.wait(60);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    for (const char* name : {"data/test.msh", "data/testa.msh"})
        EXPECT_GE(content::loadMsh(folder.path() / name).bones.size(), 20u) << name;
    for (const char* texture : {content::kCreatureTexture, content::kMachineTexture})
        EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() / "data/textures" / texture));
}

TEST(GenMeshesToolTest, UnwritableFolderFailsWithAMessage) {
    test::TempDir folder;
    folder.write("blocked", "a file, not a folder");
    test::Process tool({ARVEL_BIN_DIR "/arvel-gen-meshes", (folder.path() / "blocked").string()},
                       folder.path().string());
    const test::ProcessResult result = tool.wait(60);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("cannot"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace arvel
