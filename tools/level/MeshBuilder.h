// Turns faces into an OTM mesh body: every corner that lies on another face's edge, of
// any shell, is inserted into that edge, so that neighbouring faces meet edge to edge
// and rasterise without cracks; corners within a shell become shared positions (the
// engine pairs faces by them for silhouettes and closed shadow volumes, so touching
// shells keep positions of their own). Each face starts at a corner from which its fan
// of triangles has none flat. Vertices take planar texture coordinates from the
// material's scale, the face normal and a tangent along u.
#pragma once

#include <vector>

#include "OtmWriter.h"
#include "level/Brushes.h"
#include "level/LevelSource.h"

namespace arvel::level {

// Texture axes of a face with the given unit normal: u along the tangent, v along
// normal x tangent, as the lighting programs build their frame. Walls keep v upwards.
struct TextureFrame {
    Vec3 tangent;
    Vec3 bitangent;
};
TextureFrame textureFrame(const Vec3& normal);
// The unit direction in the face's plane along which the mapping's u grows, or the
// frame's tangent where u does not change over the plane.
Vec3 mappedTangent(const TextureMapping& mapping, const Vec3& normal);

// Faces of no area are dropped, and one whose fan would have a flat triangle from
// every corner is split into triangles round its centroid; sources, when given,
// receives for every face of the body the index of the face it came from. Materials
// are those of the level that the faces use, in order of first use.
content::OtmMeshBody buildBody(const std::vector<Face>& faces, const LevelSource& level,
                               std::vector<int>* sources = nullptr);

// The given faces of body with the positions and vertices they use, every value and
// corner order unchanged (so they draw to exactly the same depths), and all materials.
content::OtmMeshBody subsetBody(const content::OtmMeshBody& body, const std::vector<int>& faces);

// Splits the faces' edges at every corner of any face lying on them. Corners within
// kEpsilon of each other become one point. Faces keep their order; one that shrinks
// below three corners comes back empty.
std::vector<Face> joinEdges(const std::vector<Face>& faces);

// An octree over the body's faces: leaves of at most maxLeafFaces faces, split at the
// box midpoint (bit 0 of the child number the upper half in x, bit 1 in y, bit 2 in
// z), a face in every leaf its polygon overlaps. Sets the mesh's octree box and root.
void buildOctree(content::OtmStaticMesh& mesh, int maxLeafFaces = 100, int maxDepth = 6);

Vec3 toVec3(const Vector4& v);
Vector4 toVector4(const Vec3& v);

}  // namespace arvel::level
