// Sectors modelled in an editor: their triangles merged into larger convex faces, the
// polygon portals that close their openings, and the closed surface that faces and
// portals form together, which also tells which points lie in the room.
#pragma once

#include <map>
#include <vector>

#include "level/Brushes.h"
#include "level/LevelSource.h"

namespace arvel::level {

// The sector's faces in one shell, neighbouring coplanar faces of the same material
// and mapping merged into convex polygons (fewer faces to cut and to cast shadows).
std::vector<Face> mergedFaces(const SourceSector& sector);

// Throws LevelError naming the portal unless its polygon has at least three corners,
// lies in one plane, is convex and has an area.
void checkPortalPolygon(const LevelSource& level, const SourcePortal& portal);

// A modelled sector's faces with its polygon portals, each portal turned to face into
// the room. The constructor throws LevelError naming the portal, sector or object when
// a portal covers no opening, an edge is left open (the view would escape the world)
// or the faces face out of the room.
class SectorSurface {
public:
    SectorSurface(const LevelSource& level, int sector);

    // Whether the portal's polygon, as given, faces into this sector's room.
    bool facesIn(int portal) const { return facesIn_.at(portal); }
    // Whether p lies in the room, at least -slack inside it when slack < 0; when
    // slack > 0, a step of slack along some axis or diagonal may take p into it.
    bool holds(const Vec3& p, double slack) const;

private:
    // 1 inside the room, 0 outside: the surface's solid angle seen from p over 4 pi.
    double winding(const Vec3& p) const;

    std::vector<Points> polygons_;
    std::map<int, bool> facesIn_;
    Box box_;
};

}  // namespace arvel::level
