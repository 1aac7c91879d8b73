// Rendering one light through the recording driver: the stencil clear, which volumes
// are drawn with which stencil set-up, the light stage and its scissor rectangles,
// light groups.
#include <array>

#include "ShadowTestSupport.h"

namespace arvel::test {
namespace {

const std::vector<std::string> kStencilClear = {"dStencilMaxVal()",  "dEnableStencil()",
                                                "dDisableScissor()", "dClearStencil(0)",
                                                "dSetClear(4)",      "dClearBuffer()"};

class LightRenderTest : public ShadowTest {
protected:
    void setUp(bool twoSided = true, bool clamp = true) {
        prepareFrame(twoSided, clamp);
        buildRoom(room);
        visible.sectors.push_back(&room);
        visible.sectorBoxes.push_back(BoundingBox({-1, -1, 0, 0}, {1, 1, 0, 0}));
        room.flags |= frameflag::kVisible;
    }
    // Visibility, then rendering with a clean call log.
    void render(Light& light) {
        ASSERT_TRUE(lightVisible(frame, light, reach));
        driver.clearCalls();
        renderLight(frame, light, reach);
    }
    // The index counts of the draws, in order.
    std::vector<std::string> draws() const { return driver.callsTo({"dVARender", "dRenderQuad"}); }

    Sector room{nullptr, 0};
};

TEST_F(LightRenderTest, StencilIsClearedAloneFirst) {
    setUp();
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->homeSector = &room;
    render(*light);
    const auto& calls = driver.calls();
    ASSERT_GE(calls.size(), kStencilClear.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 6), kStencilClear);
}

TEST_F(LightRenderTest, LightWhoseBoxIsOffScreenCostsOnlyTheStencilClear) {
    setUp();
    const auto light = pointLight({0, 2, -5, 0}, 10.0f);
    light->homeSector = &room;
    ASSERT_TRUE(lightVisible(frame, *light, reach));
    frame.view = Matrix4::translation(0, 0, 100);  // the light's sphere now lies behind the eye
    driver.clearCalls();
    renderLight(frame, *light, reach);
    EXPECT_EQ(driver.calls(), kStencilClear);
    EXPECT_FALSE(room.flags & frameflag::kLit);  // no mark is left for the next light
}

TEST_F(LightRenderTest, DynamicLightDrawsTheCpuVolumeThenTheLitFaces) {
    setUp();
    const auto light = pointLight({0, 2, -5, 0}, 30.0f);
    light->homeSector = &room;
    render(*light);
    const LightCacheEntry* entry = lightCache().find(&room.staticMesh(), light.get());
    ASSERT_NE(entry, nullptr);
    ASSERT_FALSE(entry->volume.indices.empty());
    ASSERT_EQ(entry->litGroups.size(), 1u);
    // The eye stands clear of the volume and inside the light's sphere: no far caps.
    const std::string volume =
        "dVARender(ptr, ptr, " + std::to_string(entry->openVolume.indexCount()) + ", 4, 5125)";
    const std::string lit =
        "dVARender(ptr, ptr, " + std::to_string(entry->litGroups[0]->indexCount()) + ", 4, 5125)";
    EXPECT_EQ(draws(), (std::vector<std::string>{volume, lit}));
    EXPECT_FALSE(room.flags & frameflag::kLit);
}

TEST_F(LightRenderTest, CpuVolumeCountsWithZFailOnBothSidesInOnePass) {
    setUp(true, true);
    frame.nearPlane = 100.0f;  // a near plane that may cut the volume
    const auto light = pointLight({0, 2, -5, 0}, 30.0f);
    light->homeSector = &room;
    render(*light);
    const auto calls = driver.callsTo({"dStencilOp", "dStencilSide", "dEnableTwoSidedStencil",
                                       "dEnableDepthClamp", "dDisableTwoSidedStencil",
                                       "dDisableDepthClamp", "dColorMask", "dVARender"});
    const std::vector<std::string> volumePass = {"dColorMask(0, 0, 0, 0)",   "dStencilOp(1, 8, 1)",
                                                 "dEnableTwoSidedStencil()", "dEnableDepthClamp()",
                                                 "dStencilSide(4097)",       "dStencilOp(1, 7, 1)",
                                                 "dStencilSide(4096)"};
    ASSERT_GE(calls.size(), volumePass.size() + 3);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 7), volumePass);
    EXPECT_EQ(calls[8], "dDisableTwoSidedStencil()");
    EXPECT_EQ(calls[9], "dDisableDepthClamp()");
}

