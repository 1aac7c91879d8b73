// The arvel-import program: what it writes, prints and returns.
#include <gtest/gtest.h>

#ifdef ARVEL_HAVE_IMPORTER
#include <gmock/gmock.h>

#include <filesystem>

#include "MshReader.h"
#include "shared/TempDir.h"
#include "support/Process.h"

namespace arvel {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

const fs::path kModels = "/usr/share/assimp/models";

class ImportToolTest : public ::testing::Test {
protected:
    test::ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), ARVEL_BIN_DIR "/arvel-import");
        test::Process tool(arguments, folder.path().string());
        return tool.wait(120);
    }
    std::string out(const char* name) const { return (folder.path() / name).string(); }
    static std::string model(const char* relative) { return (kModels / relative).string(); }
    void needModels() {
        if (!fs::is_directory(kModels))
            GTEST_SKIP() << "Debian's assimp-testmodels package is not installed (no " << kModels
                         << ")";
    }

    test::TempDir folder;
};

TEST_F(ImportToolTest, WritesASkinnedMeshAndSummarisesIt) {
    needModels();
    if (IsSkipped()) return;
    const test::ProcessResult result = run({model("FBX/huesitos.fbx"), out("bones.msh")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out,
                HasSubstr("bones.msh: skinned mesh, 11 bones, 1 animations (frames 16)"));
    const content::MshFile file = content::loadMsh(out("bones.msh"));
    EXPECT_EQ(file.bones.size(), 11u);
    EXPECT_EQ(file.materials[0].technique, "dynamic_default.rt");
}

TEST_F(ImportToolTest, ListsWhatItDroppedOnStandardError) {
    needModels();
    if (IsSkipped()) return;
    const test::ProcessResult result =
        run({model("FBX/animation_with_skeleton.fbx"), out("skeleton.msh")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.err, HasSubstr("dropped: "));
    EXPECT_THAT(result.err, HasSubstr("beyond four"));
}

TEST_F(ImportToolTest, StaticPropsTakeTheGivenTechniqueAndCopyTheirTextures) {
    needModels();
    if (IsSkipped()) return;
    const test::ProcessResult result =
        run({"--technique", "static_bump.rt", "--copy-textures", out("textures"),
             model("Collada/duck.dae"), out("duck.msh")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("static prop, 0 bones"));
    EXPECT_EQ(content::loadMsh(out("duck.msh")).materials[0].technique, "static_bump.rt");
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "textures" / "duckCM.tga"));
}

TEST_F(ImportToolTest, ForcedKindsOverrideTheModel) {
    needModels();
    if (IsSkipped()) return;
    ASSERT_EQ(run({"--static", model("X/Testwuson.X"), out("a.msh")}).exitCode, 0);
    EXPECT_TRUE(content::loadMsh(out("a.msh")).bones.empty());
    ASSERT_EQ(run({"--animated", model("Collada/duck.dae"), out("b.msh")}).exitCode, 0);
    const content::MshFile duck = content::loadMsh(out("b.msh"));
    EXPECT_FALSE(duck.bones.empty());
    ASSERT_EQ(duck.animations.size(), 1u);
    EXPECT_EQ(duck.animations[0].frameCount, 1);
}

TEST_F(ImportToolTest, BadArgumentsPrintUsageAndReturnTwo) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"only-one.x"},
                                               {"a", "b", "c"},
                                               {"--frobnicate", "a", "b"},
                                               {"a", "b", "--technique"}}) {
        const test::ProcessResult result = run(arguments);
        EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(arguments);
        EXPECT_THAT(result.err, HasSubstr("usage:"));
    }
    const test::ProcessResult scale = run({"--scale", "-2", "a", "b"});
    EXPECT_EQ(scale.exitCode, 2);
    EXPECT_THAT(scale.err, HasSubstr("--scale needs a positive number, not \"-2\""));
}

TEST_F(ImportToolTest, UnreadableInputFailsWithAMessageAndWritesNothing) {
    folder.write("broken.fbx", "Kaydara FBX Binary  and then nothing an FBX reader expects");
    const test::ProcessResult result = run({out("broken.fbx"), out("broken.msh")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err, HasSubstr("broken.fbx"));
    EXPECT_FALSE(fs::exists(out("broken.msh")));
    const test::ProcessResult missing = run({out("absent.dae"), out("absent.msh")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_THAT(missing.err, HasSubstr("absent.dae: no such file"));
}

TEST_F(ImportToolTest, UnwritableOutputFailsWithAMessage) {
    needModels();
    if (IsSkipped()) return;
    const test::ProcessResult result =
        run({model("FBX/huesitos.fbx"), out("no/such/folder/out.msh")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.err, HasSubstr("cannot write"));
}

}  // namespace
}  // namespace arvel
#endif
