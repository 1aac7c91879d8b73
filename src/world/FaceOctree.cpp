#include "world/FaceOctree.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Exception.h"
#include "driver/Driver.h"
#include "fs/DataStream.h"
#include "world/Mesh.h"

namespace arvel {

namespace {

// Calls visit on every leaf below root.
template <typename Visit>
void forEachLeaf(const FaceOctree::Node* root, Visit visit) {
    std::vector<const FaceOctree::Node*> stack;
    if (root) stack.push_back(root);
    while (!stack.empty()) {
        const FaceOctree::Node* node = stack.back();
        stack.pop_back();
        if (node->leaf) {
            visit(*node);
            continue;
        }
        for (const auto& child : node->children) stack.push_back(child.get());
    }
}

// Separating-axis test of a triangle (corners relative to the box centre) against a
// box of half extents h centred at the origin. Degenerate triangles (segments,
// points) give zero axes, which never separate, so they are tested correctly too.
bool triangleOverlapsBox(const Vector4 v[3], const Vector4& h) {
    auto separates = [&](const Vector4& axis) {
        const float p0 = dot3(v[0], axis), p1 = dot3(v[1], axis), p2 = dot3(v[2], axis);
        const float r = h.x * std::fabs(axis.x) + h.y * std::fabs(axis.y) + h.z * std::fabs(axis.z);
        return std::min({p0, p1, p2}) > r || std::max({p0, p1, p2}) < -r;
    };
    for (int axis = 0; axis < 3; ++axis) {
        const float lo = std::min({v[0][axis], v[1][axis], v[2][axis]});
        const float hi = std::max({v[0][axis], v[1][axis], v[2][axis]});
        if (lo > h[axis] || hi < -h[axis]) return false;
    }
    const Vector4 edges[3] = {v[1] - v[0], v[2] - v[1], v[0] - v[2]};
    if (separates(cross3(edges[0], edges[1]))) return false;
    const Vector4 boxAxes[3] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    for (const Vector4& e : edges)
        for (const Vector4& b : boxAxes)
            if (separates(cross3(e, b))) return false;
    return true;
}

// Whether any part of the face comes within the tolerance of the box.
bool faceOverlapsBox(const MeshFace& face, const BoundingBox& box) {
    const int n = face.cornerCount();
    if (n == 0) return false;
    for (int i = 0; i < n; ++i)
        if (box.contains(face.cornerPoint(i))) return true;
    Vector4 centre = (box.min + box.max) * 0.5f;
    Vector4 half = (box.max - box.min) * 0.5f + Vector4{kTolerance, kTolerance, kTolerance, 0.0f};
    centre.w = half.w = 0.0f;
    const Vector4 first = face.cornerPoint(0) - centre;
    if (n < 3) {
        const Vector4 segment[3] = {first, face.cornerPoint(n - 1) - centre,
                                    face.cornerPoint(n - 1) - centre};
        return triangleOverlapsBox(segment, half);
    }
    for (int k = 1; k + 1 < n; ++k) {
        const Vector4 triangle[3] = {first, face.cornerPoint(k) - centre,
                                     face.cornerPoint(k + 1) - centre};
        if (triangleOverlapsBox(triangle, half)) return true;
    }
    return false;
}

// Where the ray enters the box grown by the tolerance (0 when it starts inside), or
// kNoHit when it misses it within its length. Faces are listed in every box they come
// within the tolerance of, so the grown box is the one that holds their hit points.
float entryDistance(const Ray& ray, const BoundingBox& box) {
    float enter = 0.0f, leave = ray.length;
    for (int axis = 0; axis < 3; ++axis) {
        const float lo = box.min[axis] - kTolerance, hi = box.max[axis] + kTolerance;
        const float o = ray.origin[axis], d = ray.direction[axis];
        if (d == 0.0f) {
            if (!(o >= lo && o <= hi)) return kNoHit;
            continue;
        }
        float t0 = (lo - o) / d, t1 = (hi - o) / d;
        if (t0 > t1) std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
        if (!(enter <= leave)) return kNoHit;
    }
    return enter;
}

}  // namespace

FaceOctree::FaceOctree() = default;
FaceOctree::~FaceOctree() = default;

BoundingBox FaceOctree::childBox(const BoundingBox& box, int i) {
    Vector4 mid = (box.min + box.max) * 0.5f;
    BoundingBox child;
    for (int axis = 0; axis < 3; ++axis) {
        const bool upper = (i >> axis) & 1;
        child.min[axis] = upper ? mid[axis] : box.min[axis];
        child.max[axis] = upper ? box.max[axis] : mid[axis];
    }
    child.min.w = child.max.w = 0.0f;
    return child;
}

void FaceOctree::read(DataStream& stream, const Mesh& mesh) {
    root_.reset();
    leafCount_ = 0;
    mesh_ = &mesh;
    const Vector4 minimum = stream.readVec3();
    const Vector4 maximum = stream.readVec3();
    root_ = readNode(stream, mesh, BoundingBox(minimum, maximum), 0);
    countLeaves();
}

std::unique_ptr<FaceOctree::Node> FaceOctree::readNode(DataStream& stream, const Mesh& mesh,
                                                       const BoundingBox& box, int depth) {
    auto node = std::make_unique<Node>();
    node->box = box;
    const int32_t n = stream.readInt32();
    if (n == -1) {
        if (depth >= kMaxReadDepth)
            throw new Exception(__LINE__, "World\\FaceOctree",
                                "Octree nodes nested deeper than %d levels\n", kMaxReadDepth);
        node->leaf = false;
        for (int i = 0; i < 8; ++i)
            node->children[i] = readNode(stream, mesh, childBox(box, i), depth + 1);
        return node;
    }
    for (int32_t i = 0; i < n; ++i) node->faces.push_back(&mesh.face(stream.readInt32()));
    return node;
}

void FaceOctree::build(const Mesh& mesh) {
    root_.reset();
    leafCount_ = 0;
    mesh_ = &mesh;
    BoundingBox box;
    std::vector<MeshFace*> faces;
    for (int i = 0; i < mesh.faceCount(); ++i) {
        MeshFace& face = mesh.face(i);
        if (face.cornerCount() == 0) continue;
        for (int c = 0; c < face.cornerCount(); ++c) box.extend(face.cornerPoint(c));
        faces.push_back(&face);
    }
    root_ = buildNode(box, std::move(faces), 0);
    countLeaves();
}

std::unique_ptr<FaceOctree::Node> FaceOctree::buildNode(const BoundingBox& box,
                                                        std::vector<MeshFace*> faces, int depth) {
    auto node = std::make_unique<Node>();
    node->box = box;
    if (faces.size() <= static_cast<size_t>(kMaxLeafFaces) || depth >= kMaxBuildDepth) {
        node->faces = std::move(faces);
        return node;
    }
    std::vector<MeshFace*> taken[8];
    bool separated = false;
    for (int i = 0; i < 8; ++i) {
        const BoundingBox child = childBox(box, i);
        for (MeshFace* face : faces)
            if (faceOverlapsBox(*face, child)) taken[i].push_back(face);
        if (taken[i].size() < faces.size()) separated = true;
    }
    // When every child would hold every face, splitting only multiplies the lists.
    if (!separated) {
        node->faces = std::move(faces);
        return node;
    }
    node->leaf = false;
    for (int i = 0; i < 8; ++i)
        node->children[i] = buildNode(childBox(box, i), std::move(taken[i]), depth + 1);
    return node;
}

void FaceOctree::countLeaves() {
    leafCount_ = 0;
    forEachLeaf(root_.get(), [&](const Node&) { ++leafCount_; });
}

float FaceOctree::rayQuery(const Ray& ray, MeshFace** face) const {
    if (face) *face = nullptr;
    if (!root_) return kNoHit;
    if (++counter_ == 0) {
        // The stamps would repeat: forget them all and count again from 1.
        if (mesh_)
            for (int i = 0; i < mesh_->faceCount(); ++i) mesh_->face(i).stamp = 0;
        counter_ = 1;
    }
    float best = ray.length;
    MeshFace* nearest = nullptr;
    if (entryDistance(ray, root_->box) != kNoHit) query(*root_, ray, best, nearest);
    if (face) *face = nearest;
    return nearest ? best : kNoHit;
}

// Children are visited nearest entry first. A face found in one child may be hit
// beyond that child, so the walk goes on while a child starts before the best hit:
// stopping at the first child with a hit could miss a nearer face of the next one.
void FaceOctree::query(const Node& node, const Ray& ray, float& best, MeshFace*& nearest) const {
    if (node.leaf) {
        for (MeshFace* face : node.faces) {
            if (face->stamp == counter_) continue;
            face->stamp = counter_;
            const float t = face->hit(ray);
            if (t < best) {
                best = t;
                nearest = face;
            }
        }
        return;
    }
    // At most eight: sorted by insertion as they come.
    std::pair<float, const Node*> entered[8];
    int count = 0;
    for (const auto& child : node.children) {
        const float t = entryDistance(ray, child->box);
        if (t == kNoHit) continue;
        int at = count++;
        for (; at > 0 && entered[at - 1].first > t; --at) entered[at] = entered[at - 1];
        entered[at] = {t, child.get()};
    }
    for (int i = 0; i < count; ++i) {
        if (entered[i].first > best) break;
        query(*entered[i].second, ray, best, nearest);
    }
}

void FaceOctree::drawBoxes() const {
    forEachLeaf(root_.get(), [](const Node& leaf) { leaf.box.drawEdges(gDriver); });
}

}  // namespace arvel