TEST_F(LightRenderTest, CpuVolumeWithoutTwoSidedStencilTakesTwoPassesBackFacesFirst) {
    setUp(false, false);
    frame.nearPlane = 100.0f;
    const auto light = pointLight({0, 2, -5, 0}, 30.0f);
    light->homeSector = &room;
    render(*light);
    const auto calls = driver.callsTo(
        {"dStencilOp", "dCullFace", "dEnableTwoSidedStencil", "dEnableDepthClamp", "dVARender"});
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(calls[0], "dStencilOp(1, 7, 1)");  // back faces count up
    EXPECT_EQ(calls[1], "dCullFace(4096)");
    EXPECT_EQ(calls[3], "dStencilOp(1, 8, 1)");  // front faces count down
    EXPECT_EQ(calls[4], "dCullFace(4097)");
    EXPECT_EQ(calls[2], calls[5]);  // the same volume both times
}

TEST_F(LightRenderTest, CpuVolumeClearOfTheEyeCountsWithZPassOnBothSidesInOnePass) {
    setUp(true, true);
    const auto light = pointLight({0, 2, -5, 0}, 30.0f);
    light->homeSector = &room;
    render(*light);
    const auto calls = driver.callsTo({"dStencilOp", "dStencilSide"});
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 4),
              (std::vector<std::string>{"dStencilOp(1, 1, 7)", "dStencilSide(4097)",
                                        "dStencilOp(1, 1, 8)", "dStencilSide(4096)"}));
    EXPECT_EQ(driver.countOf("dEnableDepthClamp"),
              0);  // no count in front depends on the far plane
}

TEST_F(LightRenderTest, VolumeCountIsZFailWheneverTheNearPlaneMightCutTheVolume) {
    const BoundingBox bounds({0, 0, 0, 0}, {10, 10, 10, 0});
    const float reach = nearPlaneReach(1.0f, FrameShape());  // 4:3, 90 degrees across
    EXPECT_NEAR(reach, std::sqrt(2.5625f), 1e-6f);
    const Vector4 light{5, 20, 5, 0};
    struct Case {
        const char* what;
        Vector4 eye;
        float radius;
        VolumeCount expected;
    };
    for (const Case& c : {
             Case{"eye inside the volume's bounds", {5, 5, 5, 0}, 50, VolumeCount::kBehind},
             Case{"eye on the bounds", {10, 5, 5, 0}, 50, VolumeCount::kBehind},
             Case{"near plane may reach into the bounds",
                  {11.6f, 5, 5, 0},
                  50,
                  VolumeCount::kBehind},
             Case{"clear of the bounds, inside the sphere",
                  {12, 5, 5, 0},
                  50,
                  VolumeCount::kInFrontOpen},
             Case{"clear of the bounds, outside the sphere",
                  {12, 5, 5, 0},
                  10,
                  VolumeCount::kInFront},
             Case{"clear of a corner by more than the reach",
                  {12, 12, 12, 0},
                  50,
                  VolumeCount::kInFrontOpen},
         }) {
        EXPECT_EQ(chooseVolumeCount(bounds, c.eye, reach, light, c.radius), c.expected) << c.what;
    }
    EXPECT_EQ(chooseVolumeCount(BoundingBox(), {100, 0, 0, 0}, reach, light, 50),
              VolumeCount::kBehind);  // nothing known about the volume
    EXPECT_EQ(chooseVolumeCount(bounds, {100, 0, 0, 0}, NAN, light, 50), VolumeCount::kBehind);
}

