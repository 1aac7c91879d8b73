// Octree over the faces of a mesh for ray queries. Every node splits its box at the
// midpoint; child number bit 0 selects the upper half in x, bit 1 in y, bit 2 in z.
// Leaves list the faces overlapping them; one face may sit in several leaves, so a
// query stamps the faces it has tested.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/math/BoundingBox.h"
#include "core/math/Ray.h"

namespace arvel {

class DataStream;
class Mesh;
struct MeshFace;

class FaceOctree {
public:
    static constexpr int kMaxLeafFaces = 100;
    // Faces meeting in one point cannot be separated by splitting; past this depth a
    // node stays a leaf whatever it holds.
    static constexpr int kMaxBuildDepth = 10;
    // Deeper nesting in a file is refused rather than followed down the stack.
    static constexpr int kMaxReadDepth = 64;

    struct Node {
        BoundingBox box;
        bool leaf = true;
        std::vector<MeshFace*> faces;       // leaves only
        std::unique_ptr<Node> children[8];  // inner nodes only
    };

    FaceOctree();
    ~FaceOctree();
    FaceOctree(const FaceOctree&) = delete;
    FaceOctree& operator=(const FaceOctree&) = delete;

    // Reads the root box and the node records; leaf entries index mesh's faces (an
    // index outside throws "invalid vector<T> subscript"). Replaces any old tree.
    void read(DataStream& stream, const Mesh& mesh);
    // Builds over all faces of mesh, from the box of their corners.
    void build(const Mesh& mesh);

    // Nearest face hit closer than the ray's length: its distance (kNoHit for none)
    // and, when face is given, the face (null for none). The same answer as testing
    // every face of the mesh.
    float rayQuery(const Ray& ray, MeshFace** face = nullptr) const;

    int leafCount() const { return leafCount_; }
    const Node* root() const { return root_.get(); }
    // The box of child number i of box.
    static BoundingBox childBox(const BoundingBox& box, int i);

    // Debug display: the edges of every leaf box.
    void drawBoxes() const;

private:
    std::unique_ptr<Node> readNode(DataStream& stream, const Mesh& mesh, const BoundingBox& box,
                                   int depth);
    std::unique_ptr<Node> buildNode(const BoundingBox& box, std::vector<MeshFace*> faces,
                                    int depth);
    void query(const Node& node, const Ray& ray, float& best, MeshFace*& nearest) const;
    void countLeaves();

    std::unique_ptr<Node> root_;
    const Mesh* mesh_ = nullptr;  // whose faces carry the stamps
    int leafCount_ = 0;
    mutable uint16_t counter_ = 0;
};

}  // namespace arvel
