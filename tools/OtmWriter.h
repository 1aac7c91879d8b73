// Writes OTM maps (magic "OTMid", version 120): sectors with their static meshes,
// portals and lights, from plain data. The layout is described in world/Map.h and
// world/Light.h. The writer also writes what the loader must refuse (foreign versions,
// renderable portals, indices outside their lists, negative counts) so that tests can
// build any file in a few lines; counts always come from the lists given, except
// where a low-level call writes them directly.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/math/Vector4.h"

namespace arvel::content {

struct OtmMaterial {
    uint8_t flags = 0;  // bit 0 and bit 1: the material's two switches
    uint8_t opacity = 255;
    std::string technique = "static_default.rt";
    std::vector<std::string> textures;
};

struct OtmVertex {
    int32_t position = 0;
    float u = 0.5f, v = 0.5f;
    Vector4 normal{0.0f, 1.0f, 0.0f, 0.0f};
    Vector4 tangent{1.0f, 0.0f, 0.0f, 0.0f};
    uint8_t colour = 255;  // not written for portal vertices
};

struct OtmFace {
    std::vector<int32_t> corners;  // vertex indices, counter-clockwise seen from the front
    int32_t material = 0;          // not written for portal faces
};

struct OtmMeshBody {
    std::vector<OtmMaterial> materials;
    std::vector<Vector4> positions;
    std::vector<OtmVertex> vertices;
    std::vector<OtmFace> faces;
};

// A leaf lists faces of the sector mesh; a split node has exactly eight children
// (bit 0 of the child number: upper half in x, bit 1 in y, bit 2 in z).
struct OtmOctreeNode {
    std::vector<int32_t> faces;
    std::vector<OtmOctreeNode> children;
};

struct OtmStaticMesh {
    OtmMeshBody body;
    Vector4 octreeMin, octreeMax;
    OtmOctreeNode octree;
    std::vector<OtmMeshBody> children;  // pieces that lights name for their shadows
};

struct OtmSector {
    std::vector<int32_t> lights;
    std::vector<int32_t> portals;
    int32_t reserved = 0;
    OtmStaticMesh mesh;
};

struct OtmPortal {
    uint8_t flags = 0;  // bit 0 (renderable) makes the loader refuse the map
    int32_t first = 0;
    int32_t second = 0;
    std::vector<Vector4> positions;
    std::vector<OtmVertex> vertices;
    std::vector<OtmFace> faces;  // the first is the polygon visibility looks through
};

struct OtmLight {
    static constexpr uint8_t kSwitch = 1;
    static constexpr uint8_t kEmpty = 2;     // nothing but the flags byte is written
    static constexpr uint8_t kNamed = 4;     // the name follows the colour
    static constexpr uint8_t kNoPieces = 8;  // no shadow-piece list

    uint8_t flags = kNoPieces;
    Vector4 position;
    float innerRadius = 0.0f;
    float outerRadius = 1.0f;
    float thirdParameter = 0.0f;
    float colour[3] = {1.0f, 1.0f, 1.0f};
    std::string name;
    std::vector<std::pair<int32_t, int32_t>> pieces;  // (sector, child mesh of that sector)
};

struct OtmMap {
    std::vector<OtmSector> sectors;
    std::vector<OtmPortal> portals;
    std::vector<OtmLight> lights;
};

// Where a record was written: its kind ("sector", "static mesh", "mesh body",
// "material", "vertex", "face", "octree node", "portal", "light") and byte range.
struct OtmRecordSpan {
    std::string kind;
    size_t begin = 0;
    size_t end = 0;
};

class OtmWriter {
public:
    // Primitive values, little-endian.
    OtmWriter& u8(int value);
    OtmWriter& i32(int32_t value);
    OtmWriter& f32(float value);
    OtmWriter& vec3(const Vector4& v);
    OtmWriter& str(const std::string& text);  // with its terminating NUL
    OtmWriter& raw(const std::string& bytes);

    OtmWriter& header(int32_t sectors, int32_t portals, int32_t lights, int version = 120);
    OtmWriter& sector(const OtmSector& sector);
    OtmWriter& staticMesh(const OtmStaticMesh& mesh);
    OtmWriter& body(const OtmMeshBody& body);
    OtmWriter& material(const OtmMaterial& material);
    OtmWriter& octree(const OtmOctreeNode& node);
    OtmWriter& portal(const OtmPortal& portal);
    OtmWriter& light(const OtmLight& light);
    // The header with the lists' counts, then every record.
    OtmWriter& map(const OtmMap& map);

    const std::string& bytes() const { return bytes_; }
    const std::vector<OtmRecordSpan>& spans() const { return spans_; }
    bool save(const std::filesystem::path& path) const;

private:
    // Records the span of what body writes under kind.
    template <typename F>
    OtmWriter& record(const char* kind, F&& body);

    std::string bytes_;
    std::vector<OtmRecordSpan> spans_;
};

std::string otmBytes(const OtmMap& map);
bool saveOtm(const std::filesystem::path& path, const OtmMap& map);

// ---- box-shaped rooms -------------------------------------------------------------

// The six sides of an axis-aligned box. Coordinates on a side run along its two
// other axes taken cyclically: on an x side u is y and v is z, on a y side u is z and
// v is x, on a z side u is x and v is y.
enum class BoxSide { kMinX, kMaxX, kMinY, kMaxY, kMinZ, kMaxZ };

struct Opening {
    BoxSide side = BoxSide::kMinX;
    float u0 = 0.0f, u1 = 0.0f, v0 = 0.0f, v1 = 0.0f;
};

// The inside of the box [min, max]: every side split into quads around its openings,
// wound to face into the room, all with one material of the given technique. Each
// quad has its own four positions and vertices.
OtmMeshBody boxRoom(const Vector4& min, const Vector4& max, const std::vector<Opening>& openings,
                    const std::string& technique = "static_default.rt");

// A sector mesh whose octree is one leaf over all faces, boxed by the positions.
OtmStaticMesh singleLeafMesh(OtmMeshBody body);

// The rectangle of an opening as a portal between two sectors, on the given side of
// the box [min, max].
OtmPortal openingPortal(int32_t first, int32_t second, const Vector4& min, const Vector4& max,
                        const Opening& opening);

struct RoomChainOptions {
    int rooms = 2;
    float length = 4.0f;  // along x, the direction the chain runs
    float height = 3.0f;
    float width = 4.0f;
    float doorHeight = 2.0f;
    float doorWidth = 1.0f;
    // Doors alternate between the low-z and the high-z end of their walls, so that
    // no line of sight passes more than one door; otherwise all sit in the middle.
    bool zigzag = false;
    std::string technique = "static_default.rt";
};

// Room i spans x from i * length to (i + 1) * length, y from 0 to height and z from 0
// to width; a door portal joins each room to the next.
OtmMap roomChain(const RoomChainOptions& options);
// Where the door between room i and room i + 1 lies in z.
std::pair<float, float> chainDoor(const RoomChainOptions& options, int i);

}  // namespace arvel::content
