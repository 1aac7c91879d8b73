// A bounding volume hierarchy over a scene's triangles: the closest hit of a ray (front
// faces only, as the engine culls back faces) and whether anything at all lies on a
// segment (both sides, as a shadow).
#pragma once

#include <vector>

#include "reference/Scene.h"

namespace arvel::reference {

struct Hit {
    int triangle = -1;
    double t = 0.0;
    double u = 0.0, v = 0.0;  // weights of corners 1 and 2
};

class Bvh {
public:
    // The triangles must outlive the hierarchy.
    explicit Bvh(const std::vector<Triangle>& triangles);

    // The nearest triangle whose front faces the ray origin + t * direction, tMin < t <
    // tMax; false when there is none.
    bool closestFront(const Vec3& origin, const Vec3& direction, double tMin, double tMax,
                      Hit& hit) const;
    // Whether any triangle crosses origin + t * direction for tMin < t < tMax.
    bool occluded(const Vec3& origin, const Vec3& direction, double tMin, double tMax) const;

private:
    struct Node {
        Vec3 lower, upper;
        int first = 0, count = 0;  // a leaf's range of order_; count 0: an inner node
        int right = 0;             // an inner node's second child (the first follows it)
    };

    int build(int first, int count, std::vector<Vec3>& centres);
    // Calls visit(triangle) for the triangles of every leaf the ray's box test passes;
    // visit returns false to stop.
    template <typename Visit>
    void traverse(const Vec3& origin, const Vec3& direction, double tMin, double& tMax,
                  Visit visit) const;

    const std::vector<Triangle>& triangles_;
    std::vector<int> order_;
    std::vector<Node> nodes_;
};

}  // namespace arvel::reference
