// The one mesh model of the world: shared corner positions, render vertices that refer
// to positions, polygonal faces that refer to vertices and materials, and the edges
// between faces. Sector geometry, portals, dynamic meshes and shadow volumes all use it.
//
// Elements live in owning lists and never move once added, so faces, edges and the
// driver may keep pointers to them. Every element knows its index in its list.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/math/Plane.h"
#include "core/math/Ray.h"
#include "core/math/Vector4.h"
#include "driver/DriverTypes.h"
#include "world/SceneNode.h"
#include "world/VertexArray.h"

namespace arvel {

class DataStream;
class FaceOctree;
class Material;
class RenderBatch;
class ResourceRegistry;
struct MeshEdge;

// Throws the Exception an out-of-range element index raises:
// "invalid vector<T> subscript".
[[noreturn]] void throwSubscriptError(int line, const char* file);

// A corner position. The first four floats are what the plug-in reads.
struct MeshPosition : RenderPosition {
    int index = 0;
    // Skinned meshes only: the bones moving this position and their weights.
    std::vector<SceneNode*> bones;
    std::vector<float> weights;

    explicit MeshPosition(const Vector4& p = {}) : RenderPosition{p.x, p.y, p.z, 0.0f} {}

    Vector4 point() const { return {x, y, z, 0.0f}; }
    int influenceCount() const { return static_cast<int>(bones.size()); }
};

struct MeshTexCoord : RenderTexCoord {
    MeshTexCoord(float u = 0.5f, float v = 0.5f) : RenderTexCoord{u, v} {}
};

// A render vertex as the plug-in reads it, plus its index and its own coordinate sets;
// texCoord always points at the first set of this vertex, also in copies.
struct MeshVertex : RenderVertex {
    static constexpr int kMaxTexCoordSets = 1;

    int index = 0;
    int texCoordSetCount = 1;
    MeshTexCoord texCoordSets[kMaxTexCoordSets];

    MeshVertex();
    MeshVertex(const MeshVertex& other);
    MeshVertex& operator=(const MeshVertex& other);

    const MeshPosition* meshPosition() const { return static_cast<const MeshPosition*>(position); }
    void setPosition(const MeshPosition* p) { position = p; }
    Vector4 normalVector() const { return {normal[0], normal[1], normal[2], 0.0f}; }
    Vector4 tangentVector() const { return {tangent[0], tangent[1], tangent[2], 0.0f}; }
};

struct MeshFace {
    int index = 0;
    // Winding order: counter-clockwise seen from the front. Never null.
    std::vector<MeshVertex*> corners;
    Material* material = nullptr;  // none for portals and shadow volumes
    Plane plane;                   // normal towards the front; zero when degenerate
    std::vector<MeshEdge*> edges;  // per corner, the edge to the next corner
    std::vector<int> bones;        // distinct bone indices of its corners, corner order
    int flags = 0;                 // a ray's mask must be contained in these
    mutable uint16_t stamp = 0;    // last octree query that tested it

    int cornerCount() const { return static_cast<int>(corners.size()); }
    Vector4 cornerPoint(int i) const {
        const MeshPosition* p = corners[static_cast<size_t>(i)]->meshPosition();
        return p ? p->point() : Vector4{};
    }

    // Plane through the corners (Newell's normal, so a collinear first triple or a
    // slightly bent polygon still gets the right side). Fewer than three corners or
    // no area leave a zero normal: such a face is never hit and bounds nothing.
    void computePlane();
    // The distinct bones influencing the corners' positions, in corner order.
    void collectBones();
    // Whether a point of the face's plane lies in the (convex) polygon or within the
    // geometric tolerance of its outline.
    bool contains(const Vector4& p) const;
    // Distance along the ray to the face, or kNoHit.
    float hit(const Ray& ray) const;
};

struct MeshEdge {
    int index = 0;
    const MeshPosition* first = nullptr;  // in the winding of the face that made it
    const MeshPosition* second = nullptr;
    MeshFace* faces[2] = {nullptr, nullptr};  // the creating face first
    int faceCount = 0;
    bool convex = false;
};

class Mesh : public SceneNode {
public:
    // Vertex format and memory kind of drawn meshes: position, normal, tangent,
    // colour and texture coordinates, in graphics memory.
    static constexpr int kStaticFormat = dcode::kVertexPosition | dcode::kVertexNormal |
                                         dcode::kVertexTangent | dcode::kVertexColour |
                                         dcode::kVertexTexCoord0;
    static constexpr int kStaticMemory = dcode::kMemoryStatic;

