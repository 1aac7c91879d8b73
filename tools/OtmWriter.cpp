#include "OtmWriter.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace arvel::content {

namespace {

int32_t countOf(size_t size) {
    if (size > static_cast<size_t>(INT32_MAX)) throw std::length_error("list too long for OTM");
    return static_cast<int32_t>(size);
}

}  // namespace

OtmWriter& OtmWriter::u8(int value) {
    bytes_.push_back(static_cast<char>(value & 0xFF));
    return *this;
}

OtmWriter& OtmWriter::i32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        bytes_.push_back(static_cast<char>((bits >> shift) & 0xFF));
    return *this;
}

OtmWriter& OtmWriter::f32(float value) {
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return i32(bits);
}

OtmWriter& OtmWriter::vec3(const Vector4& v) { return f32(v.x).f32(v.y).f32(v.z); }

OtmWriter& OtmWriter::str(const std::string& text) {
    bytes_.append(text.c_str(), std::strlen(text.c_str()) + 1);
    return *this;
}

OtmWriter& OtmWriter::raw(const std::string& bytes) {
    bytes_ += bytes;
    return *this;
}

template <typename F>
OtmWriter& OtmWriter::record(const char* kind, F&& body) {
    const size_t at = spans_.size();
    spans_.push_back({kind, bytes_.size(), 0});
    body();
    spans_[at].end = bytes_.size();
    return *this;
}

OtmWriter& OtmWriter::header(int32_t sectors, int32_t portals, int32_t lights, int version) {
    return record("header", [&] {
        bytes_ += "OTMid";
        u8(version).i32(sectors).i32(portals).i32(lights);
    });
}

OtmWriter& OtmWriter::material(const OtmMaterial& m) {
    return record("material", [&] {
        u8(m.flags).u8(m.opacity).str(m.technique).i32(countOf(m.textures.size()));
        for (const std::string& name : m.textures) str(name);
    });
}

OtmWriter& OtmWriter::body(const OtmMeshBody& b) {
    return record("mesh body", [&] {
        i32(countOf(b.materials.size())).i32(countOf(b.positions.size()));
        i32(countOf(b.vertices.size())).i32(countOf(b.faces.size()));
        for (const OtmMaterial& m : b.materials) material(m);
        for (const Vector4& p : b.positions) vec3(p);
        for (const OtmVertex& v : b.vertices) {
            record("vertex", [&] {
                i32(v.position).f32(v.u).f32(v.v).vec3(v.normal).vec3(v.tangent).u8(v.colour);
            });
        }
        for (const OtmFace& f : b.faces) {
            record("face", [&] {
                i32(countOf(f.corners.size()));
                for (int32_t c : f.corners) i32(c);
                i32(f.material);
            });
        }
    });
}

OtmWriter& OtmWriter::octree(const OtmOctreeNode& node) {
    if (!node.children.empty() && node.children.size() != 8)
        throw std::invalid_argument("a split octree node has eight children");
    return record("octree node", [&] {
        if (node.children.empty()) {
            i32(countOf(node.faces.size()));
            for (int32_t f : node.faces) i32(f);
            return;
        }
        i32(-1);
        for (const OtmOctreeNode& child : node.children) octree(child);
    });
}

OtmWriter& OtmWriter::staticMesh(const OtmStaticMesh& mesh) {
    return record("static mesh", [&] {
        body(mesh.body);
        vec3(mesh.octreeMin).vec3(mesh.octreeMax);
        octree(mesh.octree);
        i32(countOf(mesh.children.size()));
        for (const OtmMeshBody& child : mesh.children) body(child);
    });
}

OtmWriter& OtmWriter::sector(const OtmSector& s) {
    return record("sector", [&] {
        i32(countOf(s.lights.size())).i32(countOf(s.portals.size())).i32(s.reserved);
        staticMesh(s.mesh);
        for (int32_t l : s.lights) i32(l);
        for (int32_t p : s.portals) i32(p);
    });
}

