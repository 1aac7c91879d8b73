// game drawn with dbg_flat_white against the ray-traced reference (arvel-reference):
// lit and shadowed must agree on at least 99% of the pixels away from shadow and
// geometry edges, from eight places in the demo and in purpose-made levels (the
// camera inside shadow volumes, lights inside boxes, shadows through a portal, the
// skinned creature's shadow on a wall), each in a 4:3, a 16:9 and a 5:4 window, and in
// a level modelled in Blender where Blender is installed. The comparison itself must
// fail when the shadows are missing on either side. Where lights are brighter than 1,
// the colours must agree too: lit and shadowed alone would pass a light gone white.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>

#include "GameCapture.h"
#include "reference/Comparison.h"
#include "reference/GameView.h"
#include "support/Blender.h"

namespace arvel::test {
namespace {

constexpr double kRequiredAgreement = 0.99;
// A view must decide at least this share of its pixels, or it proves little.
constexpr double kRequiredCounted = 0.3;
// Of the compared pixels, those whose colour must lie near the reference's.
constexpr double kRequiredColourAgreement = 0.95;

struct Case {
    const char* name;
    const char* level;  // a level of levels/, or nullptr for the demo
    const char* camera;
    bool meshes;           // keep test.msh and testa.msh
    bool colours = false;  // compare colours as well as lit and shadowed
};

// gtest prints parameters by name, not as bytes.
void PrintTo(const Case& value, std::ostream* out) { *out << value.name; }

const Case kCases[] = {
    {"HallStart", nullptr, "-50.44 40.717 -36.719 0 -135 0", true},
    {"HallLookingDown", nullptr, "-50.44 40.717 -36.719 10 -135 0", true},
    {"EntranceIntoTheHall", nullptr, "50 50 10 0 -60 0", true},
    {"GalleryFromTheHall", nullptr, "-70 50 0 5 -20 0", true},
    {"DownTheStairwell", nullptr, "-140 45 -35 30 -95 0", true},
    {"Entrance", nullptr, "0 55 10 5 60 0", true},
    {"CryptWithTheArm", nullptr, "-160 -90 -70 25 -65 0", true},
    {"VaultThroughItsDoor", nullptr, "-65 -85 -84 25 -40 0", true},
    // Behind one pillar from a static light and another from a dynamic one.
    {"CameraInsideShadowVolumes", "camera_in_shadow", "50 20 75 10 0 0", false},
    // A static and a dynamic light each shut in a closed box, a third light outside.
    {"LightsInsideBoxes", "light_in_box", "90 30 10 20 -135 0", false},
    // A pillar's shadows from a static and a dynamic light run through a door.
    {"ShadowsThroughAPortal", "shadow_through_portal", "130 25 30 10 -90 0", false},
    // The creature in front of a wall, lit by a static and a dynamic light.
    {"SkinnedMeshShadowOnAWall", "mesh_shadow_on_wall", "-80 55 5 20 10 0", true},
    // A warm static and a blue dynamic light, both brighter than 1, and a pillar's shadows.
    {"LightsBrighterThanOne", "overbright_lights", "50 20 95 20 0 0", false, true},
};

// Window sizes: the golden pictures' 4:3, and two shapes whose frame is wider or
// narrower (the same height of view, more or less across).
struct WindowSize {
    const char* name;
    int width, height;
};

void PrintTo(const WindowSize& value, std::ostream* out) { *out << value.name; }

const WindowSize kFourByThree{"FourByThree", kCaptureWidth, kCaptureHeight};
const WindowSize kSizes[] = {kFourByThree, {"SixteenByNine", 854, 480}, {"FiveByFour", 640, 512}};

const Case& named(const std::string& name) {
    for (const Case& c : kCases)
        if (name == c.name) return c;
    throw std::invalid_argument("no case " + name);
}

struct Outcome {
    Capture capture;
    reference::Comparison comparison;
    reference::ReferenceImage reference;
};

class ReferenceAgreement : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no DISPLAY: end-to-end tests need an X server";
    }

