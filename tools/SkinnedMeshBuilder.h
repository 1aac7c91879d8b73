// Builds skinned ".msh" meshes from code: a skeleton of bones with rest poses, closed
// surfaces of revolution and boxes bound to them (corners counter-clockwise seen from
// outside, positions shared across seams and caps so every edge has two faces), and
// animations given as each bone's local pose per frame.
#pragma once

#include <functional>
#include <vector>

#include "MshWriter.h"
#include "ToolVector.h"

namespace arvel::content {

using tools::cross;
using tools::dot;
using tools::Vec3;
// A direction of about zero length becomes +y.
Vec3 normalize(Vec3 v);

// A rotation by angle radians about axis, right-handed.
struct Quat {
    double w = 1, x = 0, y = 0, z = 0;

    static Quat about(Vec3 axis, double angle);
    Vec3 rotate(Vec3 v) const;
    friend Quat operator*(const Quat& a, const Quat& b);
};

// The rotation key the mesh loader turns back into q.
MshRotationKey rotationKeyOf(const Quat& q);

// A rigid placement: rotate, then move.
struct Pose {
    Quat rotation;
    Vec3 position;

    Vec3 apply(Vec3 p) const { return rotation.rotate(p) + position; }
    friend Pose operator*(const Pose& parent, const Pose& child) {
        return {parent.rotation * child.rotation, parent.apply(child.position)};
    }
};

// One ring of a surface of revolution about the local y axis; radius 0 is a pole.
struct LatheRing {
    double y = 0;
    double radius = 0;
    double v = 0;  // texture coordinate along the axis
    std::vector<MshInfluence> influences;
};

class SkinnedMeshBuilder {
public:
    // A bone under parent (-1: a root) whose rest pose relative to it is rest.
    int addBone(int parent, const Pose& rest);
    int boneCount() const { return static_cast<int>(parents_.size()); }
    // The bone's rest pose in model space.
    Pose restPose(int bone) const;

    int addMaterial(const MshMaterial& material);

    // A closed surface of revolution in frame (model space): rings bottom to top, each
    // end a pole (radius 0) or closed by a flat cap.
    void lathe(const Pose& frame, const std::vector<LatheRing>& rings, int sides, int material);
    // A closed cylinder along the local y axis from y0 to y1, moved by bone alone.
    void cylinder(int bone, const Pose& local, double radius, double y0, double y1, int sides,
                  int material);
    // A box from lo to hi in the bone's frame, moved by bone alone.
    void box(int bone, Vec3 lo, Vec3 hi, int material);

    // An animation of frames keys: pose(bone, frame) is the bone's local pose.
    void animate(int frames, const std::function<Pose(int bone, int frame)>& pose);

    // The mesh with children, bind matrices (the rest poses) and bone-space boxes.
    MshFile finish() const;

private:
    int32_t position(Vec3 p, const std::vector<MshInfluence>& influences);
    int32_t vertex(int32_t position, double u, double v, Vec3 normal, Vec3 tangent);
    void triangle(int32_t a, int32_t b, int32_t c, int material);
    void cap(const Pose& frame, const std::vector<int32_t>& ring, double y, bool top, int material);

    std::vector<int> parents_;
    std::vector<Pose> rests_;
    MshFile file_;
};

}  // namespace arvel::content
