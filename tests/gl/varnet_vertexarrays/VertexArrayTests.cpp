// Allocating, writing, updating and drawing vertex arrays in each kind of memory, the
// statistics, and what happens with bad handles, ranges and indices.
#include <GL/gl.h>

#include "VertexArrayTest.h"

namespace arvel::test {
namespace {

class VertexArraySizes : public VertexArrayTest {};

TEST_F(VertexArraySizes, PositionIsCountedWithOrWithoutItsBit) {
    EXPECT_EQ(gDriver.dVAMemNeeded(10, 0x1), 120);
    EXPECT_EQ(gDriver.dVAMemNeeded(10, 0x0), 120);
}

TEST_F(VertexArraySizes, EachAttributeAddsItsBytes) {
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x10F), 12 + 12 + 12 + 4 + 8);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x3), 24);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x5), 24);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x9), 16);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x101), 20);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x200 | 0x400 | 0x800), 12 + 24);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x1000 | 0x2000 | 0x4000 | 0x8000), 12 + 48);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x10000), 20);
    EXPECT_EQ(gDriver.dVAMemNeeded(1, 0x1FF0F), 48 + 24 + 48 + 8);
}

TEST_F(VertexArraySizes, NegativeOrOversizedCountsNeedNothingAndAllocateNothing) {
    EXPECT_EQ(gDriver.dVAMemNeeded(-1, 0x10F), 0);
    EXPECT_EQ(gDriver.dVAAlloc(-1, 0x10F, dcode::kMemorySystem), nullptr);
    EXPECT_EQ(gDriver.dVAAlloc(0x7FFFFFFF, 0x10F, dcode::kMemoryStatic), nullptr);
}

TEST_F(VertexArraySizes, HardwareElementLimitIs29) { EXPECT_EQ(gDriver.dVAMaxHWElements(), 29); }

class VertexArrayDrawing : public VertexArrayTest {};
using VertexArrayDrawingInEachKind = InEachMemoryKind<VertexArrayDrawing>;
INSTANTIATE_TEST_SUITE_P(Memory, VertexArrayDrawingInEachKind, kEveryMemoryKind, memoryKindName);

TEST_P(VertexArrayDrawingInEachKind, DrawsTheWrittenVertices) {
    MeshData mesh;
    mesh.addRect(0, 0, 128, 256, kRed);
    mesh.addRect(128, 0, 256, 128, kGreen);
    DVertexArray* array = allocWritten(mesh, GetParam());
    ASSERT_NE(array, nullptr);
    drawRects(array, 2);
    EXPECT_TRUE(colourAt(64, 128, 255, 0, 0));
    EXPECT_TRUE(colourAt(192, 64, 0, 255, 0));
    EXPECT_TRUE(isBlack(192, 192));
    gDriver.dVAFree(array);
}

TEST_P(VertexArrayDrawingInEachKind, ListAndArrayWritesStoreTheSameVertices) {
    MeshData mesh;
    mesh.addRect(0, 0, 128, 128, kBlue);
    std::vector<const RenderVertex*> refs;
    for (const RenderVertex& v : mesh.vertices) refs.push_back(&v);
    const DVertexList list{refs.data(), static_cast<int>(refs.size())};
    DVertexArray* array = gDriver.dVAAlloc(4, kFullFormat, GetParam());
    ASSERT_NE(array, nullptr);
    gDriver.dVAWriteVerts(array, &list);
    drawRects(array, 1);
    EXPECT_TRUE(colourAt(64, 64, 0, 0, 255));
    EXPECT_TRUE(isBlack(192, 192));
    gDriver.dVAFree(array);
}

TEST_P(VertexArrayDrawingInEachKind, UpdateWithColourMaskChangesOnlyColours) {
    MeshData first;
    first.addRect(0, 0, 128, 256, kRed);
    MeshData second;  // elsewhere and green
    second.addRect(128, 0, 256, 256, kGreen, {0, 0, -1});
    DVertexArray* array = allocWritten(first, GetParam());
    ASSERT_NE(array, nullptr);
    gDriver.dVAUpdateVertsArray(array, second.vertices.data(), 4, dcode::kVertexColour);
    drawRects(array, 1);
    EXPECT_TRUE(colourAt(64, 128, 0, 255, 0)) << "the new colour where the old positions are";
    EXPECT_TRUE(isBlack(192, 128)) << "positions kept";
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayDrawing, UpdateOfAListWithPositionMaskMovesTheVertices) {
    MeshData first;
    first.addRect(0, 0, 128, 256, kRed);
    MeshData second;
    second.addRect(128, 0, 256, 256, kGreen);
    std::vector<const RenderVertex*> refs;
    for (const RenderVertex& v : second.vertices) refs.push_back(&v);
    const DVertexList list{refs.data(), 4};
    DVertexArray* array = allocWritten(first, dcode::kMemoryDynamic);
    ASSERT_NE(array, nullptr);
    gDriver.dVAUpdateVerts(array, &list, dcode::kVertexPosition);
    drawRects(array, 1);
    EXPECT_TRUE(isBlack(64, 128));
    EXPECT_TRUE(colourAt(192, 128, 255, 0, 0)) << "moved, colour kept";
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayDrawing, ColourOutsideTheActiveMaskLeavesTheCurrentColour) {
    MeshData mesh;
    mesh.addRect(0, 0, 256, 256, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryStatic);
    ASSERT_NE(array, nullptr);
    gDriver.dColor3(0, 0, 1);
    gDriver.dVASetActiveAttribs(kFullFormat & ~dcode::kVertexColour);
    drawRects(array, 1);
    EXPECT_TRUE(colourAt(128, 128, 0, 0, 255));
    gDriver.dVASetActiveAttribs(-1);
    drawRects(array, 1);
    EXPECT_TRUE(colourAt(128, 128, 255, 0, 0));
    gDriver.dVAFree(array);
}

