#include "world/Mesh.h"

#include <algorithm>
#include <cmath>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "driver/Driver.h"
#include "fs/DataStream.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "world/FaceOctree.h"

namespace arvel {

void throwSubscriptError(int line, const char* file) {
    throw new Exception(line, file, "invalid vector<T> subscript");
}

namespace {

template <typename T>
T& checkedAt(const std::vector<std::unique_ptr<T>>& list, int i, int line) {
    if (i < 0 || static_cast<size_t>(i) >= list.size()) throwSubscriptError(line, "World\\Mesh");
    return *list[static_cast<size_t>(i)];
}

template <typename T>
T& append(std::vector<std::unique_ptr<T>>& list, std::unique_ptr<T> element) {
    element->index = static_cast<int>(list.size());
    list.push_back(std::move(element));
    return *list.back();
}

DVec4 toDVec4(const Vector4& v) { return {v.x, v.y, v.z, v.w}; }

// Signed distance of p from the plane of a face, in front positive.
float planeDistance(const MeshFace& face, const Vector4& p) { return face.plane.distance(p); }

// A face lies behind a plane when no corner is in front of it (beyond the tolerance)
// and at least one is clearly behind.
bool liesBehind(const MeshFace& face, const MeshFace& other) {
    bool behind = false;
    for (int i = 0; i < face.cornerCount(); ++i) {
        const float d = planeDistance(other, face.cornerPoint(i));
        if (d > kTolerance) return false;
        if (d < -kTolerance) behind = true;
    }
    return behind;
}

}  // namespace

// ---- elements ---------------------------------------------------------------------

MeshVertex::MeshVertex()
    : RenderVertex{nullptr,
                   nullptr,
                   {0.0f, 0.0f, 0.0f, 0.0f},
                   {0.0f, 0.0f, 0.0f, 0.0f},
                   {255, 255, 255, 255}} {
    texCoord = &texCoordSets[0];
}

MeshVertex::MeshVertex(const MeshVertex& other)
    : RenderVertex(other), index(other.index), texCoordSetCount(other.texCoordSetCount) {
    std::copy(std::begin(other.texCoordSets), std::end(other.texCoordSets), texCoordSets);
    texCoord = &texCoordSets[0];
}

MeshVertex& MeshVertex::operator=(const MeshVertex& other) {
    RenderVertex::operator=(other);
    index = other.index;
    texCoordSetCount = other.texCoordSetCount;
    std::copy(std::begin(other.texCoordSets), std::end(other.texCoordSets), texCoordSets);
    texCoord = &texCoordSets[0];
    return *this;
}

void MeshFace::computePlane() {
    plane = Plane{};
    const int n = cornerCount();
    if (n < 3) return;
    Vector4 normal, centre;
    for (int i = 0; i < n; ++i) {
        const Vector4 a = cornerPoint(i);
        const Vector4 b = cornerPoint((i + 1) % n);
        normal.x += (a.y - b.y) * (a.z + b.z);
        normal.y += (a.z - b.z) * (a.x + b.x);
        normal.z += (a.x - b.x) * (a.y + b.y);
        centre = centre + a;
    }
    const float length = length3(normal);
    if (!(length > 0.0f) || !std::isfinite(length)) return;
    normal = normal * (1.0f / length);
    normal.w = 0.0f;
    centre = centre * (1.0f / static_cast<float>(n));
    plane = Plane{normal, -dot3(normal, centre)};
}

void MeshFace::collectBones() {
    bones.clear();
    for (const MeshVertex* corner : corners) {
        const MeshPosition* p = corner->meshPosition();
        if (!p) continue;
        for (const SceneNode* bone : p->bones) {
            if (!bone) continue;
            if (std::find(bones.begin(), bones.end(), bone->index) == bones.end())
                bones.push_back(bone->index);
        }
    }
}

bool MeshFace::contains(const Vector4& p) const {
    const int n = cornerCount();
    if (n < 3 || dot3(plane.normal, plane.normal) == 0.0f) return false;
    bool inside = true;
    for (int i = 0; i < n && inside; ++i) {
        const Vector4 a = cornerPoint(i);
        inside = dot3(cross3(cornerPoint((i + 1) % n) - a, p - a), plane.normal) >= 0.0f;
    }
    if (inside) return true;
    // Near the outline counts too, measured to the sides themselves: the lines through
    // the sides would reach far beyond a sharp corner.
    for (int i = 0; i < n; ++i) {
        const Vector4 a = cornerPoint(i);
        const Vector4 side = cornerPoint((i + 1) % n) - a;
        const float lengthSquared = dot3(side, side);
        float t = lengthSquared > 0.0f ? dot3(p - a, side) / lengthSquared : 0.0f;
        t = std::clamp(t, 0.0f, 1.0f);
        if (length3(p - (a + side * t)) <= kTolerance) return true;
    }
    return false;
}

float MeshFace::hit(const Ray& ray) const {
    return ray.hitFace(plane, flags, [this](const Vector4& p) { return contains(p); });
}

// ---- mesh -------------------------------------------------------------------------

Mesh::Mesh() = default;
Mesh::~Mesh() = default;

MeshPosition& Mesh::position(int i) const { return checkedAt(positions_, i, __LINE__); }
MeshVertex& Mesh::vertex(int i) const { return checkedAt(vertices_, i, __LINE__); }
MeshFace& Mesh::face(int i) const { return checkedAt(faces_, i, __LINE__); }
Material& Mesh::material(int i) const { return checkedAt(materials_, i, __LINE__); }
MeshEdge& Mesh::edge(int i) const { return checkedAt(edges_, i, __LINE__); }

MeshPosition& Mesh::addPosition(std::unique_ptr<MeshPosition> p) {
    return append(positions_, std::move(p));
}

MeshVertex& Mesh::addVertex(std::unique_ptr<MeshVertex> v) {
    return append(vertices_, std::move(v));
}

MeshFace& Mesh::addFace(std::unique_ptr<MeshFace> f) { return append(faces_, std::move(f)); }

Material& Mesh::addMaterial(std::unique_ptr<Material> m) {
    materials_.push_back(std::move(m));
    return *materials_.back();
}

void Mesh::computeBoundingBox() {
    boundingBox.makeEmpty();
    for (const auto& p : positions_) boundingBox.extend(p->point());
}

// Every position gets a bucket of the edges that touch it. A face's side from A to B
// joins an edge made earlier in the opposite direction (B to A) by a neighbour wound
// the same way round; otherwise it starts a new edge. A side whose matching edges
// already have two faces is non-manifold: it is logged, the face still refers to that
// edge, but the edge keeps its two faces.
void Mesh::buildEdges() {
    edges_.clear();
    std::vector<std::vector<MeshEdge*>> buckets(positions_.size());
    auto bucketOf = [&](const MeshPosition* p) -> std::vector<MeshEdge*>* {
        if (!p || p->index < 0 || static_cast<size_t>(p->index) >= buckets.size() ||
            positions_[static_cast<size_t>(p->index)].get() != p)
            return nullptr;  // a position of another mesh: no edges of ours
        return &buckets[static_cast<size_t>(p->index)];
    };

    for (const auto& facePtr : faces_) {
        MeshFace& face = *facePtr;
        const int n = face.cornerCount();
        face.edges.assign(static_cast<size_t>(n), nullptr);
        if (n < 3) continue;  // a point or a segment has no sides to share
        for (int i = 0; i < n; ++i) {
            const MeshPosition* a = face.corners[i]->meshPosition();
            const MeshPosition* b = face.corners[(i + 1) % n]->meshPosition();
            std::vector<MeshEdge*>* bucketA = bucketOf(a);
            std::vector<MeshEdge*>* bucketB = bucketOf(b);
            if (!bucketA || !bucketB) continue;

            MeshEdge* full = nullptr;
            MeshEdge* joined = nullptr;
            for (MeshEdge* edge : *bucketA) {
                if (edge->first != b || edge->second != a) continue;
                if (edge->faces[0] == &face || edge->faces[1] == &face) continue;
                if (edge->faceCount < 2) {
                    joined = edge;
                    break;
                }
                if (!full) full = edge;
            }
            if (joined) {
                joined->faces[joined->faceCount++] = &face;
                face.edges[static_cast<size_t>(i)] = joined;
            } else if (full) {
                DumpLog("WARNING: Tried to add a face on an edge shared by 2 faces\n");
                face.edges[static_cast<size_t>(i)] = full;
            } else {
                auto edge = std::make_unique<MeshEdge>();
                edge->first = a;
                edge->second = b;
                edge->faces[0] = &face;
                edge->faceCount = 1;
                MeshEdge& added = append(edges_, std::move(edge));
                bucketA->push_back(&added);
                if (bucketB != bucketA) bucketB->push_back(&added);
                face.edges[static_cast<size_t>(i)] = &added;
            }
        }
    }

    for (const auto& edge : edges_)
        edge->convex = edge->faceCount == 2 && liesBehind(*edge->faces[0], *edge->faces[1]) &&
                       liesBehind(*edge->faces[1], *edge->faces[0]);
}

void Mesh::buildTriangleList() {
    triangles_.clear();
    for (const auto& face : faces_) {
        const int n = face->cornerCount();
        for (int k = 1; k + 1 < n; ++k) {
            triangles_.push_back(static_cast<uint32_t>(face->corners[0]->index));
            triangles_.push_back(static_cast<uint32_t>(face->corners[k]->index));
            triangles_.push_back(static_cast<uint32_t>(face->corners[k + 1]->index));
        }
    }
}

bool Mesh::buildVertexArray(int format, int memoryKind) {
    vertexArray_.release();
    if (vertices_.empty()) return false;
    std::vector<const RenderVertex*> list;
    list.reserve(vertices_.size());
    for (const auto& v : vertices_) list.push_back(v.get());
    return vertexArray_.create(list, format, memoryKind);
}

void Mesh::buildRenderBatches() {
    batches_.clear();
    if (faces_.empty()) return;
    std::vector<std::vector<uint32_t>> corners(faces_.size());
    std::vector<BatchFace> batchFaces(faces_.size());
    for (size_t i = 0; i < faces_.size(); ++i) {
        const MeshFace& face = *faces_[i];
        for (const MeshVertex* corner : face.corners)
            corners[i].push_back(static_cast<uint32_t>(corner->index));
        BatchFace& out = batchFaces[i];
        out.material = face.material;
        out.corners = corners[i].data();
        out.cornerCount = face.cornerCount();
        out.bones = face.bones.data();
        out.boneCount = static_cast<int>(face.bones.size());
    }
    arvel::buildRenderBatches(batchFaces.data(), static_cast<int>(batchFaces.size()), batches_);
}

void Mesh::postProcess() {
    computeBoundingBox();
    buildEdges();
    buildTriangleList();
    buildVertexArray();
    buildRenderBatches();
}

void Mesh::readVertexAttributes(DataStream& stream, MeshVertex& vertex) {
    vertex.texCoordSets[0].u = stream.readFloat();
    vertex.texCoordSets[0].v = stream.readFloat();
    const Vector4 normal = stream.readVec3();
    const Vector4 tangent = stream.readVec3();
    std::copy(&normal.x, &normal.x + 4, vertex.normal);
    std::copy(&tangent.x, &tangent.x + 4, vertex.tangent);
}

void Mesh::readBody(DataStream& stream, ResourceRegistry* textures, ResourceRegistry* techniques) {
    const int32_t materialCount = stream.readInt32();
    const int32_t positionCount = stream.readInt32();
    const int32_t vertexCount = stream.readInt32();
    const int32_t faceCount = stream.readInt32();

    for (int32_t i = 0; i < materialCount; ++i) {
        auto material = std::make_unique<Material>(textures, techniques);
        material->loadMaterial(stream);
        addMaterial(std::move(material));
    }
    for (int32_t i = 0; i < positionCount; ++i) addPosition(stream.readVec3());
    for (int32_t i = 0; i < vertexCount; ++i) {
        auto v = std::make_unique<MeshVertex>();
        v->setPosition(&position(stream.readInt32()));
        readVertexAttributes(stream, *v);
        const uint8_t colour = stream.readByte();
        std::fill(std::begin(v->colour), std::end(v->colour), colour);
        addVertex(std::move(v));
    }
    for (int32_t i = 0; i < faceCount; ++i) {
        auto f = std::make_unique<MeshFace>();
        const int32_t cornerCount = stream.readInt32();
        for (int32_t c = 0; c < cornerCount; ++c) f->corners.push_back(&vertex(stream.readInt32()));
        f->material = &material(stream.readInt32());
        f->computePlane();
        f->collectBones();
        addFace(std::move(f));
    }
    postProcess();
}

float Mesh::rayHit(const Ray& ray, bool useOctree, MeshFace** face) const {
    if (face) *face = nullptr;
    if (useOctree) {
        if (const FaceOctree* tree = octree()) return tree->rayQuery(ray, face);
    }
    float best = ray.length;
    MeshFace* nearest = nullptr;
    for (const auto& f : faces_) {
        const float t = f->hit(ray);
        if (t < best) {
            best = t;
            nearest = f.get();
        }
    }
    if (face) *face = nearest;
    return nearest ? best : kNoHit;
}

void Mesh::drawEdges() const {
    if (!gDriver.dColor4 || !gDriver.dRenderLine) return;
    for (const auto& edge : edges_) {
        if (edge->faceCount < 2)
            gDriver.dColor4(1.0f, 0.0f, 0.0f, 0.0f);
        else
            gDriver.dColor4(1.0f, 1.0f, 0.0f, 0.0f);
        gDriver.dRenderLine(toDVec4(edge->first->point()), toDVec4(edge->second->point()));
    }
}

void Mesh::drawTangentSpace() const {
    if (!gDriver.dRenderCoordSystem) return;
    for (const auto& v : vertices_) {
        const MeshPosition* p = v->meshPosition();
        if (!p) continue;
        const Vector4 normal = v->normalVector();
        const Vector4 tangent = v->tangentVector();
        gDriver.dRenderCoordSystem(toDVec4(p->point()), toDVec4(normal), toDVec4(tangent),
                                   toDVec4(cross3(normal, tangent)));
    }
}

void Mesh::clear() {
    batches_.clear();
    vertexArray_.release();
    triangles_.clear();
    edges_.clear();
    faces_.clear();
    vertices_.clear();
    positions_.clear();
    materials_.clear();
    boundingBox.makeEmpty();
}

}  // namespace arvel