    // Runs game in the case's scene in a window of that size and draws the reference of
    // the same frame.
    Outcome run(const Case& c, const std::vector<std::string>& settings = {},
                bool referenceShadows = true, const WindowSize& size = kFourByThree) {
        Outcome outcome;
        if (c.level) {
            std::string message;
            EXPECT_TRUE(scene_.useLevel(c.level, message)) << message;
        }
        if (!c.meshes) scene_.removeMeshes();
        std::vector<std::string> lines{"dbg_flat_white true",
                                       "scr_width " + std::to_string(size.width),
                                       "scr_height " + std::to_string(size.height)};
        lines.insert(lines.end(), settings.begin(), settings.end());
        outcome.capture = scene_.capture(c.camera, lines);
        EXPECT_EQ(outcome.capture.result.signal, 0) << outcome.capture.result.err;
        if (outcome.capture.picture.width != size.width ||
            outcome.capture.picture.height != size.height) {
            ADD_FAILURE() << "no " << size.width << " x " << size.height << " screenshot\n"
                          << outcome.capture.result.err;
            return outcome;
        }
        reference::GameView view = reference::readGameView(scene_.path());
        view.options.shadows = referenceShadows;
        const reference::Scene scene = reference::loadGameScene(scene_.path(), view);
        outcome.reference = reference::render(scene, view.camera, view.options);
        outcome.comparison =
            reference::compareLighting(outcome.reference, outcome.capture.picture.rgb.data());
        return outcome;
    }

    // Leaves the game's picture, the reference and the difference for a person.
    std::string keep(const std::string& name, const Outcome& outcome) {
        const std::filesystem::path folder = failureFolder();
        const int w = outcome.reference.width, h = outcome.reference.height;
        writePng(folder / (name + "-game.png"), outcome.capture.picture);
        writePng(folder / (name + "-reference.png"), {w, h, outcome.reference.rgb});
        writePng(folder / (name + "-difference.png"), {w, h, outcome.comparison.difference});
        return "pictures in " + folder.string() + " (red: disagreeing, blue: not compared)";
    }

    void expectAgreement(const Case& c, const WindowSize& size) {
        const Outcome outcome = run(c, {}, true, size);
        if (outcome.capture.picture.width != size.width) return;
        const double pixels = static_cast<double>(size.width) * size.height;
        EXPECT_GE(outcome.comparison.counted, kRequiredCounted * pixels)
            << outcome.comparison.summary();
        EXPECT_GE(outcome.comparison.agreement(), kRequiredAgreement)
            << c.name << " " << size.name << ": " << outcome.comparison.summary() << "; "
            << keep(std::string("reference-") + c.name + "-" + size.name, outcome);
        if (c.colours)
            EXPECT_GE(outcome.comparison.colourAgreement(), kRequiredColourAgreement)
                << c.name << " " << size.name << ": " << outcome.comparison.summary() << "; "
                << keep(std::string("colour-") + c.name + "-" + size.name, outcome);
    }

    GameScene scene_;
};

class ReferenceViews : public ReferenceAgreement,
                       public ::testing::WithParamInterface<std::tuple<Case, WindowSize>> {};

TEST_P(ReferenceViews, AgreesOnLitAndShadowedPixels) {
    expectAgreement(std::get<0>(GetParam()), std::get<1>(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Views, ReferenceViews,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::ValuesIn(kSizes)),
                         [](const ::testing::TestParamInfo<std::tuple<Case, WindowSize>>& info) {
                             return std::string(std::get<0>(info.param).name) + "In" +
                                    std::get<1>(info.param).name;
                         });

TEST_F(ReferenceAgreement, AReferenceWithoutShadowsDisagrees) {
    const Outcome outcome = run(named("CameraInsideShadowVolumes"), {}, false);
    ASSERT_GT(outcome.comparison.counted, 0);
    EXPECT_LT(outcome.comparison.agreement(), 0.9) << outcome.comparison.summary();
}

TEST_F(ReferenceAgreement, GameWithoutDynamicShadowsDisagrees) {
    // Without them the creature casts no shadow on the wall or the floor.
    const Outcome outcome = run(named("SkinnedMeshShadowOnAWall"), {"gfx_dshadows false"});
    ASSERT_GT(outcome.comparison.counted, 0);
    EXPECT_LT(outcome.comparison.agreement(), kRequiredAgreement) << outcome.comparison.summary();
}

TEST_F(ReferenceAgreement, TheToolComparesAScreenshotAndWritesBothPictures) {
    // In a 16:9 window: the tool draws the frame of the size autoexec.cfg gives.
    const WindowSize& wide = kSizes[1];
    const Outcome outcome = run(named("HallStart"), {}, true, wide);
    ASSERT_EQ(outcome.capture.picture.width, wide.width);
    const std::filesystem::path dir = scene_.path();
    Process tool(
        {ARVEL_BIN_DIR "/arvel-reference", "--compare", (dir / "shot.png").string(), "--difference",
         (dir / "difference.png").string(), dir.string(), (dir / "reference.png").string()},
        dir.string());
    const ProcessResult result = tool.wait(120);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("lit/shadowed agree on"), std::string::npos) << result.out;
    RgbImage picture, difference;
    ASSERT_TRUE(readPng(dir / "reference.png", picture));
    ASSERT_TRUE(readPng(dir / "difference.png", difference));
    EXPECT_EQ(picture.rgb, outcome.reference.rgb);
    EXPECT_EQ(difference.width, wide.width);
}