// Fixed-function lighting with the light behind the viewer: a normal facing the viewer
// is lit, the current normal (facing away) is not.
TEST_F(VertexArrayDrawing, NormalsInTheActiveMaskLightTheSurface) {
    MeshData mesh;
    mesh.addRect(0, 0, 128, 256, kRed, {0, 0, 1});
    mesh.addRect(128, 0, 256, 256, kRed, {0, 0, 1});
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryStatic);
    ASSERT_NE(array, nullptr);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glNormal3f(0, 0, -1);
    const std::vector<uint32_t> indices = rectIndices(2);
    gDriver.dVABind(array);
    gDriver.dVASetActiveAttribs(-1);
    gDriver.dVARender(array, indices.data(), 6, dcode::kPrimitiveTriangles,
                      dcode::kIndexUnsignedInt);
    gDriver.dVASetActiveAttribs(kFullFormat & ~dcode::kVertexNormal);
    gDriver.dVARender(array, indices.data() + 6, 6, dcode::kPrimitiveTriangles,
                      dcode::kIndexUnsignedInt);
    glDisable(GL_LIGHTING);
    const auto lit = readPixel(64, 128);
    const auto unlit = readPixel(192, 128);
    EXPECT_GT(lit[0], 150) << describe(lit);
    EXPECT_LT(unlit[0], 50) << describe(unlit);
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayDrawing, ShortIndicesDraw) {
    MeshData mesh;
    mesh.addRect(0, 0, 256, 256, kGreen);
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryStatic, 0x9);
    ASSERT_NE(array, nullptr);
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    gDriver.dVABind(array);
    gDriver.dVARender(array, indices, 6, dcode::kPrimitiveTriangles, GL_UNSIGNED_SHORT);
    EXPECT_TRUE(colourAt(128, 128, 0, 255, 0));
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayDrawing, RenderDrawsFromItsOwnArrayWhateverWasBoundOrWrittenLast) {
    MeshData left;
    left.addRect(0, 0, 128, 256, kRed);
    MeshData right;
    right.addRect(128, 0, 256, 256, kGreen);
    DVertexArray* system = gDriver.dVAAlloc(4, kFullFormat, dcode::kMemorySystem);
    DVertexArray* buffer = gDriver.dVAAlloc(4, kFullFormat, dcode::kMemoryStatic);
    ASSERT_NE(system, nullptr);
    ASSERT_NE(buffer, nullptr);
    gDriver.dVAWriteVertsArray(system, left.vertices.data(), 4);
    gDriver.dVABind(system);
    gDriver.dVAWriteVertsArray(buffer, right.vertices.data(), 4);  // binds its buffer
    const std::vector<uint32_t> indices = rectIndices(1);
    gDriver.dVARender(system, indices.data(), 6, dcode::kPrimitiveTriangles,
                      dcode::kIndexUnsignedInt);
    EXPECT_TRUE(colourAt(64, 128, 255, 0, 0));
    EXPECT_TRUE(isBlack(192, 128));
    gDriver.dVAFree(system);
    gDriver.dVAFree(buffer);
}

class VertexArrayStatistics : public VertexArrayTest {};

