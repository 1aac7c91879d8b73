// The reference renderer on scenes small enough to work out by hand: the lighting
// formula, shadows, back-face culling, the camera's axes, the comparison's verdicts,
// and maps it must refuse without crashing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "OtmWriter.h"
#include "reference/Comparison.h"
#include "reference/GameView.h"
#include "reference/RayTracer.h"
#include "reference/Scene.h"
#include "shared/TempDir.h"

namespace arvel::reference {
namespace {

// A floor square at y = 0 from -size to size, facing up.
void addFloor(Scene& scene, double size) {
    const Vec3 a{-size, 0, -size}, b{-size, 0, size}, c{size, 0, size}, d{size, 0, -size};
    const Vec3 up{0, 1, 0};
    scene.triangles.push_back({{a, b, c}, {up, up, up}, 0});
    scene.triangles.push_back({{a, c, d}, {up, up, up}, 0});
}

PointLight lightAt(const Vec3& position, double radius) {
    PointLight light;
    light.position = position;
    light.outerRadius = radius;
    light.inSector = true;
    return light;
}

// Straight down from y = 10 at the floor's centre.
const CameraPlace kLookingDown{{0, 10, 0}, 90, 0, 0};

size_t centre(const ReferenceImage& image) {
    return static_cast<size_t>(image.height / 2) * static_cast<size_t>(image.width) +
           static_cast<size_t>(image.width / 2);
}

TEST(ReferenceCamera, AnglesGiveTheEngineViewAxes) {
    Vec3 right, up, back;
    cameraAxes({{}, 0, 0, 0}, right, up, back);
    EXPECT_NEAR(back.z, 1.0, 1e-9);  // looking along -z
    cameraAxes({{}, 90, 0, 0}, right, up, back);
    EXPECT_NEAR(back.y, 1.0, 1e-6);  // pitch 90 looks down
    cameraAxes({{}, 0, 90, 0}, right, up, back);
    EXPECT_NEAR(back.x, -1.0, 1e-6);  // yaw 90 looks along +x
}

TEST(ReferenceLighting, AmbientPlusDiffuseFallingOffToTheOuterRadius) {
    Scene scene;
    addFloor(scene, 100);
    scene.lights.push_back(lightAt({0, 5, 0}, 20));
    RenderOptions options;
    options.width = options.height = 9;
    const ReferenceImage image = render(scene, kLookingDown, options);
    const size_t p = centre(image);
    ASSERT_TRUE(image.samples[p].hit);
    EXPECT_NEAR(image.samples[p].point.y, 0.0, 1e-9);
    // Straight under the light: n . l = 1, distance 5 of 20.
    EXPECT_NEAR(image.lightAt(p, 0)[0], 255.0 * 0.75, 0.5);
    EXPECT_EQ(image.rgb[p * 3], 255);  // 64 + 191: white light at three quarters
    // A corner pixel sees the floor at a slant and further away: dimmer.
    EXPECT_LT(image.lightAt(0, 0)[0], image.lightAt(p, 0)[0]);
}

TEST(ReferenceLighting, ALightBeyondItsRadiusOrBehindTheSurfaceAddsNothing) {
    Scene scene;
    addFloor(scene, 100);
    scene.lights.push_back(lightAt({0, 30, 0}, 20));  // too far
    scene.lights.push_back(lightAt({0, -5, 0}, 20));  // below the floor
    RenderOptions options;
    options.width = options.height = 5;
    const ReferenceImage image = render(scene, kLookingDown, options);
    const size_t p = centre(image);
    EXPECT_EQ(image.lightAt(p, 0)[0], 0.0f);
    EXPECT_EQ(image.lightAt(p, 1)[0], 0.0f);
    EXPECT_EQ(image.rgb[p * 3], 64);
}

TEST(ReferenceLighting, ABlockerOnTheSegmentShadowsButNotWithShadowsOff) {
    Scene scene;
    addFloor(scene, 100);
    // A small square between the floor's centre and the light, facing down.
    const Vec3 down{0, -1, 0};
    scene.triangles.push_back({{{-1, 3, -1}, {1, 3, -1}, {1, 3, 1}}, {down, down, down}, 0});
    scene.triangles.push_back({{{-1, 3, -1}, {1, 3, 1}, {-1, 3, 1}}, {down, down, down}, 0});
    scene.lights.push_back(lightAt({0, 5, 0}, 20));
    RenderOptions options;
    options.width = options.height = 9;
    // From below the blocker's height, so that the camera sees the floor.
    const CameraPlace camera{{0, 2, 0}, 90, 0, 0};
    const ReferenceImage shadowed = render(scene, camera, options);
    EXPECT_FALSE(shadowed.visibleAt(centre(shadowed), 0));
    EXPECT_EQ(shadowed.rgb[centre(shadowed) * 3], 64);
    options.shadows = false;
    const ReferenceImage lit = render(scene, camera, options);
    EXPECT_TRUE(lit.visibleAt(centre(lit), 0));
    EXPECT_GT(lit.rgb[centre(lit) * 3], 200);
}

TEST(ReferenceLighting, BackFacesAreNotSeen) {
    Scene scene;
    addFloor(scene, 100);
    RenderOptions options;
    options.width = options.height = 3;
    // From under the floor, looking up at its back.
    const ReferenceImage image = render(scene, {{0, -10, 0}, -90, 0, 0}, options);
    EXPECT_FALSE(image.samples[centre(image)].hit);
}

TEST(ReferenceComparison, AgreesWithItselfAndNotWithTheOppositeShadows) {
    Scene scene;
    addFloor(scene, 100);
    const Vec3 down{0, -1, 0};
    // Its shadow on the floor reaches 2.7 from the centre; the camera sees 6 each way.
    scene.triangles.push_back(
        {{{-0.3, 8, -0.3}, {0.3, 8, -0.3}, {0.3, 8, 0.3}}, {down, down, down}, 0});
    scene.triangles.push_back(
        {{{-0.3, 8, -0.3}, {0.3, 8, 0.3}, {-0.3, 8, 0.3}}, {down, down, down}, 0});
    scene.lights.push_back(lightAt({0, 9, 0}, 40));
    RenderOptions options;
    options.width = options.height = 64;
    const CameraPlace camera{{0, 6, 0}, 90, 0, 0};
    const ReferenceImage image = render(scene, camera, options);
    ComparisonOptions compare;
    compare.maskTopRows = 0;
    const Comparison same = compareLighting(image, image.rgb.data(), compare);
    ASSERT_GT(same.counted, 1000);
    EXPECT_EQ(same.agreeing, same.counted);
    EXPECT_GT(same.edges, 0);  // the shadow's outline

    options.shadows = false;
    const ReferenceImage unshadowed = render(scene, camera, options);
    const Comparison wrong = compareLighting(image, unshadowed.rgb.data(), compare);
    EXPECT_LT(wrong.agreement(), 0.9);
}

TEST(ReferenceComparison, ColourSeesALightClampedToOneThatLitAndShadowedDoNot) {
    Scene scene;
    addFloor(scene, 100);
    // Close enough that even the view's corners get a fifth of it.
    PointLight bright = lightAt({0, 9, 0}, 15);
    const double colour[3] = {2.0, 0.9, 0.3};
    std::copy(std::begin(colour), std::end(colour), bright.colour);
    scene.lights.push_back(bright);
    RenderOptions options;
    options.width = options.height = 32;
    const CameraPlace camera{{0, 6, 0}, 90, 0, 0};
    const ReferenceImage image = render(scene, camera, options);
    ComparisonOptions compare;
    compare.maskTopRows = 0;
    const Comparison same = compareLighting(image, image.rgb.data(), compare);
    ASSERT_GT(same.counted, 500);
    EXPECT_EQ(same.colourAgreeing, same.counted);

    // What a colour clamped to 1 draws: every pixel still lit, but redder light lost.
    scene.lights[0].colour[0] = 1.0;
    const ReferenceImage clamped = render(scene, camera, options);
    const Comparison wrong = compareLighting(image, clamped.rgb.data(), compare);
    EXPECT_EQ(wrong.agreeing, wrong.counted);
    EXPECT_LT(wrong.colourAgreement(), 0.5) << wrong.summary();
}

TEST(ReferenceScene, ReadsTheMapsFacesAndLightsOfAnOtmFile) {
    content::OtmMap map = content::roomChain({});
    content::OtmLight light;
    light.position = {2.0f, 2.5f, 2.0f, 0.0f};
    light.outerRadius = 6.0f;
    map.lights = {light, light};
    map.sectors[0].lights = {1};
    Scene scene;
    parseOtm(content::otmBytes(map), scene);
    EXPECT_EQ(scene.sectorCount, 2);
    EXPECT_GT(scene.triangles.size(), 12u);
    ASSERT_EQ(scene.lights.size(), 2u);
    EXPECT_FALSE(scene.lights[0].inSector);  // no sector lists it: game never draws it
    EXPECT_TRUE(scene.lights[1].inSector);
    EXPECT_DOUBLE_EQ(scene.lights[1].outerRadius, 6.0);
}

TEST(ReferenceScene, RefusesEveryCutOfAMapWithoutCrashing) {
    content::OtmMap map = content::roomChain({});
    map.lights.resize(1);
    map.lights[0].outerRadius = 5.0f;
    const std::string bytes = content::otmBytes(map);
    for (size_t length = 0; length < bytes.size(); ++length) {
        Scene scene;
        EXPECT_THROW(parseOtm(bytes.substr(0, length), scene), SceneError) << length;
    }
    std::string foreign = bytes;
    foreign[5] = 121;
    Scene scene;
    EXPECT_THROW(parseOtm(foreign, scene), SceneError);
}

// game draws each frame one value for every light from index 8 on, in order, from the
// sequence an unseeded 15-bit generator gives everywhere: 41, 18467, 6334, 26500, ...
// The meshes and camera of a map's NAME.cfg, read as the console reads statements:
// optional numbers left out, comments and other statements skipped, a faulty
// statement ending only its own line.
TEST(ReferenceStartScript, ReadsSpawnAndCameraStatementsAsTheConsoleDoes) {
    test::TempDir folder;
    EXPECT_FALSE(readStartScript(folder.path() / "test.cfg"));
    folder.write("test.cfg",
                 "# Written by arvel-level\n"
                 "spawn a.msh -1.5 2 3\n"
                 "c_size 0.5; spawn b.msh 4 5 6 -90 2 # turned\n"
                 "spawn c.msh 1 x 1\n"
                 "camera 7 8 9 10 -135 0\n");
    const auto script = readStartScript(folder.path() / "test.cfg");
    ASSERT_TRUE(script);
    ASSERT_EQ(script->spawns.size(), 2u);
    EXPECT_EQ(script->spawns[0].file, "a.msh");
    EXPECT_EQ(script->spawns[0].position.x, -1.5);
    EXPECT_EQ(script->spawns[0].position.z, 3.0);
    EXPECT_EQ(script->spawns[0].yaw, 0.0);
    EXPECT_EQ(script->spawns[0].animation, 0);
    EXPECT_EQ(script->spawns[1].file, "b.msh");
    EXPECT_EQ(script->spawns[1].position.y, 5.0);
    EXPECT_EQ(script->spawns[1].yaw, -90.0);
    EXPECT_EQ(script->spawns[1].animation, 2);
    ASSERT_TRUE(script->camera);
    EXPECT_EQ(script->camera->position.z, 9.0);
    EXPECT_EQ(script->camera->pitch, 10.0);
    EXPECT_EQ(script->camera->yaw, -135.0);
}

TEST(ReferenceFlicker, FlameColoursFollowGamesDrawsOnEveryPlatform) {
    auto red = [](int draw) { return 0.75 + 0.25 * draw / 32768.0; };
    EXPECT_DOUBLE_EQ(flickerValue(1, 8, 9), red(41));
    EXPECT_DOUBLE_EQ(flickerValue(2, 8, 9), red(18467));
    // Two flame lights: frame 2 draws the third and fourth values.
    EXPECT_DOUBLE_EQ(flickerValue(2, 8, 10), red(6334));
    EXPECT_DOUBLE_EQ(flickerValue(2, 9, 10), red(26500));
    // Lights below index 8, past the map's lights, or before the first frame keep white.
    EXPECT_DOUBLE_EQ(flickerValue(3, 7, 10), 1.0);
    EXPECT_DOUBLE_EQ(flickerValue(3, 10, 10), 1.0);
    EXPECT_DOUBLE_EQ(flickerValue(0, 8, 10), 1.0);
}

}  // namespace
}  // namespace arvel::reference
