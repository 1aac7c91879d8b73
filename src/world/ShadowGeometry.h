// Shadow-volume geometry over meshes: silhouettes seen from a light, side quads pushed
// away from it, closed volumes with caps, boxes as meshes, and merging meshes.
//
// Every volume comes out wound like any other mesh (counter-clockwise seen from the
// front, normals out of the volume), so stencil counting sees each side the same way
// whichever neighbouring face created an edge.
#pragma once

#include <memory>
#include <vector>

#include "core/math/Vector4.h"
#include "world/Mesh.h"

namespace arvel {

class BoundingVolume;
class ViewVolume;

// Faces of one mesh to work on instead of all of its faces.
using FaceList = std::vector<const MeshFace*>;

// Distance from p to the polygon of face: to its plane when p projects into the
// polygon, otherwise to the nearest point of its outline. A face without corners is
// infinitely far.
float distanceToFace(const Vector4& p, const MeshFace& face);

// Edges seen edge-on from light: those with one face when includeOpenEdges, and those
// whose two faces lie on opposite sides of light (product of plane values below 0).
// Without faces the mesh's own edge list is used (build it first); with faces, edges
// are built for those faces alone. The copies refer to the mesh's positions and faces.
std::vector<MeshEdge> silhouetteEdges(const Mesh& mesh, const Vector4& light, bool includeOpenEdges,
                                      const FaceList* faces = nullptr);

// A side quad per edge, from the near ends to copies pushed to light + k (p - light):
// positions A, A', B, B' per edge (never shared), one vertex each, and the face
// (A, A', B', B), turned round when the edge's first face looks away from light so all
// sides face out of the shadow. No caps, no materials. A factor of 0 or less means
// kDefaultExtrusion.
inline constexpr float kDefaultExtrusion = 1000.0f;
std::unique_ptr<Mesh> extrudeOpen(const Vector4& light, const std::vector<MeshEdge>& edges,
                                  float factor = 0.0f);

struct ClosedVolumeInput {
    Vector4 light;
    float radius = 0.0f;              // faces at least this far from light cast nothing
    bool backFaces = false;           // keep the faces turned away from light instead
    const FaceList* faces = nullptr;  // null: all faces of the mesh
};

// The closed volume swept from the kept faces away from light until every far point
// lies at least radius away: near caps, far caps and a side quad for every edge used
// by exactly one kept face. Needs the mesh's edges (sides come from them). Scratch
// memory comes from the zone; when the zone refuses it the result is an empty mesh.
std::unique_ptr<Mesh> closedShadowVolume(const Mesh& mesh, const ClosedVolumeInput& input);

// Takes over every position, vertex and face of from, in order, re-indexed in into;
// from is left empty. Faces keep their material only when from does not own it
// (its materials go with it); their edges are dropped, rebuild them when needed.
void appendMesh(Mesh& into, Mesh&& from);

// The volume's eight corners as positions and six outward quads of four vertices each
// (24 vertices), planes computed, no materials.
void appendBox(Mesh& mesh, const BoundingVolume& volume);

// The faces whose polygons reach into volume, in face order.
FaceList selectFaces(const Mesh& mesh, const ViewVolume& volume);

}  // namespace arvel
