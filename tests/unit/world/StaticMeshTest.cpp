#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MeshTestSupport.h"
#include "console/Settings.h"
#include "fs/DataStream.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "support/RecordingDriver.h"
#include "world/StaticMesh.h"

namespace arvel {
namespace {

using test::ByteWriter;
using test::exceptionText;

DVertexArray* fakeArray() {
    static char storage;
    return reinterpret_cast<DVertexArray*>(&storage);
}

// Writes mesh body records.
struct BodyWriter {
    ByteWriter& out;

    void counts(int materials, int positions, int vertices, int faces) {
        out.i32(materials).i32(positions).i32(vertices).i32(faces);
    }
    void material(const char* technique, int flags = 0, int opacity = 255) {
        out.u8(flags).u8(opacity).str(technique).i32(0);
    }
    void vertex(int position, float u, float v, int colour) {
        out.i32(position).f32(u).f32(v).vec3(0, 0, 1).vec3(1, 0, 0).u8(colour);
    }
    void triangle(int a, int b, int c, int material) {
        out.i32(3).i32(a).i32(b).i32(c).i32(material);
    }
};

class StaticMeshTest : public testing::Test {
protected:
    StaticMeshTest() {
        driver.setResult("dVAAlloc", fakeArray());
        auto technique = std::make_unique<RenderTechnique>("wall.rt", nullptr, nullptr);
        technique->compile("Ambient { impl { Pass { } } }");
        techniques.add(technique.release());
    }
    ~StaticMeshTest() override {
        settings().dbgDrawBboxes.flag = false;
        settings().dbgDrawEdges.flag = false;
        settings().dbgDrawTangentspace.flag = false;
    }

    // A sector of two triangles in two materials, its octree a single leaf, and one
    // child triangle.
    ByteWriter sectorRecord(int childVertexPosition = 2) {
        ByteWriter out;
        BodyWriter body{out};
        body.counts(2, 4, 4, 2);
        body.material("wall.rt", 1, 51);
        body.material("WALL.RT", 2, 255);
        out.vec3(0, 0, 0).vec3(2, 0, 0).vec3(2, 2, 0).vec3(0, 2, 0);
        for (int i = 0; i < 4; ++i) body.vertex(i, 0.25f * static_cast<float>(i), 0.75f, 10 * i);
        body.triangle(0, 1, 2, 0);
        body.triangle(0, 2, 3, 1);
        out.vec3(0, 0, 0).vec3(2, 2, 0).i32(2).i32(0).i32(1);
        out.i32(1);
        body.counts(1, 3, 3, 1);
        body.material("wall.rt");
        out.vec3(0, 0, 1).vec3(1, 0, 1).vec3(0, 1, 1);
        for (int i = 0; i < 3; ++i) body.vertex(i == 2 ? childVertexPosition : i, 0, 0, 0);
        body.triangle(0, 1, 2, 0);
        return out;
    }

    void load(StaticMesh& mesh, const ByteWriter& out) {
        DataStream stream(out.bytes().data(), out.size());
        mesh.load(stream, nullptr, &techniques);
    }

