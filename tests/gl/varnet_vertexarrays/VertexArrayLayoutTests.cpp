// The interleaved layout: the bytes each write and update stores, and where dVARender
// points the client arrays, read back from the graphics API.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "VertexArrayTest.h"
#include "platform/platform.h"

namespace arvel::test {
namespace {

class VertexArrayLayout : public VertexArrayTest {
protected:
    // Draws one triangle from the array so that the client arrays point into it.
    void renderOnce(DVertexArray* array) {
        const uint32_t indices[3] = {0, 1, 2};
        gDriver.dVABind(array);
        gDriver.dVARender(array, indices, 3, dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
    }

    // Fetched at run time: opengl32 on Windows exports OpenGL 1.1 only.
    static void clientActiveTexture(GLenum unit) {
        using Select = void(APIENTRY*)(GLenum);
        static const auto select =
            reinterpret_cast<Select>(platform::glProcAddress("glClientActiveTexture"));
        if (select) select(unit);
    }

    // A client array's offset from the position array, its size and its stride.
    struct ClientArray {
        bool enabled = false;
        long offset = -1;
        int size = 0, stride = 0;
    };

    // Pointers are buffer offsets for buffer objects, addresses otherwise; compared
    // as integers.
    static intptr_t pointerOf(GLenum name) {
        void* pointer = nullptr;
        glGetPointerv(name, &pointer);
        return reinterpret_cast<intptr_t>(pointer);
    }
    static long offsetOf(GLenum name) {
        return static_cast<long>(pointerOf(name) - pointerOf(GL_VERTEX_ARRAY_POINTER));
    }

    // A client array as the graphics API holds it; no size query (0) for normals, always 3.
    static ClientArray clientArray(GLenum array, GLenum pointer, GLenum size, GLenum stride) {
        ClientArray a;
        a.enabled = glIsEnabled(array);
        a.offset = offsetOf(pointer);
        a.size = 3;
        if (size) glGetIntegerv(size, &a.size);
        glGetIntegerv(stride, &a.stride);
        return a;
    }
    static ClientArray texCoords(int unit) {
        clientActiveTexture(GL_TEXTURE0 + unit);
        const ClientArray a =
            clientArray(GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_POINTER,
                        GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_STRIDE);
        clientActiveTexture(GL_TEXTURE0);
        return a;
    }
    static ClientArray normals() {
        return clientArray(GL_NORMAL_ARRAY, GL_NORMAL_ARRAY_POINTER, 0, GL_NORMAL_ARRAY_STRIDE);
    }
    static ClientArray colours() {
        return clientArray(GL_COLOR_ARRAY, GL_COLOR_ARRAY_POINTER, GL_COLOR_ARRAY_SIZE,
                           GL_COLOR_ARRAY_STRIDE);
    }

    // The array's stored bytes: read from its buffer object, or from system memory
    // through the position pointer of the last draw.
    std::vector<uint8_t> storedBytes(DVertexArray* array, int bytes) {
        renderOnce(array);
        std::vector<uint8_t> data(static_cast<size_t>(bytes));
        GLint buffer = 0;
        glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
        if (buffer != 0) {
            auto getBufferSubData = reinterpret_cast<PFNGLGETBUFFERSUBDATAPROC>(
                platform::glProcAddress("glGetBufferSubData"));
            if (getBufferSubData) getBufferSubData(GL_ARRAY_BUFFER, 0, bytes, data.data());
        } else {
            const auto* memory =
                reinterpret_cast<const uint8_t*>(pointerOf(GL_VERTEX_ARRAY_POINTER));
            std::memcpy(data.data(), memory, data.size());
        }
        return data;
    }
};

using VertexArrayLayoutInEachKind = InEachMemoryKind<VertexArrayLayout>;
INSTANTIATE_TEST_SUITE_P(Memory, VertexArrayLayoutInEachKind, kEveryMemoryKind, memoryKindName);

TEST_P(VertexArrayLayoutInEachKind, WritesInterleavePositionNormalTangentColourTexCoords) {
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed, {0.25f, 0.5f, 0.75f});
    RenderVertex& v = mesh.vertices[1];
    v.tangent[0] = 2, v.tangent[1] = 3, v.tangent[2] = 4;
    const uint8_t colour[4] = {1, 2, 3, 4};
    std::memcpy(v.colour, colour, 4);
    DVertexArray* array = allocWritten(mesh, GetParam());
    ASSERT_NE(array, nullptr);
    const std::vector<uint8_t> bytes = storedBytes(array, 4 * 48);
    float f[3];
    const uint8_t* second = bytes.data() + 48;
    std::memcpy(f, second, 12);
    EXPECT_FLOAT_EQ(f[0], mesh.positions[1].x);
    EXPECT_FLOAT_EQ(f[1], mesh.positions[1].y);
    std::memcpy(f, second + 12, 12);
    EXPECT_FLOAT_EQ(f[2], 0.75f) << "normal";
    std::memcpy(f, second + 24, 12);
    EXPECT_FLOAT_EQ(f[2], 4.0f) << "tangent";
    EXPECT_EQ(std::memcmp(second + 36, colour, 4), 0) << "colour";
    std::memcpy(f, second + 40, 8);
    EXPECT_FLOAT_EQ(f[0], mesh.texCoords[1].u);
    EXPECT_FLOAT_EQ(f[1], mesh.texCoords[1].v);
    gDriver.dVAFree(array);
}

TEST_P(VertexArrayLayoutInEachKind, UpdateWithColourMaskRewritesOnlyTheFourColourBytes) {
    MeshData first;
    first.addRect(0, 0, 64, 64, kRed, {0, 0, 1});
    MeshData second;
    second.addRect(100, 100, 200, 200, kGreen, {1, 0, 0});
    DVertexArray* array = allocWritten(first, GetParam());
    ASSERT_NE(array, nullptr);
    const std::vector<uint8_t> before = storedBytes(array, 4 * 48);
    gDriver.dVAUpdateVertsArray(array, second.vertices.data(), 4, dcode::kVertexColour);
    const std::vector<uint8_t> after = storedBytes(array, 4 * 48);
    for (int i = 0; i < 4 * 48; ++i) {
        const bool colourByte = i % 48 >= 36 && i % 48 < 40;
        if (colourByte)
            EXPECT_EQ(after[i], kGreen[i % 48 - 36]) << "byte " << i;
        else
            EXPECT_EQ(after[i], before[i]) << "byte " << i;
    }
    gDriver.dVAFree(array);
}

TEST_P(VertexArrayLayoutInEachKind, WithoutNormalTheTangentSitsAtByte12) {
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    DVertexArray* array = allocWritten(mesh, GetParam(), 0x105);
    ASSERT_NE(array, nullptr);
    renderOnce(array);
    const ClientArray tangent = texCoords(7);
    EXPECT_TRUE(tangent.enabled);
    EXPECT_EQ(tangent.offset, 12);
    EXPECT_EQ(tangent.size, 3);
    EXPECT_EQ(tangent.stride, 32);
    const ClientArray uv = texCoords(0);
    EXPECT_TRUE(uv.enabled);
    EXPECT_EQ(uv.offset, 24);
    EXPECT_EQ(uv.size, 2);
    EXPECT_FALSE(normals().enabled);
    EXPECT_FALSE(colours().enabled);
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayLayout, AttributeOutsideTheMaskIsDisabledButKeepsLaterOffsets) {
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryStatic);
    ASSERT_NE(array, nullptr);
    gDriver.dVASetActiveAttribs(kFullFormat & ~dcode::kVertexNormal);
    renderOnce(array);
    EXPECT_FALSE(normals().enabled);
    const ClientArray tangent = texCoords(7);
    EXPECT_TRUE(tangent.enabled);
    EXPECT_EQ(tangent.offset, 24);
    EXPECT_EQ(tangent.stride, 48);
    const ClientArray colour = colours();
    EXPECT_TRUE(colour.enabled);
    EXPECT_EQ(colour.offset, 36);
    EXPECT_EQ(colour.size, 4);
    EXPECT_EQ(texCoords(0).offset, 40);

    gDriver.dVASetActiveAttribs(dcode::kVertexNormal);
    renderOnce(array);
    const ClientArray normal = normals();
    EXPECT_TRUE(normal.enabled);
    EXPECT_EQ(normal.offset, 12);
    EXPECT_EQ(normal.stride, 48);
    EXPECT_FALSE(texCoords(7).enabled);
    EXPECT_FALSE(colours().enabled);
    EXPECT_FALSE(texCoords(0).enabled);
    gDriver.dVAFree(array);
}

TEST_F(VertexArrayLayout, RenderLeavesClientTextureUnitZeroSelected) {
    MeshData mesh;
    mesh.addRect(0, 0, 64, 64, kRed);
    DVertexArray* array = allocWritten(mesh, dcode::kMemoryDynamic);
    ASSERT_NE(array, nullptr);
    renderOnce(array);
    GLint unit = -1;
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
    gDriver.dVAFree(array);
}

}  // namespace
}  // namespace arvel::test
