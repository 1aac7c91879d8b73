// What the importer tests share: the game's own loader set up over a temporary folder
// (the recording driver handing out a vertex array, the zone and the render queue, a
// compiled "dynamic_default.rt"), meshes loaded from writer structures and posed at
// a chosen time, and checks of the loaded geometry.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "MshWriter.h"
#include "core/Clock.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
#include "support/TempDir.h"
#include "world/MeshInstance.h"

namespace arvel::test {

class LoaderTest : public ::testing::Test {
protected:
    LoaderTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        createRenderQueue();
        fileSystem().clear();
        EXPECT_TRUE(mountFolder(folder));
        static char storage;
        driver.setResult("dVAAlloc", reinterpret_cast<DVertexArray*>(&storage));
        auto* technique = new RenderTechnique(kTechnique, nullptr, nullptr);
        technique->compile("Ambient { impl { Pass { } } }");
        techniques.add(technique);
        auto* statics = new RenderTechnique("static_default.rt", nullptr, nullptr);
        statics->compile("Ambient { impl { Pass { } } }");
        techniques.add(statics);
    }
    ~LoaderTest() override {
        instances_.clear();
        meshes.clear();
        fileSystem().clear();
        destroyRenderQueue();
        zone().destroy();
    }

    // An instance of the mesh written from file, loaded by the game's loader (the
    // fixture keeps it). Textures are not resolved: no texture registry.
    MeshInstance& load(const content::MshFile& file, const std::string& name) {
        folder.write(name, content::mshBytes(file));
        instances_.push_back(loadDynamicMesh(meshes, nullptr, &techniques, name.c_str()));
        return *instances_.back();
    }

    // Poses and skins the instance at ms milliseconds into animation.
    static void poseAt(MeshInstance& instance, int animation, uint32_t ms) {
        frameClock().set(0);
        instance.setAnimation(animation);
        frameClock().set(ms);
        instance.update();
        instance.skin();
    }

    static constexpr const char* kTechnique = "dynamic_default.rt";

    TempDir folder;
    RecordingDriver driver;
    ResourceRegistry techniques;
    ResourceRegistry meshes;

private:
    std::vector<std::unique_ptr<MeshInstance>> instances_;
};

// Every edge of the loaded mesh has exactly two faces: the mesh is closed and its
// faces agree on their winding (neighbours run along a shared edge in opposite
// directions). Returns the number of edges that break this.
inline int openOrMismatchedEdges(const Mesh& mesh) {
    int bad = 0;
    for (int i = 0; i < mesh.edgeCount(); ++i)
        if (mesh.edge(i).faceCount != 2) ++bad;
    return bad;
}

// Faces whose corners, taken counter-clockwise, face away from their own vertex
// normals.
inline int facesAgainstTheirNormals(const Mesh& mesh) {
    int against = 0;
    for (int f = 0; f < mesh.faceCount(); ++f) {
        const MeshFace& face = mesh.face(f);
        const Vector4 a = face.cornerPoint(0), b = face.cornerPoint(1), c = face.cornerPoint(2);
        const Vector4 n = cross3(b - a, c - a);
        Vector4 normals{};
        for (const MeshVertex* v : face.corners) normals = normals + v->normalVector();
        if (dot3(n, normals) < 0) ++against;
    }
    return against;
}

// The volume the faces enclose: positive when they face outwards.
inline double enclosedVolume(const Mesh& mesh) {
    double volume = 0;
    for (int f = 0; f < mesh.faceCount(); ++f) {
        const MeshFace& face = mesh.face(f);
        const Vector4 a = face.cornerPoint(0), b = face.cornerPoint(1), c = face.cornerPoint(2);
        volume += dot3(a, cross3(b, c)) / 6.0;
    }
    return volume;
}

}  // namespace arvel::test
