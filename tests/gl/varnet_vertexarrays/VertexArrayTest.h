// Helpers for the vertex-array tests: render vertices for rectangles given in pixels,
// and a fixture that starts from cleared buffers, identity matrices and every stored
// attribute active.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "support/GLFixture.h"

namespace arvel::test {

// Render vertices with the records they point at (in deques, so the references stay
// valid while rectangles are added).
struct MeshData {
    std::deque<RenderPosition> positions;
    std::deque<RenderTexCoord> texCoords;
    std::vector<RenderVertex> vertices;

    // Four counter-clockwise corners of a pixel rectangle, all with the same attributes.
    void addRect(int x0, int y0, int x1, int y1, const uint8_t (&colour)[4],
                 const float (&normal)[3] = {0, 0, 1}) {
        const int xs[4] = {x0, x1, x1, x0};
        const int ys[4] = {y0, y0, y1, y1};
        for (int i = 0; i < 4; ++i) {
            positions.push_back({ndc(xs[i]), ndc(ys[i]), 0, 1});
            texCoords.push_back({i == 1 || i == 2 ? 1.0f : 0.0f, i >= 2 ? 1.0f : 0.0f});
            RenderVertex v{&positions.back(), &texCoords.back(), {}, {}, {}};
            for (int k = 0; k < 3; ++k) v.normal[k] = normal[k];
            v.tangent[0] = 1;
            for (int k = 0; k < 4; ++k) v.colour[k] = colour[k];
            vertices.push_back(v);
        }
    }

    int count() const { return static_cast<int>(vertices.size()); }
};

// Two triangles per rectangle of a MeshData, counter-clockwise.
inline std::vector<uint32_t> rectIndices(int rects) {
    std::vector<uint32_t> indices;
    for (uint32_t r = 0; r < static_cast<uint32_t>(rects); ++r)
        for (uint32_t i : {0u, 1u, 2u, 0u, 2u, 3u}) indices.push_back(r * 4 + i);
    return indices;
}

inline constexpr uint8_t kRed[4] = {255, 0, 0, 255};
inline constexpr uint8_t kGreen[4] = {0, 255, 0, 255};
inline constexpr uint8_t kBlue[4] = {0, 0, 255, 255};

class VertexArrayTest : public VarnetTest {
protected:
    static constexpr int kFullFormat = 0x10F;

    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        resetMatrices();
        gDriver.dVASetActiveAttribs(-1);
        clear();
    }

    void TearDown() override {
        expectNoPendingError();
        VarnetTest::TearDown();
    }

    void clear() {
        gDriver.dClearColor(0, 0, 0, 0);
        gDriver.dClearDepth(1);
        gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
        gDriver.dClearBuffer();
    }

    // An array of the given memory kind and format holding the mesh's vertices; null
    // when the allocation fails.
    static DVertexArray* allocWritten(const MeshData& mesh, int kind, int format = kFullFormat) {
        DVertexArray* array = gDriver.dVAAlloc(mesh.count(), format, kind);
        if (array) gDriver.dVAWriteVertsArray(array, mesh.vertices.data(), mesh.count());
        return array;
    }

    // Binds and draws every rectangle of the array with 32-bit indices.
    void drawRects(DVertexArray* array, int rects) {
        const std::vector<uint32_t> indices = rectIndices(rects);
        gDriver.dVABind(array);
        gDriver.dVARender(array, indices.data(), static_cast<unsigned>(indices.size()),
                          dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    }
};

// A fixture whose tests run once in each kind of memory, the parameter, which names
// the run: instantiate with INSTANTIATE_TEST_SUITE_P(Memory, Suite, kEveryMemoryKind,
// memoryKindName).
template <typename Fixture>
class InEachMemoryKind : public Fixture, public ::testing::WithParamInterface<int> {};

inline const auto kEveryMemoryKind =
    ::testing::Values(dcode::kMemoryStatic, dcode::kMemoryDynamic, dcode::kMemorySystem);

inline std::string memoryKindName(const ::testing::TestParamInfo<int>& info) {
    switch (info.param) {
        case dcode::kMemoryStatic:
            return "Static";
        case dcode::kMemoryDynamic:
            return "Dynamic";
        default:
            return "System";
    }
}

}  // namespace arvel::test
