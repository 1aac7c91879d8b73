#include "world/ShadowGeometry.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "core/ZoneScratch.h"
#include "core/math/BoundingVolume.h"
#include "world/ViewVolume.h"

namespace arvel {

namespace {

float distanceToSegment(const Vector4& p, const Vector4& a, const Vector4& b) {
    const Vector4 side = b - a;
    const float lengthSquared = dot3(side, side);
    const float t =
        lengthSquared > 0.0f ? std::clamp(dot3(p - a, side) / lengthSquared, 0.0f, 1.0f) : 0.0f;
    return length3(p - (a + side * t));
}

// Whether every corner of the face stands on a position.
bool hasPositions(const MeshFace& face) {
    for (const MeshVertex* corner : face.corners)
        if (!corner->meshPosition()) return false;
    return true;
}

MeshVertex& addVertexAt(Mesh& mesh, const Vector4& point) {
    MeshPosition& position = mesh.addPosition(point);
    auto vertex = std::make_unique<MeshVertex>();
    vertex->setPosition(&position);
    return mesh.addVertex(std::move(vertex));
}

void addFaceOver(Mesh& mesh, std::initializer_list<MeshVertex*> corners) {
    auto face = std::make_unique<MeshFace>();
    face->corners.assign(corners.begin(), corners.end());
    face->computePlane();
    mesh.addFace(std::move(face));
}

// Edges shared between the given faces only, built as a mesh builds its own: a side
// from A to B joins an earlier edge from B to A, otherwise it starts a new one.
std::vector<MeshEdge> edgesOf(const FaceList& faces) {
    std::vector<MeshEdge> edges;
    std::unordered_map<const MeshPosition*, std::vector<size_t>> buckets;
    for (const MeshFace* face : faces) {
        const int n = face->cornerCount();
        if (n < 3 || !hasPositions(*face)) continue;
        for (int i = 0; i < n; ++i) {
            const MeshPosition* a = face->corners[static_cast<size_t>(i)]->meshPosition();
            const MeshPosition* b = face->corners[static_cast<size_t>((i + 1) % n)]->meshPosition();
            bool joined = false;
            for (size_t e : buckets[a]) {
                MeshEdge& edge = edges[e];
                if (edge.first == b && edge.second == a && edge.faceCount < 2 &&
                    edge.faces[0] != face) {
                    edge.faces[edge.faceCount++] = const_cast<MeshFace*>(face);
                    joined = true;
                    break;
                }
            }
            if (joined) continue;
            MeshEdge edge;
            edge.index = static_cast<int>(edges.size());
            edge.first = a;
            edge.second = b;
            edge.faces[0] = const_cast<MeshFace*>(face);
            edge.faceCount = 1;
            edges.push_back(edge);
            buckets[a].push_back(edges.size() - 1);
            if (b != a) buckets[b].push_back(edges.size() - 1);
        }
    }
    return edges;
}

bool isSilhouette(const MeshEdge& edge, const Vector4& light, bool includeOpenEdges) {
    if (edge.faceCount == 1) return includeOpenEdges;
    if (edge.faceCount < 2) return false;
    return edge.faces[0]->plane.distance(light) * edge.faces[1]->plane.distance(light) < 0.0f;
}

// Index of an element in mesh when it is one of mesh's, else -1.
int positionIndex(const Mesh& mesh, const MeshPosition* p) {
    if (!p || p->index < 0 || p->index >= mesh.positionCount()) return -1;
    return &mesh.position(p->index) == p ? p->index : -1;
}

int edgeIndex(const Mesh& mesh, const MeshEdge* e) {
    if (!e || e->index < 0 || e->index >= mesh.edgeCount()) return -1;
    return &mesh.edge(e->index) == e ? e->index : -1;
}

// What closedShadowVolume works out before it builds: the kept faces, how often each
// mesh edge is used by them, and where each position's near and far copies stand.
struct ClosedVolumeScratch {
    ClosedVolumeScratch(ZoneScratch& hold, const Mesh& mesh, int faceCount)
        : kept(hold.array<const MeshFace*>(faceCount, nullptr)),
          edgeUses(hold.array<int>(mesh.edgeCount(), 0)),
          edgeFace(hold.array<const MeshFace*>(mesh.edgeCount(), nullptr)),
          edgeCorner(hold.array<int>(mesh.edgeCount(), 0)),
          nearVertex(hold.array<int>(mesh.positionCount(), -1)) {}

    bool ready() const { return kept && edgeUses && edgeFace && edgeCorner && nearVertex; }