    test::ScopedZone zone;
    test::RecordingDriver driver;
    ResourceRegistry techniques;
};

// --- loading ---

TEST_F(StaticMeshTest, LoadReadsTheBodyItsOctreeAndItsChildren) {
    StaticMesh mesh;
    load(mesh, sectorRecord());
    ASSERT_EQ(mesh.materialCount(), 2);
    EXPECT_TRUE(mesh.material(0).firstSwitch());
    EXPECT_NEAR(mesh.material(0).opacity(), 0.2f, 1e-6f);
    EXPECT_EQ(mesh.material(0).technique(), mesh.material(1).technique());  // shared by name
    ASSERT_EQ(mesh.positionCount(), 4);
    ASSERT_EQ(mesh.vertexCount(), 4);
    const MeshVertex& v = mesh.vertex(3);
    EXPECT_EQ(v.meshPosition(), &mesh.position(3));
    EXPECT_FLOAT_EQ(v.texCoord->u, 0.75f);
    EXPECT_FLOAT_EQ(v.texCoord->v, 0.75f);
    EXPECT_EQ(v.normalVector(), (Vector4{0, 0, 1, 0}));
    EXPECT_EQ(v.tangentVector(), (Vector4{1, 0, 0, 0}));
    EXPECT_EQ(std::vector<int>(v.colour, v.colour + 4), (std::vector<int>{30, 30, 30, 30}));
    ASSERT_EQ(mesh.faceCount(), 2);
    EXPECT_EQ(mesh.face(1).material, &mesh.material(1));
    EXPECT_EQ(mesh.face(1).plane.normal, (Vector4{0, 0, 1, 0}));
    EXPECT_EQ(mesh.boundingBox.max, (Vector4{2, 2, 0, 0}));
    EXPECT_EQ(mesh.edgeCount(), 5);
    EXPECT_EQ(mesh.triangleCount(), 2);
    EXPECT_EQ(mesh.batches().size(), 2u);
    EXPECT_EQ(mesh.leafCount(), 1);

    ASSERT_EQ(mesh.childCount(), 1);
    const StaticMesh& child = mesh.child(0);
    EXPECT_EQ(child.index, 0);
    EXPECT_EQ(child.parent, &mesh);
    EXPECT_EQ(child.faceCount(), 1);
    EXPECT_EQ(child.octree(), nullptr);
    EXPECT_EQ(child.boundingBox.min, (Vector4{0, 0, 1, 0}));
    // Each body got its own static vertex array.
    EXPECT_EQ(driver.callsTo({"dVAAlloc"}),
              (std::vector<std::string>{"dVAAlloc(4, 271, 288)", "dVAAlloc(3, 271, 288)"}));
}

TEST_F(StaticMeshTest, RayHitThroughTheReadOctree) {
    StaticMesh mesh;
    load(mesh, sectorRecord());
    Ray ray = Ray::fromPoints({0.5f, 1.5f, 5, 0}, {0.5f, 1.5f, -5, 0}, 0, 0);
    MeshFace* face = nullptr;
    EXPECT_FLOAT_EQ(mesh.rayHit(ray, true, &face), 5.0f);
    EXPECT_EQ(face, &mesh.face(1));
}

TEST_F(StaticMeshTest, FailureEmptiesTheMeshAndAddsItsLocation) {
    StaticMesh mesh;
    const std::string text = exceptionText([&] { load(mesh, sectorRecord(7)); });
    EXPECT_NE(text.find("invalid vector<T> subscript"), std::string::npos) << text;
    EXPECT_NE(text.find("\n(World\\StaticMesh:"), std::string::npos) << text;
    EXPECT_EQ(mesh.positionCount(), 0);
    EXPECT_EQ(mesh.faceCount(), 0);
    EXPECT_EQ(mesh.materialCount(), 0);
    EXPECT_EQ(mesh.childCount(), 0);
    EXPECT_EQ(mesh.octree(), nullptr);
    EXPECT_TRUE(mesh.batches().empty());
    EXPECT_FALSE(mesh.vertexArray().valid());
    EXPECT_EQ(driver.countOf("dVAFree"), 1);
}

TEST_F(StaticMeshTest, TruncatedRecordFailsWithTheStreamError) {
    const ByteWriter whole = sectorRecord();
    for (int cut : {0, 10, 60, whole.size() / 2, whole.size() - 1}) {
        ByteWriter part;
        for (int i = 0; i < cut; ++i) part.u8(static_cast<unsigned char>(whole.bytes()[i]));
        StaticMesh mesh;
        const std::string text = exceptionText([&] { load(mesh, part); });
        EXPECT_NE(text.find("Read past the end of a data stream\n(World\\StaticMesh:"),
                  std::string::npos)
            << "cut at " << cut << ": " << text;
        EXPECT_EQ(mesh.faceCount(), 0);
    }
}

TEST_F(StaticMeshTest, BuiltOctreeReplacesTheReadOne) {
    StaticMesh mesh;
    load(mesh, sectorRecord());
    StaticMesh& child = mesh.child(0);
    child.buildOctree();
    ASSERT_NE(child.octree(), nullptr);
    EXPECT_EQ(child.leafCount(), 1);
    Ray ray = Ray::fromPoints({0.2f, 0.2f, 3, 0}, {0.2f, 0.2f, -3, 0}, 0, 0);
    EXPECT_FLOAT_EQ(child.rayHit(ray, true), 2.0f);
}

// --- drawing ---

TEST_F(StaticMeshTest, DrawQueuesTheArrayOnceAndEachBatchWithItsMaterialsPasses) {
    StaticMesh mesh;
    load(mesh, sectorRecord());
    createRenderQueue();
    RenderContext context;
    driver.clearCalls();
    mesh.draw(context, &RenderTechnique::ambientPasses);
    EXPECT_EQ(context.object, &mesh);
    EXPECT_EQ(context.objectMatrix, &mesh.worldMatrix);
    EXPECT_EQ(renderQueue()->queuedCount(), 1);
    EXPECT_EQ(renderQueue()->drawCount(), 2);
    EXPECT_EQ(driver.countOf("dVARender"), 0);  // nothing drawn before the flush
    flushRenderQueue();
    EXPECT_EQ(driver.callsTo({"dVABind", "dVARender"}),
              (std::vector<std::string>{"dVABind(ptr)", "dVARender(ptr, ptr, 3, 4, 5125)",
                                        "dVARender(ptr, ptr, 3, 4, 5125)"}));
    destroyRenderQueue();
}

TEST_F(StaticMeshTest, MeshWithoutAVertexArrayQueuesNothing) {
    driver.setResult("dVAAlloc", static_cast<DVertexArray*>(nullptr));
    StaticMesh mesh;
    load(mesh, sectorRecord());
    createRenderQueue();
    RenderContext context;
    mesh.draw(context, &RenderTechnique::ambientPasses);
    EXPECT_EQ(renderQueue()->queuedCount(), 0);
    destroyRenderQueue();
}

TEST_F(StaticMeshTest, DebugDrawingFollowsItsSettings) {
    StaticMesh mesh;
    load(mesh, sectorRecord());
    driver.clearCalls();
    mesh.drawDebug();
    EXPECT_TRUE(driver.calls().empty());

    settings().dbgDrawBboxes.flag = true;
    mesh.drawDebug();
    EXPECT_EQ(driver.countOf("dRenderLine"), 12);  // the one leaf box
    settings().dbgDrawBboxes.flag = false;

    driver.clearCalls();
    settings().dbgDrawEdges.flag = true;
    mesh.drawDebug();
    EXPECT_EQ(driver.countOf("dRenderLine"), 5);
    settings().dbgDrawEdges.flag = false;

    driver.clearCalls();
    settings().dbgDrawTangentspace.flag = true;
    mesh.drawDebug();
    EXPECT_EQ(driver.countOf("dRenderCoordSystem"), 4);
    EXPECT_EQ(driver.countOf("dRenderLine"), 0);
}

}  // namespace
}  // namespace arvel