TEST_F(VertexArrayStatistics, RenderAddsIndexCountOverThreeToTheTriangleTotal) {
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryStatic);
    ASSERT_NE(array, nullptr);
    const uint32_t indices[8] = {0, 1, 2, 0, 2, 3, 0, 1};
    gDriver.dVABind(array);
    const int before = gDriver.dNumRenderedTris();
    gDriver.dVARender(array, indices, 6, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    EXPECT_EQ(gDriver.dNumRenderedTris(), before + 2);
    gDriver.dVARender(array, indices, 8, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    EXPECT_EQ(gDriver.dNumRenderedTris(), before + 4) << "8 / 3 counts 2";
    gDriver.dVARender(array, indices, 2, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    EXPECT_EQ(gDriver.dNumRenderedTris(), before + 4);
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayStatistics, NoDrawingPathCountsCacheMisses) {
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemorySystem);
    ASSERT_NE(array, nullptr);
    drawRects(array, 1);
    EXPECT_EQ(gDriver.dCMisses(), 0);
    gDriver.dVAFree(array);
}

class VertexArrayBadInput : public VertexArrayTest {};
using VertexArrayBadInputInEachKind = InEachMemoryKind<VertexArrayBadInput>;
INSTANTIATE_TEST_SUITE_P(Memory, VertexArrayBadInputInEachKind, kEveryMemoryKind, memoryKindName);

TEST_F(VertexArrayBadInput, NullHandlesDoNothing) {
    const uint32_t indices[3] = {0, 1, 2};
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    const int before = gDriver.dNumRenderedTris();
    gDriver.dVAFree(nullptr);
    gDriver.dVABind(nullptr);
    gDriver.dVARender(nullptr, indices, 3, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    gDriver.dVAWriteVertsArray(nullptr, mesh.vertices.data(), 4);
    gDriver.dVAUpdateVertsArray(nullptr, mesh.vertices.data(), 4, -1);
    gDriver.dVAWriteVerts(nullptr, nullptr);
    EXPECT_EQ(gDriver.dNumRenderedTris(), before);
    EXPECT_TRUE(isBlack(32, 32));
}

TEST_F(VertexArrayBadInput, MissingSourcesWriteNothing) {
    MeshData mesh;
    mesh.addRect(0, 0, 128, 128, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryDynamic);
    ASSERT_NE(array, nullptr);
    gDriver.dVAWriteVerts(array, nullptr);
    gDriver.dVAWriteVertsArray(array, nullptr, 4);
    const DVertexList noItems{nullptr, 4};
    gDriver.dVAUpdateVerts(array, &noItems, -1);
    // A list with a missing entry skips that vertex only.
    MeshData moved;
    moved.addRect(128, 128, 256, 256, kGreen);
    const RenderVertex* refs[4] = {nullptr, nullptr, nullptr, &moved.vertices[3]};
    const DVertexList partial{refs, 4};
    gDriver.dVAUpdateVerts(array, &partial, dcode::kVertexColour);
    drawRects(array, 1);
    // Halfway between the red corners and the fourth corner, which is green now.
    EXPECT_TRUE(colourAt(32, 96, 128, 128, 0, 4));
    gDriver.dVAFree(array);
}

TEST_P(VertexArrayBadInputInEachKind, UpdatesLongerThanTheArrayAreBoundedToIt) {
    MeshData mesh;
    mesh.addRect(0, 0, 128, 128, kRed);
    mesh.addRect(128, 128, 256, 256, kGreen);
    std::vector<const RenderVertex*> refs;
    for (const RenderVertex& v : mesh.vertices) refs.push_back(&v);
    const DVertexList list{refs.data(), 8};
    DVertexArray* array = gDriver.dVAAlloc(4, kFullFormat, GetParam());
    ASSERT_NE(array, nullptr);
    gDriver.dVAWriteVertsArray(array, mesh.vertices.data(), 8);
    gDriver.dVAUpdateVerts(array, &list, -1);
    gDriver.dVAUpdateVertsArray(array, mesh.vertices.data(), 1000, dcode::kVertexColour);
    drawRects(array, 1);
    EXPECT_TRUE(colourAt(64, 64, 255, 0, 0));
    EXPECT_TRUE(isBlack(192, 192));
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayBadInput, IndicesPastTheArrayDrawAndCountNothing) {
    MeshData mesh;
    mesh.addRect(0, 0, 256, 256, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemorySystem);
    ASSERT_NE(array, nullptr);
    gDriver.dVABind(array);
    const int before = gDriver.dNumRenderedTris();
    const uint32_t outside[6] = {0, 1, 2, 0, 2, 400000};
    gDriver.dVARender(array, outside, 6, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    const uint32_t inside[6] = {0, 1, 2, 0, 2, 3};
    gDriver.dVARender(array, inside, 6, dcode::kPrimitiveTriangles, 0x1406);  // not an index type
    gDriver.dVARender(array, nullptr, 6, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    EXPECT_EQ(gDriver.dNumRenderedTris(), before);
    EXPECT_TRUE(isBlack(128, 128));
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayBadInput, EmptyArraysAllocateAndDrawNothing) {
    DVertexArray* array = gDriver.dVAAlloc(0, kFullFormat, dcode::kMemoryStatic);
    ASSERT_NE(array, nullptr);
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    gDriver.dVAWriteVertsArray(array, mesh.vertices.data(), 4);
    const uint32_t indices[3] = {0, 1, 2};
    gDriver.dVABind(array);
    gDriver.dVARender(array, indices, 3, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    EXPECT_TRUE(isBlack(16, 16));
    gDriver.dVAFree(array);
}

}  // namespace
}  // namespace arvel::test
