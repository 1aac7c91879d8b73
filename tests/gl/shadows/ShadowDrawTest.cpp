// Shadows drawn for real on the plug-in: the default techniques compile, a box on a
// floor under a point light casts a CPU volume (both stencil set-ups agree to the
// last stencil value), and a dynamic-mesh box casts one extruded by the vertex program.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "console/Settings.h"
#include "core/Exception.h"
#include "core/PngFile.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/CommonFile.h"
#include "fs/DataStream.h"
#include "fs/FileSystem.h"
#include "platform/platform.h"
#include "render/Material.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/VertexProgram.h"
#include "support/GLFixture.h"
#include "support/MountFolder.h"
#include "support/TechniqueLoading.h"
#include "unit/world/MeshTestSupport.h"
#include "world/Camera.h"
#include "world/DynamicMesh.h"
#include "world/Light.h"
#include "world/LightCache.h"
#include "world/LightRenderer.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"
#include "world/World.h"

namespace arvel::test {
namespace {

constexpr float kBackground = 0.2f;  // cleared colour: what shadow and ambient look like

// Depth only in the ambient stage; the light stage adds the vertex colour (white)
// wherever the stencil holds no shadow.
constexpr const char* kSurfaceScript = R"(
Ambient { impl { Pass { ColorMask false, false } } }
Light
{
    impl
    {
        Pass
        {
            DepthMask false
            DepthFunc lequal
            BlendFunc one, one
            StencilFunc equal, 0, ALL_BITS
            StencilOp keep, keep, keep
        }
    }
}
)";

// World to camera for an eye looking at target with +y up.
Matrix4 lookAt(const Vector4& eye, const Vector4& target) {
    const Vector4 f = normalized3(target - eye);
    const Vector4 r = normalized3(cross3(f, {0, 1, 0, 0}));
    const Vector4 u = cross3(r, f);
    Matrix4 m;
    const Vector4 rows[3] = {r, u, -f};
    for (int row = 0; row < 3; ++row) {
        m.m[row] = rows[row].x;
        m.m[4 + row] = rows[row].y;
        m.m[8 + row] = rows[row].z;
        m.m[12 + row] = -dot3(rows[row], eye);
    }
    return m;
}

class ShadowDrawTest : public VarnetTest {
protected:
    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        createRenderQueue();
        Settings& s = settings();
        s.gfxDshadows.flag = true;
        s.gfxForceDynamic.flag = false;
        s.gfxScissor.flag = true;
        s.gfxLightCache.number = 32.0;
        fileSystem().clear();
        ASSERT_TRUE(mountShippedData());
        gDriver.dSetVPProfile("best");
        gDriver.dSetFPProfile("best");
        surface = new RenderTechnique("surface.rt", &programs, &textures);
        surface->compile(kSurfaceScript);
        programs.add(surface);
    }

    void TearDown() override {
        lightCache().clear();
        instances.clear();
        meshes.clear();
        sector.reset();
        programs.clear();
        textures.clear();
        fileSystem().clear();
        setDriverSymbolLookup({});
        destroyRenderQueue();
        zone().destroy();
        VarnetTest::TearDown();
    }

    RenderTechnique* load(const char* name) {
        return loadInto(programs, new RenderTechnique(name, &programs, &textures));
    }

    Material* surfaceMaterial(Mesh& mesh) {
        ByteWriter record;
        record.u8(0).u8(255).str("surface.rt").i32(0);
        auto material = std::make_unique<Material>(&textures, &programs);
        DataStream stream(record.bytes().data(), record.size());
        material->loadMaterial(stream);
        return &mesh.addMaterial(std::move(material));
    }