    Mesh();
    ~Mesh() override;

    // Checked access: an index outside the list throws "invalid vector<T> subscript".
    MeshPosition& position(int i) const;
    MeshVertex& vertex(int i) const;
    MeshFace& face(int i) const;
    Material& material(int i) const;
    MeshEdge& edge(int i) const;

    int positionCount() const { return static_cast<int>(positions_.size()); }
    int vertexCount() const { return static_cast<int>(vertices_.size()); }
    int faceCount() const { return static_cast<int>(faces_.size()); }
    int materialCount() const { return static_cast<int>(materials_.size()); }
    int edgeCount() const { return static_cast<int>(edges_.size()); }

    // Append, taking ownership and setting the element's index.
    MeshPosition& addPosition(std::unique_ptr<MeshPosition> p);
    MeshPosition& addPosition(const Vector4& p) {
        return addPosition(std::make_unique<MeshPosition>(p));
    }
    MeshVertex& addVertex(std::unique_ptr<MeshVertex> v);
    MeshFace& addFace(std::unique_ptr<MeshFace> f);
    Material& addMaterial(std::unique_ptr<Material> m);

    // From the positions only; empty without positions.
    void computeBoundingBox();
    // Rebuilds the edge list and every face's per-corner edges (see Mesh.cpp).
    void buildEdges();
    // The fan triangles (0, k, k + 1) of every face in face order.
    void buildTriangleList();
    // Writes all vertices into a fresh driver array (nothing without vertices).
    bool buildVertexArray(int format = kStaticFormat, int memoryKind = kStaticMemory);
    // Groups the faces into one batch list per material (and bone set).
    void buildRenderBatches();
    // After loading: box, edges, triangles and vertex array, batches.
    void postProcess();

    // Reads a mesh body (materials, positions, vertices, faces) and post-processes it.
    // Materials resolve techniques and textures through the registries (null: owned).
    void readBody(DataStream& stream, ResourceRegistry* textures, ResourceRegistry* techniques);
    // The part of a vertex record that map and mesh files share, after the position
    // index: texture coordinates of set 0, normal and tangent.
    static void readVertexAttributes(DataStream& stream, MeshVertex& vertex);

    // Nearest face within the ray's length: distance and face, or kNoHit and null.
    // With useOctree the mesh's octree answers when it has one.
    float rayHit(const Ray& ray, bool useOctree, MeshFace** face = nullptr) const;
    virtual const FaceOctree* octree() const { return nullptr; }

    const std::vector<uint32_t>& triangles() const { return triangles_; }
    int triangleCount() const { return static_cast<int>(triangles_.size() / 3); }
    VertexArray& vertexArray() { return vertexArray_; }
    const VertexArray& vertexArray() const { return vertexArray_; }
    const std::vector<std::unique_ptr<RenderBatch>>& batches() const { return batches_; }

    // Debug lines through the driver: every edge from its first to its second
    // position, red with one face, yellow with two; a frame of normal, tangent and
    // normal x tangent at every vertex.
    void drawEdges() const;
    void drawTangentSpace() const;

    // Destroys every element, the edges, triangles, vertex array and batches.
    virtual void clear();

private:
    std::vector<std::unique_ptr<MeshPosition>> positions_;
    std::vector<std::unique_ptr<MeshVertex>> vertices_;
    std::vector<std::unique_ptr<MeshFace>> faces_;
    std::vector<std::unique_ptr<MeshEdge>> edges_;
    std::vector<std::unique_ptr<Material>> materials_;
    std::vector<uint32_t> triangles_;
    VertexArray vertexArray_;
    std::vector<std::unique_ptr<RenderBatch>> batches_;
};

}  // namespace arvel
