#include "world/ViewVolume.h"

#include <algorithm>
#include <cmath>

#include "core/ZoneScratch.h"

namespace arvel {

namespace {

// Sutherland-Hodgman against one plane, keeping distance >= 0. out needs room for
// 2 * count points (a convex polygon gains at most one).
int clipByPlane(const Plane& plane, const Vector4* in, int count, Vector4* out) {
    int written = 0;
    const Vector4* previous = &in[count - 1];
    float previousDistance = plane.distance(*previous);
    for (int i = 0; i < count; ++i) {
        const Vector4& current = in[i];
        float distance = plane.distance(current);
        if ((previousDistance < 0.0f && distance > 0.0f) ||
            (previousDistance > 0.0f && distance < 0.0f)) {
            float t = distance / (distance - previousDistance);
            out[written++] = *previous * t + current * (1.0f - t);
        }
        if (distance >= 0.0f) out[written++] = current;
        previous = &current;
        previousDistance = distance;
    }
    return written;
}

enum class ClipResult { kGone, kKept, kNoScratch };

// Far beyond any real polygon; keeps the doubled scratch size within int.
constexpr int kMaxCorners = 1 << 20;

// Clips the polygon by every plane in order. On kKept, *result points at the
// surviving corners (scratch memory) and *resultCount says how many.
ClipResult clipByPlanes(ZoneScratch& scratch, const std::vector<Plane>& planes,
                        const Vector4* polygon, int count, const Vector4** result,
                        int* resultCount) {
    if (!polygon || count < 3) return ClipResult::kGone;
    const Vector4* current = polygon;
    for (const Plane& plane : planes) {
        Vector4* next = count <= kMaxCorners ? scratch.array<Vector4>(2 * count) : nullptr;
        if (!next) return ClipResult::kNoScratch;
        count = clipByPlane(plane, current, count, next);
        if (count < 3) return ClipResult::kGone;
        current = next;
    }
    *result = current;
    *resultCount = count;
    return ClipResult::kKept;
}

Vector4 carryPoint(const Matrix4& m, const Vector4& p) {
    Vector4 q = m.transformPoint(p);
    q.w = p.w;
    return q;
}

}  // namespace

void ViewVolume::finish() {
    planes_ = sidePlanes;
    planes_.insert(planes_.end(), capPlanes.begin(), capPlanes.end());
}

ViewVolume ViewVolume::transformed(const Matrix4& m) const {
    ViewVolume out;
    out.viewpoint = carryPoint(m, viewpoint);
    for (const Plane& plane : sidePlanes) out.sidePlanes.push_back(plane.transformed(m));
    for (const Plane& plane : capPlanes) out.capPlanes.push_back(plane.transformed(m));
    for (const Vector4& corner : corners) out.corners.push_back(carryPoint(m, corner));
    out.finish();
    return out;
}

ViewVolume ViewVolume::fromScreenRect(float x0, float x1, float y0, float y1, float depth) {
    // One plane per edge of the rectangle at z = -1, in corner order (x0, y0),
    // (x1, y0), (x1, y1), (x0, y1); each holds the rectangle on its positive side.
    auto throughEye = [](float nx, float ny, float nz) {
        return Plane{normalized3(Vector4{nx, ny, nz, 0.0f}), 0.0f};
    };
    ViewVolume volume;
    volume.sidePlanes = {throughEye(0, 1, y0), throughEye(-1, 0, -x1), throughEye(0, -1, -y1),
                         throughEye(1, 0, x0)};
    volume.capPlanes = {Plane{{0, 0, 1, 0}, depth}};
    volume.finish();
    // Where each pair of neighbouring side planes meets the cap: the rectangle's
    // corners pushed out to the depth.
    const float xs[4] = {x0, x1, x1, x0};
    const float ys[4] = {y0, y0, y1, y1};
    for (int i = 0; i < 4; ++i)
        volume.corners.push_back({xs[i] * depth, ys[i] * depth, -depth, 0.0f});
    return volume;
}

std::unique_ptr<ViewVolume> ViewVolume::clipByPortal(const Vector4& eye,
                                                     const PortalPolygon& portal,
                                                     PortalCap cap) const {
    ZoneScratch scratch;
    const Vector4* clipped = nullptr;
    int count = 0;
    ClipResult result =
        clipByPlanes(scratch, planes_, portal.corners, portal.count, &clipped, &count);
    if (result == ClipResult::kGone) return nullptr;
    if (result == ClipResult::kNoScratch) {
        // Cannot narrow: let the walk go on with the whole volume rather than lose
        // what lies behind the portal.
        auto whole = std::make_unique<ViewVolume>(*this);
        whole->viewpoint = eye;
        return whole;
    }

    bool front = portal.plane.distance(eye) >= 0.0f;
    Vector4 centre;
    for (int i = 0; i < count; ++i) centre = centre + clipped[i];
    centre = centre * (1.0f / static_cast<float>(count));

    auto volume = std::make_unique<ViewVolume>();
    volume->viewpoint = eye;
    for (int i = 0; i < count; ++i) {
        const Vector4& previous = clipped[i == 0 ? count - 1 : i - 1];
        const Vector4& current = clipped[i];
        // Counter-clockwise corners seen from the front; turn each plane to the
        // opening so the volume stays inside-positive whatever the winding.
        Plane side = front ? Plane::fromPoints(eye, current, previous)
                           : Plane::fromPoints(eye, previous, current);
        if (side.distance(centre) < 0.0f) side = side.negated();
        volume->sidePlanes.push_back(side);
    }
    for (int i = 0; i < count; ++i) volume->corners.push_back(clipped[front ? i : count - 1 - i]);

    if (cap == PortalCap::kViewerSide)
        volume->capPlanes.push_back(front ? portal.plane : portal.plane.negated());
    else if (cap == PortalCap::kFarSide)
        volume->capPlanes.push_back(front ? portal.plane.negated() : portal.plane);
    volume->finish();
    return volume;
}

bool ViewVolume::reachesPolygon(const Vector4* polygon, int count) const {
    ZoneScratch scratch;
    const Vector4* clipped = nullptr;
    int kept = 0;
    // Without scratch there is no telling; keeping the polygon is the safe answer.
    return clipByPlanes(scratch, planes_, polygon, count, &clipped, &kept) != ClipResult::kGone;
}

bool ViewVolume::reachesSphere(const Vector4& centre, float radius) const {
    for (const Plane& plane : planes_)
        if (plane.distance(centre) < -radius) return false;
    return true;
}

BoundingBox ViewVolume::screenBox(const Matrix4& viewProjection) const {
    BoundingBox box;
    for (const Vector4& corner : corners) {
        Vector4 clip = viewProjection.transformProjective(corner);
        if (clip.w <= 1e-6f) {
            box.extend({-1.0f, -1.0f, -1.0f, 0.0f});
            box.extend({1.0f, 1.0f, -1.0f, 0.0f});
            continue;
        }
        box.extend({clip.x / clip.w, clip.y / clip.w, clip.z / clip.w, 0.0f});
    }
    box.min.x = std::max(box.min.x, -1.0f);
    box.min.y = std::max(box.min.y, -1.0f);
    box.max.x = std::min(box.max.x, 1.0f);
    box.max.y = std::min(box.max.y, 1.0f);
    return box;
}

std::vector<int> cullPolygons(const ViewVolume& volume, const PolygonList& polygons) {
    std::vector<int> reached;
    if (!polygons.positions || !polygons.cornerCounts) return reached;
    std::vector<Vector4> corners;
    int next = 0;  // first corner index of the current polygon
    for (int i = 0; i < polygons.polygonCount; ++i) {
        int count = polygons.cornerCounts[i];
        if (count < 0) break;  // the rest cannot be located
        corners.clear();
        bool valid = true;
        for (int k = 0; k < count; ++k) {
            int position = polygons.cornerIndices ? polygons.cornerIndices[next + k] : next + k;
            if (position < 0 || position >= polygons.positionCount) {
                valid = false;
                break;
            }
            corners.push_back(polygons.positions[position]);
        }
        next += count;
        if (valid && volume.reachesPolygon(corners.data(), count)) reached.push_back(i);
    }
    return reached;
}

}  // namespace arvel