// Points of a box pushed away from the light out to the reach: the middle of any two or
// three of them (a side's far edge, a far cap) stays at least the radius away, near the
// light or far from it. At or inside the box's sphere the volume goes to infinity (0).
TEST(ShadowVolumeReach, FarPointsLeaveNoGapWithinTheRadius) {
    const BoundingBox box({-1, 0, -2, 0}, {1, 3, 2, 0});  // bounding sphere 2.69 across
    const std::array<Vector4, 8> corners = box.corners();
    const float radius = 10.0f;
    for (const Vector4& light : {Vector4{30, 1, 0, 0}, Vector4{4, 5, 1, 0},
                                 Vector4{0, 1.5f, 4.4f, 0}, Vector4{-2, -1, -3, 0}}) {
        SCOPED_TRACE(testing::PrintToString(std::vector<float>{light.x, light.y, light.z}));
        const float reach = shadowVolumeReach(box, light, radius);
        ASSERT_GT(reach, radius);
        std::vector<Vector4> far;
        for (const Vector4& corner : corners) {
            const Vector4 ray = corner - light;
            far.push_back(light + ray * std::max(reach / length3(ray), 1.0f));
        }
        float nearest = kNoHit;
        for (size_t i = 0; i < far.size(); ++i)
            for (size_t j = i + 1; j < far.size(); ++j) {
                nearest = std::min(nearest, length3((far[i] + far[j]) * 0.5f - light));
                for (size_t k = j + 1; k < far.size(); ++k)
                    nearest =
                        std::min(nearest, length3((far[i] + far[j] + far[k]) * (1.0f / 3) - light));
            }
        EXPECT_GE(nearest, radius);
    }
    EXPECT_EQ(shadowVolumeReach(box, {0, 1.5f, 0, 0}, radius), 0.0f);     // in the box
    EXPECT_EQ(shadowVolumeReach(box, {2.6f, 1.5f, 0, 0}, radius), 0.0f);  // in its sphere
    EXPECT_EQ(shadowVolumeReach(box, {30, 1, 0, 0}, NAN), 0.0f);
}

TEST_F(LightRenderTest, WithoutShadowsNoVolumeIsDrawnButTheStencilIsStillCleared) {
    setUp();
    settings().gfxDshadows.flag = false;
    const auto light = pointLight({0, 2, -5, 0}, 30.0f);
    light->homeSector = &room;
    render(*light);
    const LightCacheEntry* entry = lightCache().find(&room.staticMesh(), light.get());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(draws().size(), 1u);  // the lit faces alone
    EXPECT_EQ(driver.countOf("dClearStencil"), 1);
    EXPECT_EQ(driver.countOf("dEnableTwoSidedStencil"), 0);
}

TEST_F(LightRenderTest, LitSectorIsClippedToWhereItsBoxMeetsTheLights) {
    setUp();
    visible.sectorBoxes[0] = BoundingBox({0.5f, 0.0f, 0, 0}, {1, 1, 0, 0});
    const auto light = pointLight({3, 0, -10, 0}, 2.0f);
    light->homeSector = &room;
    BoundingBox clipped = visible.sectorBoxes[0];
    clipped.intersect(lightScreenBox(frame, *light));
    ASSERT_FALSE(isEmptyScreenBox(clipped));
    render(*light);
    EXPECT_TRUE(hasCall(only(driver, "dScissor"), scissorCall(scissorFromBox(clipped, 320, 240))))
        << ::testing::PrintToString(only(driver, "dScissor"));
}

