// What the skinning tests share: a temporary folder mounted as the only file source,
// the recording driver handing out a vertex array, the zone and the render queue, a
// compiled "dynamic_default.rt" in the technique registry, and .msh files written
// with the content writer.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "MshWriter.h"
#include "core/Exception.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "support/ExceptionText.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
#include "world/DynamicMesh.h"

namespace arvel::test {

inline DVertexArray* fakeVertexArray() {
    static char storage;
    return reinterpret_cast<DVertexArray*>(&storage);
}

class SkinningTest : public ::testing::Test {
protected:
    SkinningTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        createRenderQueue();
        fileSystem().clear();
        EXPECT_TRUE(mountFolder(folder));
        driver.setResult("dVAAlloc", fakeVertexArray());
        auto* technique = new RenderTechnique("dynamic_default.rt", nullptr, nullptr);
        technique->compile("Ambient { impl { Pass { } } }");
        techniques.add(technique);
    }
    ~SkinningTest() override {
        fileSystem().clear();
        destroyRenderQueue();
        zone().destroy();
    }

    void write(const std::string& name, const content::MshFile& file) {
        folder.write(name, content::mshBytes(file));
    }
    // A mesh streamed from a file written from file.
    std::unique_ptr<DynamicMesh> load(const content::MshFile& file,
                                      const std::string& name = "test.msh") {
        write(name, file);
        auto mesh = std::make_unique<DynamicMesh>(name, nullptr, &techniques);
        mesh->stream();
        return mesh;
    }
    // The message streaming name throws.
    std::string streamError(const std::string& name) {
        DynamicMesh mesh(name, nullptr, &techniques);
        return exceptionText([&] { mesh.stream(); });
    }

    TempDir folder;
    RecordingDriver driver;
    ResourceRegistry techniques;
};

// A triangle over three new positions (each moved by bone with weight 1, or by none
// when bone is negative) and three new vertices on them.
inline void addTriangle(content::MshFile& file, std::array<std::array<float, 3>, 3> corners,
                        int bone, int material = 0) {
    content::MshTriangle triangle;
    triangle.material = material;
    for (int c = 0; c < 3; ++c) {
        content::MshPosition position;
        position.point = corners[static_cast<size_t>(c)];
        if (bone >= 0) position.influences.push_back({bone, 1.0f});
        file.positions.push_back(position);
        content::MshVertex vertex;
        vertex.position = static_cast<int32_t>(file.positions.size() - 1);
        file.vertices.push_back(vertex);
        triangle.vertices[static_cast<size_t>(c)] = static_cast<int32_t>(file.vertices.size() - 1);
    }
    file.triangles.push_back(triangle);
}

inline content::MshBoneKeys constantKeys(int frames, std::array<float, 3> position = {0, 0, 0},
                                         content::MshRotationKey rotation = {0.0f, {0, 0, 1}},
                                         std::array<float, 3> scale = {1, 1, 1}) {
    content::MshBoneKeys keys;
    keys.positions.assign(static_cast<size_t>(frames), position);
    keys.rotations.assign(static_cast<size_t>(frames), rotation);
    keys.scales.assign(static_cast<size_t>(frames), scale);
    return keys;
}

inline constexpr float kHalfPi = 1.57079632679f;

}  // namespace arvel::test
