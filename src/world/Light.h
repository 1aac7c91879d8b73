// A point light of a map: position, inner and outer radius, colour, and for static
// lights the shadow volume of the static geometry it lights, built once at load.
//
// Light record (little-endian, after the flags byte; bit 1 set means nothing follows):
//   vec3 position, float inner radius, float outer radius, float third parameter,
//   float r, g, b; a NUL-terminated name if bit 2; unless bit 3: int32 piece count,
//   then per piece int32 sector index, int32 child mesh index of that sector's mesh.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/math/Vector4.h"

namespace arvel {

class BoundingVolume;
class DataStream;
class Map;
class Mesh;
class RenderBatch;
class Sector;
class StaticMesh;
class ViewVolume;
class World;

// The lit child mesh of one sector's static mesh.
struct LightPiece {
    Sector* sector = nullptr;
    StaticMesh* mesh = nullptr;
};

class Light {
public:
    // Flags byte of the record.
    static constexpr int kRecordSwitch = 1;
    static constexpr int kRecordEmpty = 2;
    static constexpr int kRecordNamed = 4;
    static constexpr int kRecordNoPieces = 8;
    // How far silhouettes are pushed away from the light.
    static constexpr float kExtrusionFactor = 1000.0f;

    int index = 0;  // position in the map's light list
    World* world = nullptr;
    int flags = 0;             // per-frame scene-object bits
    bool precomputed = false;  // the record carried shadow pieces
    bool named = false;
    bool lightSwitch = true;      // bit 0 of the record; meaning left to the renderer
    float outerRadius = 0.0f;     // no light from here on
    float innerRadius = 0.0f;     // full light up to here
    float thirdParameter = 0.0f;  // stored as read
    float falloffFactor = 0.0f;   // 1 / (outer - inner); infinite when they are equal
    Vector4 position;
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // r, g, b from the record; a is ours
    std::vector<LightPiece> pieces;              // at most one per sector, first piece first
    std::unique_ptr<Mesh> shadowMesh;            // precomputed lights only
    std::unique_ptr<RenderBatch> shadowBatch;    // all faces of the shadow mesh
    Sector* homeSector = nullptr;                // sector of the first piece
    // Without pieces: the sector the light was last found in, asked first next frame.
    Sector* foundSector = nullptr;

    Light(World* world = nullptr, int index = 0);
    virtual ~Light();
    Light(const Light&) = delete;
    Light& operator=(const Light&) = delete;

    // Reads one Light record (layout above). Sector and child indices resolve through
    // map, which must have loaded its sectors; an index outside its list throws
    // "invalid vector<T> subscript". Pieces build the shadow mesh and batch.
    virtual void load(DataStream& stream, Map& map);
    // At the volume's point closest to the light.
    virtual float lightLevel(const BoundingVolume& volume) const;
    // 1 within the inner radius, 0 from the outer radius on, linear in between.
    virtual float lightLevel(const Vector4& point) const;
    virtual void update(int) {}
    virtual void update() {}
    // False when the light's sphere lies wholly behind one of the volume's planes.
    virtual bool reaches(const ViewVolume& volume) const;

    // Sets both radii and the falloff factor that goes with them.
    void setRadii(float inner, float outer);

    // Prepares child (box, octree), extrudes its silhouette from the light and appends
    // it to the shadow mesh; records the piece, replacing one of the same sector.
    // The first piece's sector becomes the home sector.
    void addShadowPiece(Sector& sector, StaticMesh& child);
    // After the last piece: triangles, a position-only vertex array and one batch.
    void finishShadowMesh();
};

}  // namespace arvel
