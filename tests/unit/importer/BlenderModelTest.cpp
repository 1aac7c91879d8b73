// Models rigged and animated in Blender, exported by its own glTF exporter
// (tests/blender/animated_model.py), through the importer and the game's loader.
// Skipped, saying so, where Blender is not installed.
#include <gtest/gtest.h>

#ifdef ARVEL_HAVE_IMPORTER
#include <gmock/gmock.h>
#include <assimp/Importer.hpp>

#include <algorithm>
#include <filesystem>
#include <set>

#include "ImporterTestSupport.h"
#include "ModelImporter.h"
#include "MshReader.h"
#include "render/RenderBatch.h"
#include "support/Blender.h"
#include "support/SolidTarga.h"

namespace arvel {
namespace {

namespace fs = std::filesystem;
using content::ImportedModel;
using testing::HasSubstr;
using testing::Not;

const char* const kScript = ARVEL_SOURCE_DIR "/tests/blender/animated_model.py";

class BlenderModelTest : public test::LoaderTest {
protected:
    void SetUp() override {
        // Probed once: starting Blender takes a second or two.
        static const std::optional<std::string> program = test::blenderProgram();
        blender = program;
        if (!blender)
            GTEST_SKIP() << "Blender with Python's numpy is not installed (apt-get install "
                            "blender python3-numpy, or set ARVEL_BLENDER to its program)";
    }