    // A 20 x 20 floor at y = 0 and, when asked, a unit box standing on it at the origin.
    void buildSector(bool withBox) {
        sector = std::make_unique<Sector>(nullptr, 0);
        StaticMesh& mesh = sector->staticMesh();
        Material* material = surfaceMaterial(mesh);
        addPositions(mesh, {{-10, 0, 10, 0}, {10, 0, 10, 0}, {10, 0, -10, 0}, {-10, 0, -10, 0}});
        addFace(mesh, {0, 1, 2, 3}, material);
        if (withBox) {
            Mesh cube;
            makeCube(cube);
            for (int i = 0; i < cube.positionCount(); ++i) {
                const Vector4 p = cube.position(i).point();
                addPositions(mesh, {{p.x - 0.5f, p.y, p.z - 0.5f, 0.0f}});
            }
            for (int f = 0; f < cube.faceCount(); ++f) {
                auto copy = std::make_unique<MeshFace>();
                for (const MeshVertex* v : cube.face(f).corners)
                    copy->corners.push_back(&mesh.vertex(v->index + 4));
                copy->material = material;
                copy->computePlane();
                mesh.addFace(std::move(copy));
            }
        }
        // White floor, orange box.
        for (int v = 0; v < mesh.vertexCount(); ++v) {
            uint8_t* c = mesh.vertex(v).colour;
            c[0] = 255;
            c[1] = v < 4 ? 255 : 150;
            c[2] = v < 4 ? 255 : 60;
            c[3] = 255;
        }
        mesh.computeBoundingBox();
        mesh.buildEdges();
        mesh.buildVertexArray();
        mesh.buildRenderBatches();
    }

