// What the shadow tests share: the zone, the render queue, the recording driver handing
// out vertex arrays and programs, the engine's data folder mounted so the real shadow
// techniques compile, a camera at the origin looking down -z, and meshes, sectors and
// instances to light.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "console/Settings.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/DataStream.h"
#include "fs/FileSystem.h"
#include "render/Material.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
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

template <typename T>
T* fakeHandle() {
    static char storage;
    return reinterpret_cast<T*>(&storage);
}

// Driver calls of one name, in order.
inline std::vector<std::string> only(const RecordingDriver& driver, const char* name) {
    return driver.callsTo({name});
}

inline bool hasCall(const std::vector<std::string>& calls, const std::string& call) {
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// The recorded call that sets this scissor rectangle.
inline std::string scissorCall(const ScissorRect& r) {
    return "dScissor(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " +
           std::to_string(r.width) + ", " + std::to_string(r.height) + ")";
}

class ShadowTest : public ::testing::Test {
protected:
    ShadowTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        createRenderQueue();
        Settings& s = settings();
        s.gfxDshadows.flag = true;
        s.gfxForceDynamic.flag = false;
        s.gfxScissor.flag = true;
        s.gfxCullVolumes.flag = true;
        s.gfxHwOcclusionCulling.flag = true;
        s.dbgDrawSboxes.flag = false;
        s.gfxLightCache.number = 32.0;
        driver.setResult("dVAAlloc", fakeHandle<DVertexArray>());
        driver.setResult("dRegisterVertexProgram", fakeHandle<DVertexProgram>());
        driver.setResult("dStencilMaxVal", 255);
        setDriverSymbolLookup(driver.lookup());
        fileSystem().clear();
        EXPECT_TRUE(mountShippedData());
        lightCache().clear();
        camera.updateMatrix();
        cameraVolume = camera.worldVolume();
    }
    ~ShadowTest() override {
        lightCache().clear();
        frame.visible = nullptr;
        fileSystem().clear();
        setDriverSymbolLookup({});
        destroyRenderQueue();
        zone().destroy();
    }

    // A shadow technique from the data folder, compiled for the recording driver as
    // told about two-sided stencil and depth clamp.
    RenderTechnique* loadTechnique(const char* name, bool twoSided = true, bool clamp = true) {
        driver.setResult("dTwoSidedStencil", twoSided);
        driver.setResult("dDepthClamp", clamp);
        return loadInto(programs, new RenderTechnique(name, &programs, nullptr));
    }

    // The frame as the World lends it: the camera's set is visible.
    void prepareFrame(bool twoSided = true, bool clamp = true) {
        frame.cameraPosition = camera.position;
        frame.view = camera.viewMatrix();
        frame.cameraToWorld = camera.cameraToWorld();
        frame.projection = frameProjection(1.0f);
        frame.viewProjection = multiply(frame.projection, frame.view);
        frame.halfWidth = 320.0f;
        frame.halfHeight = 240.0f;
        frame.cameraVolume = &cameraVolume;
        frame.visible = &visible;
        frame.cpuVolumes = loadTechnique("cpu_shadow_volumes.rt", twoSided, clamp);
        frame.optimizedVolumes = loadTechnique("optimized_shadow_volumes.rt", twoSided, clamp);
        frame.programVolumes = loadTechnique("vertex_program_shadow_volumes.rt", twoSided, clamp);
        frame.updateMesh = [this](StaticMesh& mesh) { updatedMeshes.push_back(&mesh); };
        frame.updateInstance = [](MeshInstance& instance) {
            instance.updateLocalMatrix();
            instance.updateWorldMatrix();
            instance.update();
        };
        frame.prepareShadow = [this](MeshInstance& instance) { prepared.push_back(&instance); };
    }

    // A material whose technique's light stage is one plain pass.
    Material* litMaterial(Mesh& mesh) {
        if (!programs.find("lit.rt")) {
            auto* technique = new RenderTechnique("lit.rt", &programs, nullptr);
            technique->compile("Light { impl { Pass { StencilFunc equal, 0, ALL_BITS } } }");
            programs.add(technique);
        }
        ByteWriter record;
        record.u8(0).u8(255).str("lit.rt").i32(0);
        auto material = std::make_unique<Material>(nullptr, &programs);
        DataStream stream(record.bytes().data(), record.size());
        material->loadMaterial(stream);
        return &mesh.addMaterial(std::move(material));
    }

    // A floor facing up at y = -1 in front of the camera and a unit cube standing on it.
    void buildRoom(Sector& sector) {
        StaticMesh& mesh = sector.staticMesh();
        Material* material = litMaterial(mesh);
        addPositions(mesh, {{-10, -1, 0, 0}, {10, -1, 0, 0}, {10, -1, -20, 0}, {-10, -1, -20, 0}});
        addFace(mesh, {0, 1, 2, 3}, material);
        StaticMesh cube;
        makeCube(cube);
        for (int i = 0; i < cube.positionCount(); ++i) {
            const Vector4 p = cube.position(i).point();
            addPositions(mesh, {{p.x - 0.5f, p.y - 1.0f, p.z - 6.0f, 0.0f}});
        }
        for (int f = 0; f < cube.faceCount(); ++f) {
            const MeshFace& face = cube.face(f);
            auto copy = std::make_unique<MeshFace>();
            for (const MeshVertex* v : face.corners)
                copy->corners.push_back(&mesh.vertex(v->index + 4));
            copy->material = material;
            copy->computePlane();
            mesh.addFace(std::move(copy));
        }
        mesh.computeBoundingBox();
        mesh.buildEdges();
        mesh.buildVertexArray();
        mesh.buildRenderBatches();
    }

    // A point light of the given reach, dynamic unless pieces are added.
    static std::unique_ptr<Light> pointLight(const Vector4& position, float radius) {
        auto light = std::make_unique<Light>();
        light->position = position;
        light->setRadii(0.0f, radius);
        return light;
    }

    // An instance whose one bone spans the box from low to high around its origin;
    // with a triangle, one lit-material triangle inside that box facing +z.
    std::unique_ptr<MeshInstance> boxInstance(const Vector4& at, const Vector4& low,
                                              const Vector4& high, bool withTriangle = false) {
        ByteWriter msh;
        msh.i32(1).vec3(low.x, low.y, low.z).vec3(high.x, high.y, high.z);
        for (float v : {1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 0.f, 1.f, 0.f}) msh.f32(v);
        msh.i32(0).i32(0);  // no children, no animations
        if (!withTriangle) {
            msh.i32(0).i32(0).i32(0).i32(0);
        } else {
            litMaterial(scratchMesh);
            msh.i32(1).u8(0).u8(255).str("lit.rt").i32(0);
            msh.i32(3);
            msh.vec3(low.x, low.y, 0).i32(1).i32(0).f32(1.0f);
            msh.vec3(high.x, low.y, 0).i32(1).i32(0).f32(1.0f);
            msh.vec3(low.x, high.y, 0).i32(1).i32(0).f32(1.0f);
            msh.i32(3);
            for (int v = 0; v < 3; ++v) msh.i32(v).f32(0).f32(0).vec3(0, 0, 1).vec3(1, 0, 0);
            msh.i32(1).i32(0).i32(1).i32(2).i32(0);
        }
        auto mesh = std::make_unique<DynamicMesh>("box.msh", nullptr, &programs);
        DataStream stream(msh.bytes().data(), msh.size());
        mesh->read(stream);
        auto instance = std::make_unique<MeshInstance>(*mesh, nullptr);
        instance->setPosition(at.x, at.y, at.z, 0.0f);
        instance->updateLocalMatrix();
        instance->updateWorldMatrix();
        instance->update();
        meshes.push_back(std::move(mesh));
        return instance;
    }

    RecordingDriver driver;
    ResourceRegistry programs;
    StaticMesh scratchMesh;  // owns materials made only to register lit.rt
    std::vector<std::unique_ptr<DynamicMesh>> meshes;
    CameraView camera;
    ViewVolume cameraVolume;
    VisibleSet visible;
    LightFrame frame;
    LightReach reach;
    std::vector<StaticMesh*> updatedMeshes;
    std::vector<MeshInstance*> prepared;
};

}  // namespace arvel::test