// The stencil a light's volumes leave is read only where its lit faces are drawn.
TEST_F(LightRenderTest, VolumesFillOnlyWhereTheLightStageDraws) {
    setUp();
    const auto light = pointLight({0, 2, -5, 0}, 30.0f);
    light->homeSector = &room;
    const auto scissorBeforeVolume = [&] {
        const auto calls = driver.callsTo({"dScissor", "dVARender"});
        std::string last;
        for (const std::string& call : calls) {
            if (call.rfind("dVARender", 0) == 0) return last;
            last = call;
        }
        return std::string("no volume");
    };
    // The whole room in view: the volume may fill the light's box.
    render(*light);
    EXPECT_EQ(scissorBeforeVolume(),
              scissorCall(scissorFromBox(lightScreenBox(frame, *light), 320, 240)));
    // The room seen through a small opening: no more than it.
    visible.sectorBoxes[0] = BoundingBox({0.1f, 0.1f, 0, 0}, {0.3f, 0.2f, 0, 0});
    render(*light);
    EXPECT_EQ(scissorBeforeVolume(), scissorCall(scissorFromBox(visible.sectorBoxes[0], 320, 240)));
    EXPECT_EQ(driver.countOf("dVARender"), 2);  // the volume and the lit faces
}

TEST_F(LightRenderTest, CasterVolumeIsExtrudedByTheVertexProgramOverFacesAndEdges) {
    setUp();
    const auto box = boxInstance({0, 0, -5, 0}, {-1, -1, -1, 0}, {1, 1, 1, 0}, true);
    room.addInstance(*box);
    box->flags |= frameflag::kVisible;
    const auto light = pointLight({0, 0, -2, 0}, 30.0f);
    light->homeSector = &room;
    render(*light);
    ASSERT_EQ(reach.casters.size(), 1u);
    const auto calls = driver.callsTo({"dColor4", "dBindVertexProgram", "dVARender"});
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "dColor4(0, 0, 1, 0.75)");
    EXPECT_EQ(calls[1], "dBindVertexProgram(ptr)");
    EXPECT_EQ(calls[2], "dVARender(ptr, ptr, 3, 4, 5125)");  // its one triangle
}

TEST_F(LightRenderTest, ScissorFromBoxRoundsOutwardsToWholePixels) {
    const ScissorRect whole = scissorFromBox(BoundingBox({-1, -1, 0, 0}, {1, 1, 0, 0}), 512, 384);
    EXPECT_EQ(whole.x, 0);
    EXPECT_EQ(whole.y, 0);
    EXPECT_EQ(whole.width, 1024);
    EXPECT_EQ(whole.height, 768);
    const ScissorRect part =
        scissorFromBox(BoundingBox({-0.501f, 0.0f, 0, 0}, {0.001f, 0.5f, 0, 0}), 100, 100);
    EXPECT_EQ(part.x, 49);
    EXPECT_EQ(part.width, 52);
    EXPECT_EQ(part.y, 100);
    EXPECT_EQ(part.height, 50);
}

TEST_F(LightRenderTest, LightBoxIsEmptyBehindTheEyeAndAroundTheLightInFront) {
    setUp();
    EXPECT_TRUE(isEmptyScreenBox(lightScreenBox(frame, *pointLight({0, 0, 30, 0}, 5.0f))));
    const BoundingBox ahead = lightScreenBox(frame, *pointLight({0, 0, -10, 0}, 1.0f));
    EXPECT_FALSE(isEmptyScreenBox(ahead));
    EXPECT_LT(ahead.min.x, 0.0f);
    EXPECT_GT(ahead.max.x, 0.0f);
    EXPECT_LT(ahead.max.x - ahead.min.x, 0.5f);
}