    // A dynamic-mesh unit box at the origin, one flat-shaded vertex per face corner so
    // every edge carries an edge polygon; turned by angle (radians) about the axis.
    MeshInstance& addBoxInstance(const Vector4& at, float angle = 0.0f,
                                 const Vector4& axis = {0, 1, 0, 0}) {
        ByteWriter msh;
        msh.i32(1).vec3(-0.5f, 0, -0.5f).vec3(0.5f, 1, 0.5f);
        for (float v : {1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f}) msh.f32(v);
        msh.i32(0).i32(0);
        msh.i32(1).u8(0).u8(255).str("surface.rt").i32(0);
        msh.i32(8);
        for (int i = 0; i < 8; ++i)
            msh.vec3((i & 1) ? 0.5f : -0.5f, (i & 2) ? 1.0f : 0.0f, (i & 4) ? 0.5f : -0.5f)
                .i32(1)
                .i32(0)
                .f32(1.0f);
        const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                 {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        const float normals[6][3] = {{0, 0, -1}, {0, 0, 1},  {0, -1, 0},
                                     {0, 1, 0},  {-1, 0, 0}, {1, 0, 0}};
        msh.i32(24);
        for (int f = 0; f < 6; ++f)
            for (int c = 0; c < 4; ++c)
                msh.i32(quads[f][c])
                    .f32(0)
                    .f32(0)
                    .vec3(normals[f][0], normals[f][1], normals[f][2])
                    .vec3(1, 0, 0);
        msh.i32(12);
        for (int f = 0; f < 6; ++f) {
            msh.i32(4 * f).i32(4 * f + 1).i32(4 * f + 2).i32(0);
            msh.i32(4 * f).i32(4 * f + 2).i32(4 * f + 3).i32(0);
        }
        auto mesh = std::make_unique<DynamicMesh>("box.msh", &textures, &programs);
        DataStream stream(msh.bytes().data(), msh.size());
        mesh->read(stream);
        auto instance = std::make_unique<MeshInstance>(*mesh, nullptr);
        meshes.push_back(std::move(mesh));
        instance->setPosition(at.x, at.y, at.z, 0.0f);
        instance->setOrientation(angle, axis);
        instance->updateLocalMatrix();
        instance->updateWorldMatrix();
        instance->update();
        instance->skin();
        sector->addInstance(*instance);
        instance->flags |= frameflag::kVisible;
        visible.instances.push_back(instance.get());
        visible.instanceBoxes.push_back(BoundingBox({-1, -1, 0, 0}, {1, 1, 0, 0}));
        instances.push_back(std::move(instance));
        return *instances.back();
    }

    // Camera above and in front of the origin; every technique the light stage needs.
    void prepareFrame() {
        frame.cameraPosition = {0, 6, 7, 0};
        frame.view = lookAt(frame.cameraPosition, {0, 0, -1, 0});
        ASSERT_TRUE(frame.view.invert(frame.cameraToWorld));
        frame.projection = frameProjection(1.0f);
        frame.viewProjection = multiply(frame.projection, frame.view);
        frame.halfWidth = frame.halfHeight = kSize / 2.0f;
        cameraVolume = CameraView().frustum().transformed(frame.cameraToWorld);
        frame.cameraVolume = &cameraVolume;
        frame.visible = &visible;
        frame.cpuVolumes = load("cpu_shadow_volumes.rt");
        frame.optimizedVolumes = load("optimized_shadow_volumes.rt");
        frame.programVolumes = load("vertex_program_shadow_volumes.rt");
        visible.sectors = {sector.get()};
        visible.sectorBoxes = {BoundingBox({-1, -1, 0, 0}, {1, 1, 0, 0})};
        sector->flags |= frameflag::kVisible;
        RenderContext& context = renderContext();
        context.projection = frame.projection;
        context.modelView = frame.view;
        context.clearScissor();
    }

    // Clears, lays the depth of the sector (and instance), then draws the light.
    void drawFrame(Light& light) {
        gDriver.dClearColor(kBackground, kBackground, kBackground, 1.0f);
        gDriver.dClearDepth(1.0f);
        gDriver.dClearStencil(0);
        gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
        gDriver.dClearBuffer();
        RenderContext& context = renderContext();
        context.modelView = frame.view;
        queueMesh(sector->staticMesh(), context, &RenderTechnique::ambientPasses);
        for (const auto& instance : instances)
            instance->queueFaces(context, &RenderTechnique::ambientPasses);
        flushRenderQueue();
        ASSERT_TRUE(lightVisible(frame, light, reach));
        renderLight(frame, light, reach);
        gDriver.dDisableStencil();
        gDriver.dColorMask(1, 1, 1, 1);
        gDriver.dDepthMask(1);
    }

    // A dynamic light of radius 30 in the sector.
    std::unique_ptr<Light> pointLight(const Vector4& at) const {
        auto light = std::make_unique<Light>();
        light->position = at;
        light->setRadii(0.0f, 30.0f);
        light->homeSector = sector.get();
        return light;
    }

    // Where a world point lands in the window.
    void pixelOf(const Vector4& p, int& x, int& y) const {
        const Vector4 clip = frame.projection.transformProjective(frame.view.transformPoint(p));
        x = static_cast<int>((clip.x / clip.w + 1.0f) * kSize / 2.0f);
        y = static_cast<int>((clip.y / clip.w + 1.0f) * kSize / 2.0f);
    }
    int brightness(const Vector4& p) const {
        int x, y;
        pixelOf(p, x, y);
        return readPixel(x, y)[1];
    }
    int stencil(const Vector4& p) const {
        int x, y;
        pixelOf(p, x, y);
        return readStencil(x, y);
    }
    std::vector<uint8_t> stencilBuffer() const {
        std::vector<uint8_t> values(static_cast<size_t>(kSize) * kSize);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, values.data());
        return values;
    }
    void savePicture(const std::string& name) const {
        const std::string path = std::string(ARVEL_TEST_BIN_DIR) + "/" + name;
        std::vector<uint8_t> rgb(static_cast<size_t>(kSize) * kSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        // GL's rows run bottom-up, a PNG's top-down.
        std::vector<uint8_t> topDown(rgb.size());
        const size_t stride = static_cast<size_t>(kSize) * 3;
        for (size_t row = 0; row < static_cast<size_t>(kSize); ++row)
            std::copy_n(&rgb[row * stride], stride, &topDown[(kSize - 1 - row) * stride]);
        EXPECT_TRUE(writePng(path, kSize, kSize, topDown.data())) << path;
    }

    ResourceRegistry programs;
    ResourceRegistry textures;
    RenderTechnique* surface = nullptr;
    std::unique_ptr<Sector> sector;
    std::vector<std::unique_ptr<DynamicMesh>> meshes;
    std::vector<std::unique_ptr<MeshInstance>> instances;
    ViewVolume cameraVolume;
    VisibleSet visible;
    LightFrame frame;
    LightReach reach;
};

TEST_F(ShadowDrawTest, AllSixDefaultTechniquesCompileOnThePlugIn) {
    for (const char* name :
         {"static_default.rt", "dynamic_default.rt", "optimized_shadow_volumes.rt",
          "vertex_program_shadow_volumes.rt", "cpu_shadow_volumes.rt", "debug.rt"}) {
        SCOPED_TRACE(name);
        RenderTechnique* technique = load(name);
        ASSERT_NE(technique, nullptr);
        EXPECT_FALSE(technique->ambientPasses().empty());
    }
}

TEST_F(ShadowDrawTest, ShadowTechniquesTakeTwoSidedStencilAndDepthClampWherePresent) {
    if (!gDriver.dTwoSidedStencil() || !gDriver.dDepthClamp())
        GTEST_SKIP() << "this platform lacks two-sided stencil or depth clamp";
    for (const char* name : {"optimized_shadow_volumes.rt", "cpu_shadow_volumes.rt"}) {
        RenderTechnique* technique = load(name);
        ASSERT_NE(technique, nullptr);
        ASSERT_EQ(technique->ambientPasses().size(), 1u) << name;
        EXPECT_EQ(technique->ambientPasses()[0]->requiredFeatures.size(), 2u) << name;
    }
    RenderTechnique* program = load("vertex_program_shadow_volumes.rt");
    ASSERT_NE(program, nullptr);
    ASSERT_EQ(program->ambientPasses().size(), 1u);
    EXPECT_NE(program->ambientPasses()[0]->vertexProgram, nullptr);
}

TEST_F(ShadowDrawTest, ExtrusionProgramAlsoCompilesAsArbAssembly) {
    gDriver.dSetVPProfile("arb");
    RenderTechnique* program = load("vertex_program_shadow_volumes.rt");
    ASSERT_NE(program, nullptr);
    ASSERT_FALSE(program->ambientPasses().empty());
    const Pass& pass = *program->ambientPasses()[0];
    ASSERT_NE(pass.vertexProgram, nullptr);
    EXPECT_NE(pass.vertexProgram->name().find(".vp"), std::string::npos);
    ASSERT_EQ(pass.constants.size(), 2u);  // the light and how far to extrude
    for (const ConstantBinding& constant : pass.constants)
        EXPECT_NE(constant.parameter, nullptr) << constant.name;
}

TEST_F(ShadowDrawTest, BoxCastsACpuVolumeShadowOnTheFloor) {
    buildSector(true);
    prepareFrame();
    const auto light = pointLight({2, 3, 0, 0});
    drawFrame(*light);
    savePicture("shadows_cpu_volume.png");

    // The box's shadow falls towards -x, between x = -0.5 and about -1.75.
    EXPECT_LE(brightness({-1.1f, 0, 0, 0}), 60);
    EXPECT_NE(stencil({-1.1f, 0, 0, 0}), 0);
    for (const Vector4& lit :
         {Vector4{1.5f, 0, 1.5f, 0}, Vector4{-1.1f, 0, 2.0f, 0}, Vector4{-3.0f, 0, -2.0f, 0}}) {
        EXPECT_GE(brightness(lit), 240) << lit.x << ", " << lit.y << ", " << lit.z;
    }
    EXPECT_EQ(stencil({1.5f, 0, 1.5f, 0}), 0);
    EXPECT_EQ(brightness({0.0f, 1.0f, 0.0f, 0}), 150 + 51);  // the top of the box, lit
}

TEST_F(ShadowDrawTest, CameraInsideTheCpuVolumeStillSeesTheShadowRight) {
    buildSector(true);
    prepareFrame();
    // The light straight over the camera's shoulder behind the box: the camera stands
    // in the shadow the box throws towards it, which z-fail counts correctly.
    const auto light = pointLight({0, 0.5f, -6, 0});
    frame.cameraPosition = {0, 0.6f, 4, 0};
    frame.view = lookAt(frame.cameraPosition, {0, 0, -3, 0});
    ASSERT_TRUE(frame.view.invert(frame.cameraToWorld));
    cameraVolume = CameraView().frustum().transformed(frame.cameraToWorld);
    drawFrame(*light);
    savePicture("shadows_camera_in_volume.png");
    EXPECT_LE(brightness({0, 0, 1.5f, 0}), 60);       // floor in the box's shadow
    EXPECT_GE(brightness({2.5f, 0, -2.0f, 0}), 240);  // floor off to the side, lit
    EXPECT_EQ(stencil({2.5f, 0, -2.0f, 0}), 0);
}

TEST_F(ShadowDrawTest, BothStencilSetUpsLeaveTheSameStencilBuffer) {
    buildSector(true);
    prepareFrame();
    const auto light = pointLight({2, 3, 0, 0});
    drawFrame(*light);
    const std::vector<uint8_t> twoSided = stencilBuffer();

    // The same script compiled as if two-sided stencil were missing.
    platform::Library* plugIn = platform::loadLibrary(ARVEL_BIN_DIR "/Varnet.drv");
    ASSERT_NE(plugIn, nullptr);
    setDriverSymbolLookup([plugIn](const char* name) -> void* {
        if (std::string(name) == "dTwoSidedStencil") return nullptr;
        return platform::getProcAddress(plugIn, name);
    });
    auto* twoPass = new RenderTechnique("cpu_shadow_volumes.rt", nullptr, nullptr);
    twoPass->load();
    programs.add(twoPass);
    setDriverSymbolLookup({});
    ASSERT_EQ(twoPass->ambientPasses().size(), 2u);
    frame.cpuVolumes = twoPass;
    drawFrame(*light);
    const std::vector<uint8_t> singleSided = stencilBuffer();

    int shadowed = 0;
    for (uint8_t value : twoSided) shadowed += value != 0;
    EXPECT_GT(shadowed, 200);
    EXPECT_EQ(twoSided, singleSided);
}

// Counted in front of the surfaces (the eye clear of the volume: without far caps inside
// the light's sphere, with them outside it) or behind them (as for a near plane that
// might cut the volume), the same pixels come out lit and the surfaces' stencil agrees.
TEST_F(ShadowDrawTest, ZPassLeavesTheSamePictureAndSurfaceStencilAsZFail) {
    buildSector(true);
    prepareFrame();
    const float reach = nearPlaneReach(1.0f, FrameShape());
    for (const auto& [radius, expected] :
         {std::pair{30.0f, VolumeCount::kInFrontOpen}, std::pair{7.0f, VolumeCount::kInFront}}) {
        SCOPED_TRACE(radius);
        auto light = pointLight({2, 3, 0, 0});
        light->setRadii(0.0f, radius);
        const auto draw = [&](float nearPlane, std::vector<uint8_t>& rgb,
                              std::vector<uint8_t>& stencil) {
            frame.nearPlane = nearPlane;
            drawFrame(*light);
            rgb.resize(static_cast<size_t>(kSize) * kSize * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
            std::vector<float> depth(static_cast<size_t>(kSize) * kSize);
            glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
            stencil = stencilBuffer();
            for (size_t i = 0; i < depth.size(); ++i)
                if (depth[i] >= 1.0f) stencil[i] = 0;  // no surface: nothing to light
        };
        std::vector<uint8_t> inFrontRgb, inFrontStencil, behindRgb, behindStencil;
        draw(1.0f, inFrontRgb, inFrontStencil);
        const LightCacheEntry* entry = lightCache().find(&sector->staticMesh(), light.get());
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(
            chooseVolumeCount(entry->bounds, frame.cameraPosition, reach, light->position, radius),
            expected);
        draw(1000.0f, behindRgb, behindStencil);
        int shadowed = 0;
        for (uint8_t value : behindStencil) shadowed += value != 0;
        EXPECT_GT(shadowed, 200);
        EXPECT_EQ(inFrontStencil, behindStencil);
        EXPECT_EQ(inFrontRgb, behindRgb);
        lightCache().clear();
    }
}

TEST_F(ShadowDrawTest, DynamicMeshCastsAShadowExtrudedByTheVertexProgram) {
    buildSector(false);
    addBoxInstance({0, 0, 0, 0});
    prepareFrame();
    const auto light = pointLight({2, 3, 0, 0});
    drawFrame(*light);
    savePicture("shadows_vertex_program.png");
    ASSERT_EQ(reach.casters.size(), 1u);
    EXPECT_LE(brightness({-1.1f, 0, 0, 0}), 60);
    EXPECT_GE(brightness({1.5f, 0, 1.5f, 0}), 240);
    EXPECT_GE(brightness({-1.1f, 0, 2.0f, 0}), 240);
    EXPECT_GE(brightness({0.0f, 1.0f, 0.0f, 0}), 240);  // the top of the box itself
}

// The ARB extrusion must put the near cap exactly where the lit faces are drawn, as the
// GLSL one does, or the box shadows itself in speckles where the two depths round apart.
TEST_F(ShadowDrawTest, ArbExtrusionLeavesTheSameStencilBufferAsGlsl) {
    buildSector(false);
    addBoxInstance({0.137f, 0.2f, -0.291f, 0.0f}, 0.61f, {0.3f, 1.0f, 0.2f, 0.0f});
    prepareFrame();
    const auto light = pointLight({2.31f, 3.17f, 0.43f, 0});
    drawFrame(*light);
    const std::vector<uint8_t> glsl = stencilBuffer();

    // Compiled apart from the shared registry, which holds the GLSL programs by name.
    gDriver.dSetVPProfile("arb");
    auto* arb = new RenderTechnique("vertex_program_shadow_volumes.rt", nullptr, nullptr);
    programs.add(arb);
    arb->load();
    gDriver.dSetVPProfile("best");
    ASSERT_FALSE(arb->ambientPasses().empty());
    ASSERT_NE(arb->ambientPasses()[0]->vertexProgram, nullptr);
    ASSERT_NE(arb->ambientPasses()[0]->vertexProgram->name().find(".vp"), std::string::npos);
    frame.programVolumes = arb;
    drawFrame(*light);
    const std::vector<uint8_t> assembly = stencilBuffer();

    int shadowed = 0, differing = 0;
    for (size_t i = 0; i < glsl.size(); ++i) {
        shadowed += glsl[i] != 0;
        differing += glsl[i] != assembly[i];
    }
    EXPECT_GT(shadowed, 200);
    EXPECT_EQ(differing, 0);
}

// A mesh's volume extruded only as far as the light reaches shadows every surface point
// within the light's radius as the volume extruded to infinity does (a technique
// without the extrusion constant), in GLSL and in ARB assembly; the two may only part
// on the shadow's edge, where side faces built from other corners round apart.
TEST_F(ShadowDrawTest, VolumeExtrudedToTheLightsReachShadowsWhatItReachesAsInfiniteOneDoes) {
    buildSector(false);
    addBoxInstance({0.137f, 0.2f, -0.291f, 0.0f}, 0.61f, {0.3f, 1.0f, 0.2f, 0.0f});
    prepareFrame();
    auto light = pointLight({2.31f, 3.17f, 0.43f, 0});
    light->setRadii(0.0f, 8.0f);
    std::ifstream file(std::string(ARVEL_SOURCE_DIR) + "/data/vertex_program_shadow_volumes.rt");
    std::stringstream text;
    text << file.rdbuf();
    const std::string script = text.str();
    std::string infinite = script;
    for (size_t at; (at = infinite.find("extrusion = SHADOW_EXTRUSION")) != std::string::npos;)
        infinite.erase(at, std::string("extrusion = SHADOW_EXTRUSION").size());
    ASSERT_NE(infinite, script);

    Matrix4 toWorld;
    ASSERT_TRUE(frame.viewProjection.invert(toWorld));
    for (const char* profile : {"best", "arb"}) {
        SCOPED_TRACE(profile);
        gDriver.dSetVPProfile(profile);
        const auto draw = [&](const std::string& text, std::vector<uint8_t>& stencil,
                              std::vector<float>& depth) {
            auto* technique = new RenderTechnique("extrusion.rt", nullptr, nullptr);
            programs.add(technique);
            technique->compile(text.c_str());
            ASSERT_FALSE(technique->ambientPasses().empty());
            frame.programVolumes = technique;
            drawFrame(*light);
            stencil = stencilBuffer();
            depth.resize(stencil.size());
            glReadPixels(0, 0, kSize, kSize, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
        };
        std::vector<uint8_t> finite, reference;
        std::vector<float> depth, referenceDepth;
        draw(script, finite, depth);
        draw(infinite, reference, referenceDepth);
        ASSERT_EQ(depth, referenceDepth);
        int shadowed = 0, differing = 0, offEdge = 0;
        for (int y = 1; y + 1 < kSize; ++y)
            for (int x = 1; x + 1 < kSize; ++x) {
                const size_t i = static_cast<size_t>(y) * kSize + x;
                if (depth[i] >= 1.0f) continue;
                const Vector4 ndc{(x + 0.5f) * 2.0f / kSize - 1.0f,
                                  (y + 0.5f) * 2.0f / kSize - 1.0f, depth[i] * 2.0f - 1.0f, 1.0f};
                const Vector4 p = toWorld.transformProjective(ndc);
                if (length3(p * (1.0f / p.w) - light->position) >= 8.0f) continue;
                shadowed += reference[i] != 0;
                if (finite[i] == reference[i]) continue;
                ++differing;
                bool edge = false;
                for (const size_t n : {i - 1, i + 1, i - kSize, i + kSize})
                    edge = edge || reference[n] != reference[i];
                offEdge += !edge;
            }
        EXPECT_GT(shadowed, 200);
        EXPECT_LE(differing, shadowed / 50);
        EXPECT_EQ(offEdge, 0);
    }
    gDriver.dSetVPProfile("best");
}

TEST_F(ShadowDrawTest, PrecomputedVolumeShadowsInstancesAlsoWithTheCameraInShadow) {
    buildSector(true);
    // The light low beside the static box: the camera stands in the box's shadow.
    auto light = std::make_unique<Light>();
    light->position = {3, 0.8f, 0, 0};
    light->setRadii(0.0f, 30.0f);
    light->precomputed = true;
    light->addShadowPiece(*sector, sector->staticMesh());
    light->finishShadowMesh();
    addBoxInstance({-2, 0, -1, 0});    // in the box's shadow, its +z side towards the light
    addBoxInstance({-2, 0, 2.2f, 0});  // beside the shadow, its -z side towards the light
    prepareFrame();
    frame.cameraPosition = {-4, 0.5f, 0, 0};
    frame.view = lookAt(frame.cameraPosition, {0, 0.5f, 1.5f, 0});
    ASSERT_TRUE(frame.view.invert(frame.cameraToWorld));
    cameraVolume = CameraView().frustum().transformed(frame.cameraToWorld);
    ASSERT_TRUE(cameraInShadow(*light, frame.cameraPosition));
    drawFrame(*light);
    savePicture("shadows_precomputed_in_shadow.png");
    EXPECT_LE(brightness({-2.0f, 0.5f, -0.5f, 0}), 60);  // shadowed by the static box
    EXPECT_GE(brightness({-2.0f, 0.5f, 1.7f, 0}), 240);  // lit, though the camera is not
}

}  // namespace
}  // namespace arvel::test
