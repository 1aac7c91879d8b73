// What the static lights light: the parts of the faces turned towards a light, within
// its reach, that no other face hides from it. Each occluding face casts a shadow (the
// space behind it inside the pyramid from the light through its edges), and every
// receiving face is cut along the shadows that reach it.
//
// The engine draws a static light's lit piece over the ambient pass with an
// equal-or-nearer depth test, so a lit face must be exactly a face of the sector mesh
// (same corners, same triangles); otherwise the two rasterise to slightly different
// depths and fight. Faces are therefore cut once for all lights, and each light's
// piece picks the cut faces it lights.
//
// Only faces turned towards a light occlude it: in a level whose faces all bound empty
// space, the first face a ray from a light in that space meets is always one of those.
// A light inside solid geometry (a block or a closed model) meets the back of a face
// first; it lights nothing.
#pragma once

#include <vector>

#include "level/Brushes.h"

namespace arvel::level {

// The planes of the shadow an occluder casts, each with the shadow in front: behind
// the occluder's plane, and inside the side planes through the light and its edges.
std::vector<Plane> shadowPlanes(const Vec3& light, const Points& occluder);

// A convex polygon cut by the convex region in front of all the planes: the convex
// parts outside it, and the part inside (empty when there is none). A region that
// does not reach into the polygon leaves it whole and outside.
struct RegionSplit {
    std::vector<Points> outside;
    Points inside;
};
RegionSplit splitByRegion(const Points& polygon, const std::vector<Plane>& region);

// Faces whose front sees the light and which come nearer than radius.
bool facesLight(const Vec3& light, double radius, const Points& polygon);

// Whether p lies inside solid geometry: most rays from p that meet a face meet the back
// of one first. Faces bound empty space, so in that space the first face is a front.
bool insideSolid(const Vec3& p, const std::vector<const Face*>& faces);

// A static light with the shadows of the faces that may hide parts of the level from
// it (faces not turned towards it, or out of its reach, cast none).
class ShadowingLight {
public:
    ShadowingLight(const Vec3& position, double radius, const std::vector<const Face*>& occluders);

    const Vec3& position() const { return position_; }
    double radius() const { return radius_; }
    // Shut inside solid geometry: every face is in its shadow.
    bool enclosed() const { return enclosed_; }

    // Cuts the polygon of face along the shadows that fall on it: the lit parts and
    // the shadowed ones. A face that does not face the light is all shadowed.
    void cut(const Face& face, const Points& polygon, std::vector<Points>& lit,
             std::vector<Points>& shadowed) const;

private:
    struct Caster {
        const Face* face;
        Plane plane;
        double nearest;  // distance from the light
        std::vector<Plane> shadow;
    };
    Vec3 position_;
    double radius_;
    bool enclosed_;
    std::vector<Caster> casters_;
};

// A piece of a face and, per light, whether that light reaches all of it.
struct LitFragment {
    Face face;
    std::vector<bool> lit;
};

// Cuts the faces along every light's shadows; each fragment is either wholly lit or
// wholly shadowed for each light.
std::vector<LitFragment> cutFaces(const std::vector<Face>& faces,
                                  const std::vector<ShadowingLight>& lights);

}  // namespace arvel::level
