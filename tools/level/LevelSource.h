// A level source: materials, sectors built from brushes and props, portals between
// sectors and point lights, read from JSON. Every value keeps the JSON path it came
// from, so that the compiler's later checks can name the line and field too.
//
//   "materials": {"<name>": {"technique": "static_bump.rt", "textures": [...],
//                 "scale": world units per texture repeat, "flags": 0-3, "opacity"}}
//   "sectors":   [{"name", "brushes": [...], "props": [...]}], numbered in this order
//     brush: {"type": "room" | "block" | "stairs", "min", "max", "material",
//             rooms: "floor", "ceiling" (materials); stairs: "steps", "rise": "+x" ...}
//     prop:  {"model": "box", "position" (base centre), "size", "yaw", "material"}
//            {"model": "pillar", "position", "radius", "height", "sides", ...}
//            {"model": "file", "file" (a static .msh beside the source), "scale", ...}
//   "portals":   [{"sectors": [first, second], "min", "max"}], flat on one axis, on a
//                room wall of each sector; the portal faces into the first sector
//   "lights":    [{"position", "inner", "outer", "colour", "static", "name", "switch",
//                 "parameter"}]
//   "meshes":    [{"file" (an animated .msh in the game's data), "position", "yaw",
//                 "animation"}], placed by the game when it loads the map
//   "camera":    {"position", "pitch", "yaw", "roll"}, where the game's camera starts
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "level/Geometry.h"

namespace arvel::level {

// A fault in a level source: "file:line: path: what", or "file: path: what" where the
// source has no lines (glTF).
class LevelError : public std::runtime_error {
public:
    LevelError(const std::string& file, int line, const std::string& path, const std::string& what);

    int line() const { return line_; }
    const std::string& path() const { return path_; }

private:
    int line_;
    std::string path_;
};

struct SourceMaterial {
    std::string name;
    std::string technique = "static_default.rt";
    std::vector<std::string> textures;
    double scale = 64.0;  // world units per texture repeat
    uint8_t flags = 0;
    uint8_t opacity = 255;
    std::string path;
};

enum class BrushKind { kRoom, kBlock, kStairs };

// Rooms are hollow boxes whose sides face inwards (the walls, floor and ceiling may
// have materials of their own); blocks and stairs are solid, their sides face out.
struct SourceBrush {
    BrushKind kind = BrushKind::kRoom;
    Vec3 min, max;
    int material = 0;
    int floorMaterial = -1;    // rooms: the floor's, or the walls' when -1
    int ceilingMaterial = -1;  // rooms: the ceiling's, or the walls' when -1
    int steps = 0;             // stairs: how many
    int riseAxis = 0;          // stairs: 0 x or 2 z, the way the steps climb
    bool riseTowardsMax = true;
    std::string path;
};

enum class PropModel { kBox, kPillar, kFile };

// A static model standing in a sector: its base centre is the position.
struct SourceProp {
    PropModel model = PropModel::kBox;
    Vec3 position;
    Vec3 size{1.0, 1.0, 1.0};  // boxes: width (x), height (y), depth (z)
    double radius = 1.0;       // pillars
    double height = 1.0;       // pillars
    int sides = 8;             // pillars
    double yaw = 0.0;          // degrees about +y
    int material = 0;
    std::string file;    // model files, beside the level source
    double scale = 1.0;  // model files
    std::string path;
};

// A face of a sector modelled in an editor: a convex polygon wound counter-clockwise
// seen from the room it bounds, as the editor exported it.
struct SourceFace {
    Points points;
    int material = 0;
    std::optional<TextureMapping> mapping;
    std::string object;  // the editor's object it belongs to, for messages
};

// A sector is either built from brushes and props (JSON) or modelled (glTF): its faces
// together with its portals close it, so that no view can see out of the world.
struct SourceSector {
    std::string name;
    std::vector<SourceBrush> brushes;
    std::vector<SourceProp> props;
    std::vector<SourceFace> faces;
    std::string path;
};

// An opening between two sectors: an axis-aligned rectangle (min and max agree on one
// axis) on room walls, or, between modelled sectors, a planar convex polygon covering
// an opening of both (its corners in either winding; the compiler turns it to face into
// the first sector).
struct SourcePortal {
    int first = 0;
    int second = 0;
    Vec3 min, max;
    Points polygon;
    std::string path;
};

struct SourceLight {
    Vec3 position;
    double inner = 0.0;
    double outer = 1.0;
    double colour[3] = {1.0, 1.0, 1.0};
    bool isStatic = true;  // static lights get lit pieces and a precomputed shadow
    bool lightSwitch = false;
    double parameter = 0.0;
    std::string name;
    std::string path;
};

// An animated mesh the game places when it has loaded the map: a "spawn" statement.
struct SourceMesh {
    std::string file;  // looked up by the game in its data, not beside the source
    Vec3 position;
    double yaw = 0.0;  // degrees about +y
    int animation = 0;
    std::string path;
};

// The camera's start place and angles in degrees: a "camera" statement.
struct SourceCamera {
    Vec3 position;
    double pitch = 0.0;
    double yaw = 0.0;
    double roll = 0.0;
    std::string path;
};

struct LevelSource {
    std::string file;  // for messages
    std::string text;  // the JSON, to find the line of a path; empty for glTF sources,
                       // whose paths name the editor's objects instead
    std::vector<SourceMaterial> materials;
    std::vector<SourceSector> sectors;
    std::vector<SourcePortal> portals;
    std::vector<SourceLight> lights;
    std::vector<SourceMesh> meshes;
    std::optional<SourceCamera> camera;

    // The error for a value at path (a JSON pointer such as "/sectors/0/name").
    LevelError error(const std::string& path, const std::string& what) const;
};

// Whether a mesh's file name can stand unquoted in a console statement: a blank would
// end it, a quote, '#', ';' or '=' would change what the console reads.
bool isStatementWord(const std::string& word);
inline constexpr const char* kStatementWordRule =
    "must not hold blanks, control characters, quotes, '#', ';' or '='";

// Parses the JSON text; file names the source in messages. Throws LevelError.
LevelSource parseLevel(const std::string& text, const std::string& file);
LevelSource loadLevel(const std::string& fileName);

}  // namespace arvel::level
