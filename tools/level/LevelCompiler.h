// Compiles a level source into an OTM map: sector meshes with their octrees and the
// openings their portals need, the portal rectangles, and the lights, each static
// light with the lit piece of every sector it reaches as a child mesh of that sector.
#pragma once

#include <string>
#include <vector>

#include "OtmWriter.h"
#include "level/Brushes.h"
#include "level/LevelSource.h"

namespace arvel::level {

struct CompiledLevel {
    content::OtmMap map;
    // Per sector, the faces its mesh was built from (before edges were joined).
    std::vector<std::vector<Face>> sectorFaces;
    // Per portal, its rectangle as an opening (a polygon portal's bounds, which cut
    // nothing: modelled sectors bring their openings).
    std::vector<Opening> openings;
    // What compiles but is probably not what the level maker meant.
    std::vector<std::string> warnings;
};

// Throws LevelError for sources that describe no valid level: a portal on no wall or
// over no opening of its sectors, a modelled sector that is not closed or faces out, a
// light, mesh or camera start in no sector or in overlapping ones, a model that cannot
// be read.
CompiledLevel compileLevel(const LevelSource& level);

// The index of the first sector with a room holding p, or -1. slack widens the rooms
// (or narrows them, below 0: lights must lie inside, meshes may stand on a floor).
// Modelled sectors' rooms are the insides of their closed surfaces.
int sectorOfPoint(const LevelSource& level, const Vec3& p, double slack = -kEpsilon);

// Sectors a light reaches through portals nearer than its radius, from its own.
std::vector<int> sectorsInReach(const CompiledLevel& compiled, int home, const Vec3& light,
                                double radius);

}  // namespace arvel::level