TEST_F(LightRenderTest, LightGroupMergesBoxesAndCornerDistances) {
    LightGroup group;
    EXPECT_TRUE(group.empty());
    EXPECT_EQ(group.nearest, kNoHit);
    EXPECT_EQ(group.farthest, -kNoHit);
    const std::array<Vector4, 8> nearCorners = {{{0, 0, -2, 0},
                                                 {0, 0, -3, 0},
                                                 {0, 0, -3, 0},
                                                 {0, 0, -3, 0},
                                                 {0, 0, -3, 0},
                                                 {0, 0, -3, 0},
                                                 {0, 0, -3, 0},
                                                 {0, 0, -3, 0}}};
    const std::array<Vector4, 8> farCorners = {{{0, 0, -5, 0},
                                                {0, 0, -5, 0},
                                                {0, 0, -5, 0},
                                                {0, 0, -5, 0},
                                                {0, 0, -5, 0},
                                                {0, 0, -5, 0},
                                                {0, 0, -5, 0},
                                                {0, 0, -9, 0}}};
    LightGroup one, two;
    one.add(nullptr, BoundingBox({-0.5f, -0.5f, 0, 0}, {0, 0, 0, 0}), nearCorners, {});
    two.add(nullptr, BoundingBox({0.2f, 0.1f, 0, 0}, {0.4f, 0.6f, 0, 0}), farCorners, {});
    group.merge(one);
    group.merge(two);
    EXPECT_EQ(group.instances.size(), 2u);
    EXPECT_FLOAT_EQ(group.nearest, 2.0f);
    EXPECT_FLOAT_EQ(group.farthest, 9.0f);
    EXPECT_FLOAT_EQ(group.box.min.x, -0.5f);
    EXPECT_FLOAT_EQ(group.box.max.y, 0.6f);
    // Its volume is the eye's pyramid through the box, 9 deep.
    const auto inside = [&](const ViewVolume& volume, Vector4 p) {
        for (const Plane& plane : volume.planes())
            if (plane.distance(p) < 0.0f) return false;
        return true;
    };
    const ViewVolume volume = group.volume(Matrix4::identity(), FrameShape());
    EXPECT_TRUE(inside(volume, {-0.1f, 0.0f, -5, 0}));
    EXPECT_FALSE(inside(volume, {-0.1f, 0.0f, -10, 0}));
    EXPECT_FALSE(inside(volume, {2.5f, 0.0f, -5, 0}));
    EXPECT_FALSE(inside(volume, {0.0f, 2.5f, -5, 0}));
    // The same screen box of a 16:9 frame covers more across, as much up.
    const ViewVolume wide = group.volume(Matrix4::identity(), FrameShape::ofWindow(1024, 576));
    EXPECT_TRUE(inside(wide, {2.5f, 0.0f, -5, 0}));
    EXPECT_FALSE(inside(wide, {0.0f, 2.5f, -5, 0}));
}

class PrecomputedLightTest : public LightRenderTest {
protected:
    // A static light above the room with its precomputed volume of the cube.
    std::unique_ptr<Light> staticLight(const Vector4& at) {
        auto light = pointLight(at, 30.0f);
        light->precomputed = true;
        light->world = nullptr;
        light->addShadowPiece(room, room.staticMesh());
        light->finishShadowMesh();
        return light;
    }
};

TEST_F(PrecomputedLightTest, WithoutLitInstancesOnlyTheLitPieceIsDrawn) {
    setUp();
    const auto light = staticLight({0, 4, -6, 0});
    render(*light);
    EXPECT_EQ(draws().size(), 1u);
    EXPECT_EQ(driver.countOf("dRenderQuad"), 0);
}

class LitInstanceTest : public PrecomputedLightTest {
protected:
    void setUp(bool twoSided = true, bool clamp = true) {
        PrecomputedLightTest::setUp(twoSided, clamp);
        box = boxInstance({0, 0, -10, 0}, {-1, -1, -1, 0}, {1, 1, 1, 0});
        room.addInstance(*box);
        box->flags |= frameflag::kVisible;
        visible.instances.push_back(box.get());
        visible.instanceBoxes.push_back(BoundingBox({-0.3f, -0.3f, 0, 0}, {0.3f, 0.3f, 0, 0}));
    }
    std::unique_ptr<MeshInstance> box;
};

