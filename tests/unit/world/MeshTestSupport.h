// Building meshes and mesh records in tests: faces over given positions, a unit cube
// of quads, and a little-endian byte writer for the file records meshes read.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "core/Exception.h"
#include "core/Zone.h"
#include "support/ExceptionText.h"
#include "world/Mesh.h"

namespace arvel::test {

// The scratch zone that batch building orders its triangles in, for one test.
struct ScopedZone {
    ScopedZone() { zone().create(); }
    ~ScopedZone() { zone().destroy(); }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;
};

// One vertex per position, in position order, so vertex i stands on position i.
inline void addPositions(Mesh& mesh, std::initializer_list<Vector4> points) {
    for (const Vector4& p : points) {
        mesh.addPosition(p);
        auto vertex = std::make_unique<MeshVertex>();
        vertex->setPosition(&mesh.position(mesh.positionCount() - 1));
        mesh.addVertex(std::move(vertex));
    }
}

// A face over the vertices of the given indices, its plane and bones computed.
inline MeshFace& addFace(Mesh& mesh, std::initializer_list<int> vertices,
                         Material* material = nullptr) {
    auto face = std::make_unique<MeshFace>();
    for (int v : vertices) face->corners.push_back(&mesh.vertex(v));
    face->material = material;
    face->computePlane();
    face->collectBones();
    return mesh.addFace(std::move(face));
}

// The cube [0, size]^3: position x + 2y + 4z, six quads wound counter-clockwise seen
// from outside, so every plane faces out.
inline void makeCube(Mesh& mesh, float size = 1.0f, Material* material = nullptr) {
    for (int i = 0; i < 8; ++i) {
        const float x = (i & 1) ? size : 0.0f, y = (i & 2) ? size : 0.0f, z = (i & 4) ? size : 0.0f;
        addPositions(mesh, {{x, y, z, 0.0f}});
    }
    for (auto quad : {std::initializer_list<int>{0, 2, 3, 1},
                      {4, 5, 7, 6},
                      {0, 1, 5, 4},
                      {2, 6, 7, 3},
                      {0, 4, 6, 2},
                      {1, 3, 7, 5}})
        addFace(mesh, quad, material);
}

// The right triangle (0, 0, 0), (1, 0, 0), (0, 1, 0) facing +z, with its edges.
inline void makeTriangle(Mesh& mesh) {
    addPositions(mesh, {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}});
    addFace(mesh, {0, 1, 2});
    mesh.buildEdges();
}

// Little-endian records as the map files hold them.
class ByteWriter {
public:
    ByteWriter& i32(int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    ByteWriter& f32(float v) {
        int32_t bits;
        std::memcpy(&bits, &v, 4);
        return i32(bits);
    }
    ByteWriter& vec3(float x, float y, float z) { return f32(x).f32(y).f32(z); }
    ByteWriter& u8(int v) {
        bytes_.push_back(static_cast<char>(v));
        return *this;
    }
    ByteWriter& str(const char* text) {
        bytes_.append(text, std::strlen(text) + 1);
        return *this;
    }
    const std::string& bytes() const { return bytes_; }
    int size() const { return static_cast<int>(bytes_.size()); }

private:
    std::string bytes_;
};

}  // namespace arvel::test