// The annex as a level maker makes it: modelled by data/levels/annex.py in Blender,
// exported by Blender's glTF exporter, compiled by arvel-level, drawn from each room
// and through both doorways.
class BlenderLevel : public ReferenceAgreement {
protected:
    void SetUp() override {
        ReferenceAgreement::SetUp();
        if (IsSkipped()) return;
        blender_ = blenderProgram();
        if (!blender_)
            GTEST_SKIP() << "Blender (with numpy) is not installed: not modelling levels";
    }

    // Exports the annex into the scene's folder; true when Blender succeeded.
    std::filesystem::path exportAnnex(const std::vector<std::string>& options = {}) {
        const std::filesystem::path glb = scene_.path() / "annex.glb";
        std::vector<std::string> args{glb.string()};
        args.insert(args.end(), options.begin(), options.end());
        const ProcessResult result = runBlender(*blender_, ARVEL_SOURCE_DIR "/data/levels/annex.py",
                                                args, scene_.path().string());
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        return glb;
    }

    std::optional<std::string> blender_;
};

TEST_F(BlenderLevel, TheAnnexAgreesWithTheReferenceFromEveryRoom) {
    std::string message;
    ASSERT_TRUE(scene_.useLevelSource(exportAnnex(), message)) << message;
    // Its images became Targa files beside the map, and its creature and camera start
    // went into test.cfg.
    EXPECT_TRUE(std::filesystem::exists(scene_.path() / "test_bricks.tga")) << message;
    EXPECT_TRUE(std::filesystem::exists(scene_.path() / "test_bricks_normal.tga")) << message;
    std::ifstream in(scene_.path() / "test.cfg");
    const std::string script{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(script.find("spawn test.msh 132 0 -48 "), std::string::npos) << script;
    EXPECT_NE(script.find("camera 9.6"), std::string::npos) << script;
    const Case views[] = {
        {"HallFromTheSouthWestCorner", nullptr, "10 22 -10 10 45 0", true},
        {"GalleryThroughItsDoor", nullptr, "72 19.2 -36 5 90 0", true},
        {"InsideTheGallery", nullptr, "162 30 -6 15 -45 0", true},
        {"NicheFromTheHall", nullptr, "42 24 -12 0 0 0", true},
    };
    for (const Case& view : views) {
        for (const WindowSize& size : {kSizes[0], kSizes[1]}) expectAgreement(view, size);
    }
}

TEST_F(BlenderLevel, APortalOnASolidWallIsRefusedByName) {
    const std::filesystem::path glb = exportAnnex({"--broken-portal"});
    const std::filesystem::path map = scene_.path() / "broken" / "annex.otm";
    std::filesystem::create_directories(map.parent_path());
    Process compiler({ARVEL_BIN_DIR "/arvel-level", glb.string(), map.string()},
                     scene_.path().string());
    const ProcessResult result = compiler.wait(120);
    EXPECT_EQ(result.exitCode, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("object \"portal:hall:gallery\""), std::string::npos) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(map.parent_path())) << "wrote files for a broken level";
}

}  // namespace
}  // namespace arvel::test