TEST_F(LitInstanceTest, CameraInShadowAddsAFullScreenQuadPerPassBeforeTheVolume) {
    setUp();
    // The light straight behind the cube: the cube stands between it and the camera.
    const auto hidden = staticLight({0, -0.5f, -12, 0});
    EXPECT_TRUE(cameraInShadow(*hidden, frame.cameraPosition));
    render(*hidden);
    const auto calls = driver.callsTo({"dLoadIdentity", "dRenderQuad", "dVABind", "dVARender"});
    const auto quad = std::find(calls.begin(), calls.end(), "dRenderQuad(ptr, ptr, ptr, ptr)");
    ASSERT_NE(quad, calls.end()) << ::testing::PrintToString(calls);
    ASSERT_NE(quad, calls.begin());
    EXPECT_EQ(*(quad - 1), "dLoadIdentity()");
    ASSERT_LT(quad + 2, calls.end());
    EXPECT_EQ(*(quad + 1), "dVABind(ptr)");
    EXPECT_EQ(driver.countOf("dRenderQuad"),
              static_cast<int>(frame.optimizedVolumes->ambientPasses().size()));
}

// Where the in-shadow quad's corners lie, per draw.
std::vector<std::array<float, 2>> gQuadCorners;

void captureQuad(const RenderVertex* a, const RenderVertex* b, const RenderVertex* c,
                 const RenderVertex* d) {
    for (const RenderVertex* corner : {a, b, c, d})
        gQuadCorners.push_back({corner->position->x, corner->position->y});
    RecordingDriver::current()->record("dRenderQuad");
}

TEST_F(LitInstanceTest, CameraInShadowQuadCoversTheWholeFrameOfAnyWindow) {
    // Frames no wider or taller than 90 degrees need the unit quad; a 16:9 one its width.
    const struct {
        int width, height;
        float x, y;
    } kFrames[] = {{640, 480, 1.0f, 1.0f}, {640, 512, 1.0f, 1.0f}, {1024, 576, 4.0f / 3.0f, 1.0f}};
    setUp();
    gDriver.dRenderQuad = captureQuad;
    const auto hidden = staticLight({0, -0.5f, -12, 0});
    for (const auto& f : kFrames) {
        frame.shape = FrameShape::ofWindow(f.width, f.height);
        gQuadCorners.clear();
        render(*hidden);
        ASSERT_FALSE(gQuadCorners.empty()) << f.width << " x " << f.height;
        for (const auto& corner : gQuadCorners) {
            EXPECT_FLOAT_EQ(std::abs(corner[0]), f.x) << f.width << " x " << f.height;
            EXPECT_FLOAT_EQ(std::abs(corner[1]), f.y) << f.width << " x " << f.height;
        }
    }
}

TEST_F(LitInstanceTest, CameraInTheLightGetsNoQuad) {
    setUp();
    const auto open = staticLight({0, 4, -6, 0});
    EXPECT_FALSE(cameraInShadow(*open, frame.cameraPosition));
    render(*open);
    EXPECT_EQ(driver.countOf("dRenderQuad"), 0);
}

TEST_F(LitInstanceTest, PrecomputedVolumeCountsWithZPass) {
    setUp(false, false);
    settings().gfxCullVolumes.flag = false;
    const auto light = staticLight({0, 4, -6, 0});
    render(*light);
    const auto calls = driver.callsTo({"dStencilOp", "dCullFace", "dVARender"});
    const std::string all =
        "dVARender(ptr, ptr, " + std::to_string(light->shadowBatch->indexCount()) + ", 4, 5125)";
    const std::vector<std::string> expected = {"dStencilOp(1, 1, 7)", "dCullFace(4097)", all,
                                               "dStencilOp(1, 1, 8)", "dCullFace(4096)", all};
    auto at = std::search(calls.begin(), calls.end(), expected.begin(), expected.end());
    EXPECT_NE(at, calls.end()) << ::testing::PrintToString(calls);
}

}  // namespace
}  // namespace arvel::test
