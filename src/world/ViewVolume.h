// Convex region bounded by planes through a viewpoint (and caps away from it), as the
// portal walk narrows it. Inside-positive: a point is inside when every plane gives
// n . p + d >= 0.
#pragma once

#include <memory>
#include <vector>

#include "core/math/BoundingBox.h"
#include "core/math/Plane.h"
#include "core/math/Vector4.h"

namespace arvel {

// A convex portal polygon and the plane it lies in.
struct PortalPolygon {
    const Vector4* corners = nullptr;  // in winding order
    int count = 0;
    Plane plane;
};

// How clipByPortal closes the new volume with the portal's plane.
enum class PortalCap {
    kNone = 0,
    kViewerSide = 1,  // keeps the viewer's side of the portal
    kFarSide = 2,     // keeps what lies beyond the portal (the walk uses this)
};

// Many convex polygons over shared positions, for culling a mesh's faces.
struct PolygonList {
    const Vector4* positions = nullptr;
    int positionCount = 0;
    // Corner position indices of every polygon, one polygon after another; null
    // means the positions themselves are the corners in that order.
    const int* cornerIndices = nullptr;
    const int* cornerCounts = nullptr;  // corners of each polygon
    int polygonCount = 0;
};

class ViewVolume {
public:
    Vector4 viewpoint;
    std::vector<Plane> sidePlanes;  // through the viewpoint
    std::vector<Plane> capPlanes;   // closing the volume away from the viewpoint
    std::vector<Vector4> corners;   // outline of the opening (clipped portal, window)

    // Side planes then cap planes, as of the last finish().
    const std::vector<Plane>& planes() const { return planes_; }
    void finish();

    // Planes, corners and viewpoint carried through m, e.g. a camera template into
    // world space; finished.
    ViewVolume transformed(const Matrix4& m) const;

    // The pyramid from the viewpoint origin through the rectangle (x0..x1, y0..y1) at
    // one unit down -z, closed at the given depth. Corners lie on the cap.
    static ViewVolume fromScreenRect(float x0, float x1, float y0, float y1, float depth);

    // The part of this volume seen from eye through the portal, or null when too
    // little of the portal (fewer than three corners) survives clipping. Scratch
    // comes from the zone.
    std::unique_ptr<ViewVolume> clipByPortal(const Vector4& eye, const PortalPolygon& portal,
                                             PortalCap cap) const;

    // Whether any of a convex polygon survives clipping by every plane with at least
    // three corners: touching along an edge is not reaching.
    bool reachesPolygon(const Vector4* polygon, int count) const;
    bool reachesSphere(const Vector4& centre, float radius) const;

    // The corners projected by a view-projection matrix into normalized device
    // coordinates, x and y kept within -1 .. 1. A corner at or behind the eye could
    // project anywhere, so it widens the box to the whole screen.
    BoundingBox screenBox(const Matrix4& viewProjection) const;

private:
    std::vector<Plane> planes_;
};

// Indices, in order, of the polygons that reach into the volume; polygons with bad
// counts or indices are left out.
std::vector<int> cullPolygons(const ViewVolume& volume, const PolygonList& polygons);

}  // namespace arvel