OtmWriter& OtmWriter::portal(const OtmPortal& p) {
    return record("portal", [&] {
        u8(p.flags).i32(p.first).i32(p.second);
        i32(countOf(p.positions.size())).i32(countOf(p.vertices.size()));
        i32(countOf(p.faces.size()));
        for (const Vector4& position : p.positions) vec3(position);
        for (const OtmVertex& v : p.vertices) {
            record("vertex",
                   [&] { i32(v.position).f32(v.u).f32(v.v).vec3(v.normal).vec3(v.tangent); });
        }
        for (const OtmFace& f : p.faces) {
            record("face", [&] {
                i32(countOf(f.corners.size()));
                for (int32_t c : f.corners) i32(c);
            });
        }
    });
}

OtmWriter& OtmWriter::light(const OtmLight& l) {
    return record("light", [&] {
        u8(l.flags);
        if (l.flags & OtmLight::kEmpty) return;
        vec3(l.position).f32(l.innerRadius).f32(l.outerRadius).f32(l.thirdParameter);
        f32(l.colour[0]).f32(l.colour[1]).f32(l.colour[2]);
        if (l.flags & OtmLight::kNamed) str(l.name);
        if (l.flags & OtmLight::kNoPieces) return;
        i32(countOf(l.pieces.size()));
        for (const auto& [sector, child] : l.pieces) i32(sector).i32(child);
    });
}

OtmWriter& OtmWriter::map(const OtmMap& m) {
    header(countOf(m.sectors.size()), countOf(m.portals.size()), countOf(m.lights.size()));
    for (const OtmSector& s : m.sectors) sector(s);
    for (const OtmPortal& p : m.portals) portal(p);
    for (const OtmLight& l : m.lights) light(l);
    return *this;
}

bool OtmWriter::save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
    return static_cast<bool>(out);
}

std::string otmBytes(const OtmMap& map) { return OtmWriter().map(map).bytes(); }

bool saveOtm(const std::filesystem::path& path, const OtmMap& map) {
    return OtmWriter().map(map).save(path);
}

// ---- box-shaped rooms -------------------------------------------------------------

namespace {

struct SideFrame {
    int axis;    // the side's normal axis
    bool atMin;  // the side at the box's minimum faces +axis into the room
    int u, v;    // the two other axes, cyclically after axis
};

SideFrame frameOf(BoxSide side) {
    const int axis = static_cast<int>(side) / 2;
    return {axis, static_cast<int>(side) % 2 == 0, (axis + 1) % 3, (axis + 2) % 3};
}

// A point of the side's plane at (u, v).
Vector4 sidePoint(const SideFrame& f, const Vector4& min, const Vector4& max, float u, float v) {
    Vector4 p;
    p[f.axis] = f.atMin ? min[f.axis] : max[f.axis];
    p[f.u] = u;
    p[f.v] = v;
    return p;
}

// Appends the rectangle (u0..u1, v0..v1) of a side as one face facing into the box.
// u x v points along +axis, so the corners run the other way round on the max side.
void addQuad(OtmMeshBody& body, const SideFrame& f, const Vector4& min, const Vector4& max,
             float u0, float u1, float v0, float v1) {
    Vector4 corners[4] = {sidePoint(f, min, max, u0, v0), sidePoint(f, min, max, u1, v0),
                          sidePoint(f, min, max, u1, v1), sidePoint(f, min, max, u0, v1)};
    if (!f.atMin) std::swap(corners[1], corners[3]);
    Vector4 normal, tangent;
    normal[f.axis] = f.atMin ? 1.0f : -1.0f;
    tangent[f.u] = 1.0f;
    OtmFace face;
    for (const Vector4& corner : corners) {
        const auto index = countOf(body.positions.size());
        body.positions.push_back(corner);
        body.vertices.push_back({index, 0.5f, 0.5f, normal, tangent, 255});
        face.corners.push_back(index);
    }
    body.faces.push_back(std::move(face));
}

}  // namespace

