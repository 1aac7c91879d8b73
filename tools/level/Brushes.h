// The faces of brushes and props: convex polygons wound counter-clockwise seen from
// the empty space they bound (room sides face in, solids face out). Each closed
// surface gets its own shell number; the mesh builder shares positions within a shell.
#pragma once

#include <optional>
#include <vector>

#include "level/Geometry.h"
#include "level/LevelSource.h"

namespace arvel::level {

struct Face {
    Points points;
    int material = 0;
    int shell = 0;
    // Modelled faces bring their own texture coordinates; others are mapped from the
    // material's scale along the face's plane.
    std::optional<TextureMapping> mapping;
};

// A rectangular hole in a room side: the side's axis and coordinate, and the
// rectangle's extent on the other two axes (min and max agree on the side's axis).
struct Opening {
    int axis = 0;
    Vec3 min, max;
};

// The rectangle of the plane axis = coordinate spanning lo..hi on the other two
// axes, facing +axis when facesMax, else -axis.
Points axisRectangle(int axis, double coordinate, const Vec3& lo, const Vec3& hi, bool facesMax);

// Turns the polygon round unless its front faces away from inside.
void faceAwayFrom(Points& polygon, const Vec3& inside);

// A room's inward sides, cut around the openings that lie on them. Openings on no
// side of the room are ignored (the caller checks that each found its wall).
std::vector<Face> roomFaces(const SourceBrush& room, const std::vector<Opening>& openings,
                            int shell);
// Whether the opening lies on a side of the room, within that side.
bool openingFitsRoom(const SourceBrush& room, const Opening& opening);

std::vector<Face> blockFaces(const Vec3& min, const Vec3& max, int material, int shell);
std::vector<Face> stairsFaces(const SourceBrush& stairs, int shell);
// Box and pillar props; model files go through importedModelFaces.
std::vector<Face> propFaces(const SourceProp& prop, const LevelSource& level, int shell);

// The triangles of a static model (a ".msh" without bones, as arvel-import writes
// props) beside the level source, scaled, turned and placed as the prop says.
std::vector<Face> importedModelFaces(const SourceProp& prop, const LevelSource& level, int shell);

}  // namespace arvel::level