    const MeshFace** kept;
    int keptCount = 0;
    float extrusion = 0.0f;  // the largest factor a kept face needs
    int* edgeUses;
    const MeshFace** edgeFace;  // the kept face that first used the edge
    int* edgeCorner;            // the corner the edge starts at in that face
    int* nearVertex;            // per position: its near copy; the far copy follows
};

FaceList allFaces(const Mesh& mesh) {
    FaceList all;
    all.reserve(static_cast<size_t>(mesh.faceCount()));
    for (int i = 0; i < mesh.faceCount(); ++i) all.push_back(&mesh.face(i));
    return all;
}

bool cornersAreOwn(const Mesh& mesh, const MeshFace& face) {
    bool own = true;
    for (const MeshVertex* corner : face.corners)
        own = own && positionIndex(mesh, corner->meshPosition()) >= 0;
    return own;
}

// Faces close enough to the light on the chosen side, and their edge uses.
void keepFacesNearLight(const Mesh& mesh, const FaceList& faces, const ClosedVolumeInput& input,
                        ClosedVolumeScratch& scratch) {
    for (const MeshFace* face : faces) {
        if (face->cornerCount() < 3 || !hasPositions(*face)) continue;
        // A light on the face itself would push the far cap to infinity.
        const float r = input.radius / std::max(distanceToFace(input.light, *face), kTolerance);
        if (!(r > 1.0f)) continue;
        const bool facing = face->plane.distance(input.light) >= 0.0f;
        if (facing == input.backFaces) continue;
        if (!cornersAreOwn(mesh, *face)) continue;
        scratch.kept[scratch.keptCount++] = face;
        scratch.extrusion = std::max(scratch.extrusion, r);
        for (size_t c = 0; c < face->edges.size(); ++c) {
            const int e = edgeIndex(mesh, face->edges[c]);
            if (e < 0) continue;
            if (scratch.edgeUses[e]++ == 0) {
                scratch.edgeFace[e] = face;
                scratch.edgeCorner[e] = static_cast<int>(c);
            }
        }
    }
}

// A near and a far copy of every position the kept faces use, next to each other.
void addNearAndFarCopies(Mesh& volume, const Vector4& light, ClosedVolumeScratch& scratch) {
    for (int f = 0; f < scratch.keptCount; ++f) {
        for (const MeshVertex* corner : scratch.kept[f]->corners) {
            const MeshPosition* p = corner->meshPosition();
            const int i = p->index;
            if (scratch.nearVertex[i] >= 0) continue;
            scratch.nearVertex[i] = addVertexAt(volume, p->point()).index;
            addVertexAt(volume, light + (p->point() - light) * scratch.extrusion);
        }
    }
}

MeshVertex* nearCopy(Mesh& volume, const ClosedVolumeScratch& scratch, const MeshVertex* corner) {
    return &volume.vertex(scratch.nearVertex[corner->meshPosition()->index]);
}

MeshVertex* farCopy(Mesh& volume, const ClosedVolumeScratch& scratch, const MeshVertex* corner) {
    return &volume.vertex(scratch.nearVertex[corner->meshPosition()->index] + 1);
}

// The near cap faces the light when the kept faces do.
void addCaps(Mesh& volume, bool backFaces, const ClosedVolumeScratch& scratch) {
    for (int f = 0; f < scratch.keptCount; ++f) {
        const MeshFace& face = *scratch.kept[f];
        auto nearCap = std::make_unique<MeshFace>();
        auto farCap = std::make_unique<MeshFace>();
        for (const MeshVertex* corner : face.corners)
            nearCap->corners.push_back(nearCopy(volume, scratch, corner));
        for (auto it = face.corners.rbegin(); it != face.corners.rend(); ++it)
            farCap->corners.push_back(farCopy(volume, scratch, *it));
        if (backFaces) {
            std::reverse(nearCap->corners.begin(), nearCap->corners.end());
            std::reverse(farCap->corners.begin(), farCap->corners.end());
        }
        nearCap->computePlane();
        farCap->computePlane();
        volume.addFace(std::move(nearCap));
        volume.addFace(std::move(farCap));
    }
}

// Sides along the outline, in edge order, each wound as the kept face that uses the
// edge runs (reversed for back faces), so they face out like the caps.
void addOutlineSides(Mesh& volume, const Mesh& mesh, bool backFaces,
                     const ClosedVolumeScratch& scratch) {
    for (int e = 0; e < mesh.edgeCount(); ++e) {
        if (scratch.edgeUses[e] != 1) continue;
        const MeshFace& face = *scratch.edgeFace[e];
        const int n = face.cornerCount();
        const MeshVertex* a = face.corners[static_cast<size_t>(scratch.edgeCorner[e])];
        const MeshVertex* b = face.corners[static_cast<size_t>((scratch.edgeCorner[e] + 1) % n)];
        if (backFaces) std::swap(a, b);
        addFaceOver(volume, {nearCopy(volume, scratch, a), farCopy(volume, scratch, a),
                             farCopy(volume, scratch, b), nearCopy(volume, scratch, b)});
    }
}

}  // namespace

float distanceToFace(const Vector4& p, const MeshFace& face) {
    const int n = face.cornerCount();
    if (n == 0) return kNoHit;
    const float toPlane = face.plane.distance(p);
    if (face.contains(p - face.plane.normal * toPlane)) return std::fabs(toPlane);
    float nearest = kNoHit;
    for (int i = 0; i < n; ++i)
        nearest = std::min(
            nearest, distanceToSegment(p, face.cornerPoint(i), face.cornerPoint((i + 1) % n)));
    return nearest;
}

std::vector<MeshEdge> silhouetteEdges(const Mesh& mesh, const Vector4& light, bool includeOpenEdges,
                                      const FaceList* faces) {
    std::vector<MeshEdge> result;
    if (faces) {
        for (const MeshEdge& edge : edgesOf(*faces))
            if (isSilhouette(edge, light, includeOpenEdges)) result.push_back(edge);
        return result;
    }
    for (int i = 0; i < mesh.edgeCount(); ++i) {
        const MeshEdge& edge = mesh.edge(i);
        if (isSilhouette(edge, light, includeOpenEdges)) result.push_back(edge);
    }
    return result;
}

std::unique_ptr<Mesh> extrudeOpen(const Vector4& light, const std::vector<MeshEdge>& edges,
                                  float factor) {
    if (factor <= 0.0f) factor = kDefaultExtrusion;
    auto volume = std::make_unique<Mesh>();
    for (const MeshEdge& edge : edges) {
        if (!edge.first || !edge.second) continue;
        const Vector4 a = edge.first->point(), b = edge.second->point();
        MeshVertex& nearA = addVertexAt(*volume, a);
        MeshVertex& farA = addVertexAt(*volume, light + (a - light) * factor);
        MeshVertex& nearB = addVertexAt(*volume, b);
        MeshVertex& farB = addVertexAt(*volume, light + (b - light) * factor);
        // The edge runs in its first face's winding; seen from the unlit side it runs
        // the other way, and the quad must too to face out of the shadow.
        const bool firstFaceLit = !edge.faces[0] || edge.faces[0]->plane.distance(light) >= 0.0f;
        if (firstFaceLit)
            addFaceOver(*volume, {&nearA, &farA, &farB, &nearB});
        else
            addFaceOver(*volume, {&nearB, &farB, &farA, &nearA});
    }
    return volume;
}

std::unique_ptr<Mesh> closedShadowVolume(const Mesh& mesh, const ClosedVolumeInput& input) {
    auto volume = std::make_unique<Mesh>();
    FaceList all;
    if (!input.faces) all = allFaces(mesh);
    const FaceList& faces = input.faces ? *input.faces : all;

    ZoneScratch memory;
    ClosedVolumeScratch scratch(memory, mesh, static_cast<int>(faces.size()));
    if (!scratch.ready()) return volume;

    keepFacesNearLight(mesh, faces, input, scratch);
    addNearAndFarCopies(*volume, input.light, scratch);
    addCaps(*volume, input.backFaces, scratch);
    addOutlineSides(*volume, mesh, input.backFaces, scratch);
    return volume;
}

void appendMesh(Mesh& into, Mesh&& from) {
    if (&into == &from) return;
    const int positionBase = into.positionCount();
    const int vertexBase = into.vertexCount();
    for (int i = 0; i < from.positionCount(); ++i)
        into.addPosition(std::make_unique<MeshPosition>(from.position(i)));
    for (int i = 0; i < from.vertexCount(); ++i) {
        auto vertex = std::make_unique<MeshVertex>(from.vertex(i));
        const int p = positionIndex(from, vertex->meshPosition());
        if (p >= 0) vertex->setPosition(&into.position(positionBase + p));
        into.addVertex(std::move(vertex));
    }
    for (int i = 0; i < from.faceCount(); ++i) {
        auto face = std::make_unique<MeshFace>(from.face(i));
        for (MeshVertex*& corner : face->corners) {
            const int v = corner->index;
            if (v >= 0 && v < from.vertexCount() && &from.vertex(v) == corner)
                corner = &into.vertex(vertexBase + v);
        }
        for (int m = 0; m < from.materialCount(); ++m)
            if (face->material == &from.material(m)) face->material = nullptr;
        face->edges.clear();
        into.addFace(std::move(face));
    }
    from.clear();
}

void appendBox(Mesh& mesh, const BoundingVolume& volume) {
    static constexpr int kSides[6][4] = {{2, 3, 1, 0}, {4, 5, 7, 6}, {4, 6, 2, 0},
                                         {1, 3, 7, 5}, {0, 1, 5, 4}, {6, 7, 3, 2}};
    const int base = mesh.positionCount();
    for (const Vector4& corner : volume.corners()) mesh.addPosition(corner);
    for (const auto& side : kSides) {
        auto face = std::make_unique<MeshFace>();
        for (int corner : side) {
            auto vertex = std::make_unique<MeshVertex>();
            vertex->setPosition(&mesh.position(base + corner));
            face->corners.push_back(&mesh.addVertex(std::move(vertex)));
        }
        face->computePlane();
        mesh.addFace(std::move(face));
    }
}

FaceList selectFaces(const Mesh& mesh, const ViewVolume& volume) {
    FaceList selected;
    std::vector<Vector4> polygon;
    for (int i = 0; i < mesh.faceCount(); ++i) {
        const MeshFace& face = mesh.face(i);
        polygon.clear();
        for (int c = 0; c < face.cornerCount(); ++c) polygon.push_back(face.cornerPoint(c));
        if (volume.reachesPolygon(polygon.data(), face.cornerCount())) selected.push_back(&face);
    }
    return selected;
}

}  // namespace arvel
