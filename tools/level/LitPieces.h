// What a static light lights: the parts of the faces turned towards it, within its
// reach, that no other face hides from it. Each occluding face casts a shadow (the
// space behind it inside the pyramid from the light through its edges), and every
// receiving face is cut by the shadows that reach it; the pieces left over are lit.
// Only faces turned towards the light occlude: in a level whose faces all bound empty
// space, the first face a ray from the light meets is always one of those.
#pragma once

#include <vector>

#include "level/Brushes.h"

namespace arvel::level {

// The planes of the shadow an occluder casts, each with the shadow in front: behind
// the occluder's plane, and inside the side planes through the light and its edges.
std::vector<Plane> shadowPlanes(const Vec3& light, const Points& occluder);

// The parts of polygon outside the convex region in front of all planes, as convex
// pieces; the polygon itself (unsplit) when the region does not reach into it.
std::vector<Points> subtractRegion(const Points& polygon, const std::vector<Plane>& region);

// Faces whose front sees the light and which come nearer than radius.
bool facesLight(const Vec3& light, double radius, const Points& polygon);

// The lit parts of every receiver, shadowed by the occluders (any of which may be a
// receiver too). Pieces keep their face's material and shell.
std::vector<Face> litFaces(const Vec3& light, double radius, const std::vector<Face>& receivers,
                           const std::vector<const Face*>& occluders);

}  // namespace arvel::level
