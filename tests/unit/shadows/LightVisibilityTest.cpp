// Which lights matter, what they reach and light up, and which instances cast a shadow
// the camera can see.
#include "ShadowTestSupport.h"

namespace arvel::test {
namespace {

class LightVisibilityTest : public ShadowTest {
protected:
    LightVisibilityTest() {
        prepareFrame();
        buildRoom(room);
        visible.sectors.push_back(&room);
        visible.sectorBoxes.push_back(BoundingBox({-1, -1, 0, 0}, {1, 1, 0, 0}));
        room.flags |= frameflag::kVisible;
    }
    void see(MeshInstance& instance) {
        room.addInstance(instance);
        instance.flags |= frameflag::kVisible;
        visible.instances.push_back(&instance);
        visible.instanceBoxes.push_back(BoundingBox({-1, -1, 0, 0}, {1, 1, 0, 0}));
    }
    Sector room{nullptr, 0};
};

TEST_F(LightVisibilityTest, LightWhoseSphereMissesTheViewIsSkipped) {
    const auto behind = pointLight({0, 0, 50, 0}, 10.0f);
    behind->homeSector = &room;
    EXPECT_FALSE(lightVisible(frame, *behind, reach));
    EXPECT_TRUE(reach.sectors.empty());
    EXPECT_FALSE(room.flags & frameflag::kLit);
    EXPECT_TRUE(updatedMeshes.empty());
}

TEST_F(LightVisibilityTest, DynamicLightWalksFromItsSectorAndLightsWhatTheCameraSees) {
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.sectors, std::vector<Sector*>{&room});
    EXPECT_TRUE(room.flags & frameflag::kLit);
    EXPECT_FALSE(room.flags & frameflag::kVisited);  // the light's walk is over
    EXPECT_EQ(updatedMeshes, std::vector<StaticMesh*>{&room.staticMesh()});
}

TEST_F(LightVisibilityTest, LightWithoutPiecesWalksFromTheSectorItWasLastFoundIn) {
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->foundSector = &room;  // no map to search: only the remembered sector can answer
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.sectors, std::vector<Sector*>{&room});
    EXPECT_EQ(light->foundSector, &room);
}

TEST_F(LightVisibilityTest, LightThatLeftTheSectorItWasFoundInIsSearchedForAgain) {
    const auto light = pointLight({15, 2, -5, 0}, 10.0f);  // beside the room's floor
    light->foundSector = &room;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_TRUE(reach.sectors.empty());  // no map holds it
    EXPECT_EQ(light->foundSector, nullptr);
}

TEST_F(LightVisibilityTest, ReachedSectorTheCameraDoesNotSeeIsNotLit) {
    room.flags &= ~frameflag::kVisible;
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.sectors.size(), 1u);
    EXPECT_FALSE(room.flags & frameflag::kLit);
}

TEST_F(LightVisibilityTest, PrecomputedLightTakesItsPieceSectorsUnlessForcedDynamic) {
    Sector elsewhere{nullptr, 1};  // no portal leads there
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->precomputed = true;
    light->homeSector = &room;
    light->pieces = {{&room, &room.staticMesh()}, {&elsewhere, &elsewhere.staticMesh()}};
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.sectors, (std::vector<Sector*>{&room, &elsewhere}));

    settings().gfxForceDynamic.flag = true;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.sectors, std::vector<Sector*>{&room});
}

TEST_F(LightVisibilityTest, VisibleInstanceIsLitOnlyWithinTheRadius) {
    const auto near = boxInstance({2, 0, -5, 0}, {-0.5f, -0.5f, -0.5f, 0}, {0.5f, 0.5f, 0.5f, 0});
    const auto far = boxInstance({0, 0, -19, 0}, {-0.5f, -0.5f, -0.5f, 0}, {0.5f, 0.5f, 0.5f, 0});
    see(*near);
    see(*far);
    const auto light = pointLight({0, 2, -5, 0}, 5.0f);
    light->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.walk.instances.size(), 2u);
    EXPECT_TRUE(near->flags & frameflag::kLit);
    EXPECT_FALSE(far->flags & frameflag::kLit);
}

TEST_F(LightVisibilityTest, InstanceAddedToTwoReachedSectorsIsCollectedOnce) {
    Sector second{nullptr, 1};
    const auto box = boxInstance({2, 0, -5, 0}, {-0.5f, -0.5f, -0.5f, 0}, {0.5f, 0.5f, 0.5f, 0});
    room.addInstance(*box);
    second.addInstance(*box);
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->precomputed = true;
    light->pieces = {{&room, &room.staticMesh()}, {&second, &second.staticMesh()}};
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.walk.instances.size(), 1u);
    EXPECT_FALSE(box->flags & frameflag::kCollected);
}

TEST_F(LightVisibilityTest, InstanceHoldingTheLightCastsAShadow) {
    // Behind the camera, out of its view, but the light is inside it.
    const auto box = boxInstance({0, 0, 8, 0}, {-1, -1, -1, 0}, {1, 1, 1, 0});
    room.addInstance(*box);
    const auto light = pointLight({0, 0, 8, 0}, 20.0f);
    light->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    EXPECT_EQ(reach.casters, std::vector<MeshInstance*>{box.get()});
    EXPECT_EQ(prepared, std::vector<MeshInstance*>{box.get()});
}

TEST_F(LightVisibilityTest, InstanceOutOfViewCastsOnlyWhenItsShadowFallsIntoView) {
    // Both behind the camera; the light beyond the box throws the shadow into view.
    const auto box = boxInstance({0, 0, 4, 0}, {-1, -1, -1, 0}, {1, 1, 1, 0});
    room.addInstance(*box);
    const auto beyond = pointLight({0, 0, 8, 0}, 40.0f);
    beyond->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *beyond, reach));
    EXPECT_EQ(reach.casters.size(), 1u);

    // Light between camera and box: the shadow goes away from the view.
    const auto between = pointLight({0, 0, 1.5f, 0}, 40.0f);
    between->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *between, reach));
    EXPECT_TRUE(reach.casters.empty());
}

TEST_F(LightVisibilityTest, ShadowOfABoxBeyondTheRadiusIsNotSeen) {
    BoundingBox box({-1, -1, 3, 0}, {1, 1, 5, 0});
    const auto light = pointLight({0, 0, 8, 0}, 2.5f);
    EXPECT_FALSE(boxShadowVisible(box, *light, cameraVolume));
    light->setRadii(0.0f, 40.0f);
    EXPECT_TRUE(boxShadowVisible(box, *light, cameraVolume));
}

}  // namespace
}  // namespace arvel::test