    // Runs the script into the test's folder; the path of the .glb it wrote.
    fs::path exportTube(const std::string& name, const std::vector<std::string>& options) {
        std::vector<std::string> arguments{(folder.path() / name).string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const test::ProcessResult result =
            test::runBlender(*blender, kScript, arguments, folder.path().string(), 120);
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        return folder.path() / name;
    }

    std::optional<std::string> blender;
};

struct Tube {
    const char* test;
    int bones;
    int influences;  // per vertex, as weighted in Blender
    bool placed;     // the armature object moved up half a metre and scaled by two
    float top;       // the height of the tube's top at rest
};

void PrintTo(const Tube& tube, std::ostream* out) { *out << tube.test; }

// Few bones blended between neighbours; and more bones than a batch holds, each vertex
// weighted to more bones than a position keeps, under an armature placed in the scene.
const Tube kTubes[] = {{"FiveBones", 5, 2, false, 5.0f},
                       {"TwentyBonesSixInfluencesPlaced", 20, 6, true, 40.5f}};

class BlenderTubeTest : public BlenderModelTest, public ::testing::WithParamInterface<Tube> {};

TEST_P(BlenderTubeTest, ImportsWithItsBonesActionsAndWeightsAndTakesAssimpsPose) {
    if (IsSkipped()) return;
    const Tube& tube = GetParam();
    std::vector<std::string> options{"--bones", std::to_string(tube.bones), "--influences",
                                     std::to_string(tube.influences)};
    if (tube.placed) options.push_back("--placed");
    const fs::path path = exportTube("tube.glb", options);
    ASSERT_FALSE(HasFailure());
    const ImportedModel model = content::importModel(path);
    Assimp::Importer importer;
    const aiScene& scene = content::readModelScene(importer, path);
    MeshInstance& instance = load(model.mesh, "tube.msh");
    const DynamicMesh& mesh = instance.mesh();

    // The armature's node above the mesh is the one root; its bones follow it.
    ASSERT_TRUE(model.animated);
    EXPECT_EQ(mesh.boneCount(), tube.bones + 1);
    EXPECT_EQ(mesh.rootBones().size(), 1u);

    // "Bend" lasts 1.5 s, "Twist" 1 s, in the order Blender exported them.
    ASSERT_EQ(mesh.animationCount(), 2);
    ASSERT_EQ(scene.mNumAnimations, 2u);
    EXPECT_STREQ(scene.mAnimations[0]->mName.C_Str(), "Bend");
    EXPECT_EQ(mesh.animation(0).frameCount, 15);
    EXPECT_EQ(mesh.animation(1).frameCount, 10);

    // Blended weights survive; beyond four the largest stay, renormalised.
    size_t most = 0;
    for (int i = 0; i < mesh.positionCount(); ++i) {
        const MeshPosition& p = mesh.position(i);
        most = std::max(most, static_cast<size_t>(p.influenceCount()));
        float sum = 0;
        for (int k = 0; k < p.influenceCount(); ++k) sum += p.weights[static_cast<size_t>(k)];
        ASSERT_NEAR(sum, 1.0f, 1e-5f) << i;
    }
    EXPECT_EQ(most, static_cast<size_t>(std::min(tube.influences, 4)));
    EXPECT_EQ(model.droppedInfluences > 0, tube.influences > 4);

    // Closed, and wound counter-clockwise outwards after the turn from Z up to Y up.
    EXPECT_EQ(test::openOrMismatchedEdges(mesh), 0);
    EXPECT_EQ(test::facesAgainstTheirNormals(mesh), 0);
    EXPECT_GT(test::enclosedVolume(mesh), 0);

    // No batch skins with more bones than the vertex program holds.
    std::set<int> batched;
    for (const auto& batch : mesh.faceBatches()) {
        EXPECT_LE(batch->keySet.size(), static_cast<size_t>(RenderBatch::kMaxBones));
        batched.insert(batch->keySet.begin(), batch->keySet.end());
    }
    EXPECT_EQ(batched.size(), static_cast<size_t>(tube.bones));

    // At rest the tube stands up the engine's Y as it stood up Blender's Z, whether
    // skinned or imported as a prop.
    const auto top = [](const content::MshFile& file) {
        float y = -1e30f;
        for (const content::MshPosition& p : file.positions) y = std::max(y, p.point[1]);
        return y;
    };
    EXPECT_NEAR(top(model.mesh), tube.top, 1e-3f);
    content::ImportOptions asProp;
    asProp.kind = content::ImportKind::kStatic;
    EXPECT_NEAR(top(content::importModel(path, asProp).mesh), tube.top, 1e-3f);
    const std::vector<aiVector3D> rest = test::assimpPoints(scene, nullptr, 0);

    for (int a = 0; a < 2; ++a) {
        // The action moves the tube well away from its rest pose...
        const aiAnimation& source = *scene.mAnimations[a];
        const std::vector<aiVector3D> posed =
            test::assimpPoints(scene, &source, source.mDuration / 3);
        float moved = 0;
        for (size_t v = 0; v < rest.size(); ++v)
            moved = std::max(moved, (posed[v] - rest[v]).Length());
        EXPECT_GT(moved, 0.1f * test::extent(rest)) << "animation " << a;
        // ...and the engine skins it where assimp does.
        test::expectAssimpsPoseAtEveryThird(instance, model.mesh, scene, a);
    }
}

INSTANTIATE_TEST_SUITE_P(Blender, BlenderTubeTest, ::testing::ValuesIn(kTubes),
                         [](const auto& info) { return std::string(info.param.test); });

TEST_F(BlenderModelTest, TheImportToolWritesTheExportNamingItsActionsAndEmbeddedImage) {
    if (IsSkipped()) return;
    const fs::path model = exportTube("tube.glb", {"--texture"});
    ASSERT_FALSE(HasFailure());
    const auto importTool = [&](const std::vector<std::string>& options) {
        std::vector<std::string> argv{ARVEL_BIN_DIR "/arvel-import"};
        argv.insert(argv.end(), options.begin(), options.end());
        argv.insert(argv.end(), {model.string(), (folder.path() / "tube.msh").string()});
        return test::Process(argv, folder.path().string()).wait(60);
    };
    test::ProcessResult result = importTool({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("skinned mesh, 6 bones, 2 animations (frames 15, 10)"));
    EXPECT_THAT(result.out, HasSubstr("animation 1: \"Twist\""));
    EXPECT_THAT(result.err, HasSubstr("embedded texture *0 (\"Stripes\", png) is not converted"));
    EXPECT_TRUE(content::loadMsh(folder.path() / "tube.msh").materials.at(0).textures.empty());

    // A Targa of the image's name beside the model stands in for it.
    folder.write("Stripes.tga", test::solidTarga(2, 2, 200, 120, 20));
    result = importTool({"--copy-textures", (folder.path() / "textures").string()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.err, Not(HasSubstr("embedded")));
    EXPECT_EQ(content::loadMsh(folder.path() / "tube.msh").materials.at(0).textures,
              std::vector<std::string>{"Stripes.tga"});
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "textures" / "Stripes.tga"));
}

}  // namespace
}  // namespace arvel

#else

TEST(BlenderModelTest, NeedsTheImporter) {
    GTEST_SKIP() << "arvel_import was not built: install libassimp-dev and configure again";
}

#endif