OtmMeshBody boxRoom(const Vector4& min, const Vector4& max, const std::vector<Opening>& openings,
                    const std::string& technique) {
    OtmMeshBody body;
    body.materials.push_back({0, 255, technique, {}});
    for (int s = 0; s < 6; ++s) {
        const auto side = static_cast<BoxSide>(s);
        const SideFrame f = frameOf(side);
        // A grid through every opening's edges; the cells that no opening covers are
        // the wall.
        std::vector<float> us{min[f.u], max[f.u]}, vs{min[f.v], max[f.v]};
        std::vector<const Opening*> holes;
        for (const Opening& o : openings) {
            if (o.side != side) continue;
            holes.push_back(&o);
            us.insert(us.end(), {o.u0, o.u1});
            vs.insert(vs.end(), {o.v0, o.v1});
        }
        for (auto* axis : {&us, &vs}) {
            std::sort(axis->begin(), axis->end());
            axis->erase(std::unique(axis->begin(), axis->end()), axis->end());
        }
        for (size_t i = 0; i + 1 < us.size(); ++i) {
            for (size_t j = 0; j + 1 < vs.size(); ++j) {
                const float cu = (us[i] + us[i + 1]) * 0.5f, cv = (vs[j] + vs[j + 1]) * 0.5f;
                const bool open = std::any_of(holes.begin(), holes.end(), [&](const Opening* o) {
                    return cu > o->u0 && cu < o->u1 && cv > o->v0 && cv < o->v1;
                });
                if (!open) addQuad(body, f, min, max, us[i], us[i + 1], vs[j], vs[j + 1]);
            }
        }
    }
    return body;
}

OtmStaticMesh singleLeafMesh(OtmMeshBody body) {
    OtmStaticMesh mesh;
    mesh.octreeMin = {3.4e38f, 3.4e38f, 3.4e38f, 0.0f};
    mesh.octreeMax = {-3.4e38f, -3.4e38f, -3.4e38f, 0.0f};
    for (const Vector4& p : body.positions) {
        for (int axis = 0; axis < 3; ++axis) {
            mesh.octreeMin[axis] = std::min(mesh.octreeMin[axis], p[axis]);
            mesh.octreeMax[axis] = std::max(mesh.octreeMax[axis], p[axis]);
        }
    }
    for (size_t i = 0; i < body.faces.size(); ++i) mesh.octree.faces.push_back(countOf(i));
    mesh.body = std::move(body);
    return mesh;
}

OtmPortal openingPortal(int32_t first, int32_t second, const Vector4& min, const Vector4& max,
                        const Opening& opening) {
    OtmPortal portal;
    portal.first = first;
    portal.second = second;
    OtmMeshBody rectangle;
    addQuad(rectangle, frameOf(opening.side), min, max, opening.u0, opening.u1, opening.v0,
            opening.v1);
    portal.positions = std::move(rectangle.positions);
    portal.vertices = std::move(rectangle.vertices);
    portal.faces = std::move(rectangle.faces);
    return portal;
}

std::pair<float, float> chainDoor(const RoomChainOptions& o, int i) {
    if (!o.zigzag) return {(o.width - o.doorWidth) * 0.5f, (o.width + o.doorWidth) * 0.5f};
    const float margin = o.width * 0.1f;
    if (i % 2 == 0) return {margin, margin + o.doorWidth};
    return {o.width - margin - o.doorWidth, o.width - margin};
}

OtmMap roomChain(const RoomChainOptions& o) {
    OtmMap map;
    for (int i = 0; i < o.rooms; ++i) {
        const Vector4 min{static_cast<float>(i) * o.length, 0.0f, 0.0f, 0.0f};
        const Vector4 max{static_cast<float>(i + 1) * o.length, o.height, o.width, 0.0f};
        std::vector<Opening> doors;
        OtmSector sector;
        if (i > 0) {
            const auto [z0, z1] = chainDoor(o, i - 1);
            doors.push_back({BoxSide::kMinX, 0.0f, o.doorHeight, z0, z1});
            sector.portals.push_back(i - 1);
        }
        if (i + 1 < o.rooms) {
            const auto [z0, z1] = chainDoor(o, i);
            doors.push_back({BoxSide::kMaxX, 0.0f, o.doorHeight, z0, z1});
            sector.portals.push_back(i);
            map.portals.push_back(openingPortal(i, i + 1, min, max, doors.back()));
        }
        sector.mesh = singleLeafMesh(boxRoom(min, max, doors, o.technique));
        map.sectors.push_back(std::move(sector));
    }
    return map;
}

}  // namespace arvel::content
