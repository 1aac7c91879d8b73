// OTM maps read on their own, without the engine's loader, so that the reference
// checks the engine rather than repeating it.
#include <cstring>
#include <fstream>
#include <sstream>

#include "reference/Scene.h"

namespace arvel::reference {

namespace {

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}

    const char* take(size_t n) {
        if (n > bytes_.size() - position_) throw SceneError("the map ends inside a record");
        const char* p = bytes_.data() + position_;
        position_ += n;
        return p;
    }
    uint8_t u8() { return static_cast<uint8_t>(*take(1)); }
    int32_t i32() {
        int32_t v;
        std::memcpy(&v, take(4), 4);
        return v;
    }
    double f32() {
        float v;
        std::memcpy(&v, take(4), 4);
        return v;
    }
    size_t position() const { return position_; }
    Vec3 vec3() {
        const double x = f32(), y = f32();
        return {x, y, f32()};
    }
    void string() {
        while (u8() != 0) {
        }
    }
    // A count as the loader takes it: 0 or less is an empty list. A count that could
    // not fit in the bytes left is refused before anything is allocated.
    size_t count(size_t minimumRecordSize) {
        const int32_t n = i32();
        if (n <= 0) return 0;
        if (static_cast<size_t>(n) > (bytes_.size() - position_) / minimumRecordSize)
            throw SceneError("a count beyond the end of the map");
        return static_cast<size_t>(n);
    }

private:
    const std::string& bytes_;
    size_t position_ = 0;
};

struct Corner {
    int32_t position;
    Vec3 normal;
};

template <typename T>
const T& checked(const std::vector<T>& list, int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        throw SceneError("an index outside its list");
    return list[static_cast<size_t>(index)];
}

// One mesh body; its faces become triangles when draw is set (children are shadow
// pieces, copies of faces the sector mesh already has).
void readBody(Reader& in, bool draw, Scene& scene) {
    const int32_t materialCount = in.i32();
    const int32_t positionCount = in.i32();
    const int32_t vertexCount = in.i32();
    const int32_t faceCount = in.i32();
    for (int32_t i = 0; i < materialCount; ++i) {
        in.u8();
        in.u8();
        in.string();
        const int32_t textures = in.i32();
        for (int32_t t = 0; t < textures; ++t) in.string();
    }
    std::vector<Vec3> positions;
    for (int32_t i = 0; i < positionCount; ++i) positions.push_back(in.vec3());
    std::vector<Corner> vertices;
    for (int32_t i = 0; i < vertexCount; ++i) {
        Corner corner;
        corner.position = in.i32();
        in.f32();
        in.f32();
        corner.normal = in.vec3();
        in.vec3();
        in.u8();
        checked(positions, corner.position);
        vertices.push_back(corner);
    }
    for (int32_t f = 0; f < faceCount; ++f) {
        const size_t n = in.count(4);
        std::vector<int32_t> corners(n);
        for (int32_t& c : corners) c = in.i32();
        in.i32();  // material: every default technique lights alike
        if (!draw) continue;
        for (size_t w = 1; w + 1 < n; ++w) {
            Triangle t;
            const int32_t fan[3] = {corners[0], corners[w], corners[w + 1]};
            for (int k = 0; k < 3; ++k) {
                const Corner& v = checked(vertices, fan[k]);
                t.corner[k] = positions[static_cast<size_t>(v.position)];
                t.normal[k] = v.normal;
            }
            scene.triangles.push_back(t);
        }
    }
}

void skipOctree(Reader& in, int depth) {
    if (depth > 64) throw SceneError("an octree deeper than any map needs");
    const int32_t n = in.i32();
    if (n == -1) {
        for (int child = 0; child < 8; ++child) skipOctree(in, depth + 1);
    } else {
        for (int32_t i = 0; i < n; ++i) in.i32();
    }
}

void readPortal(Reader& in) {
    in.u8();
    in.i32();
    in.i32();
    const int32_t positions = in.i32();
    const int32_t vertices = in.i32();
    const int32_t faces = in.i32();
    for (int32_t i = 0; i < positions; ++i) in.vec3();
    for (int32_t i = 0; i < vertices; ++i) in.take(4 + 8 + 24);
    for (int32_t i = 0; i < faces; ++i) {
        const size_t n = in.count(4);
        in.take(4 * n);
    }
}

PointLight readLight(Reader& in) {
    PointLight light;
    light.recordOffset = in.position();
    const uint8_t flags = in.u8();
    if (flags & 2) return light;  // an empty record: radius 0 reaches nothing
    light.position = in.vec3();
    in.f32();  // inner radius: the techniques fall off from the centre
    light.outerRadius = in.f32();
    in.f32();
    for (double& c : light.colour) c = in.f32();
    if (flags & 4) in.string();
    if (!(flags & 8)) {
        const size_t pieces = in.count(8);
        in.take(8 * pieces);
        light.precomputed = true;
    }
    return light;
}

}  // namespace

void parseOtm(const std::string& bytes, Scene& scene) {
    Reader in(bytes);
    if (std::memcmp(in.take(5), "OTMid", 5) != 0) throw SceneError("not an OTM map");
    if (in.u8() != 120) throw SceneError("an OTM version other than 120");
    const int32_t sectors = in.i32();
    const int32_t portals = in.i32();
    const int32_t lights = in.i32();
    std::vector<int32_t> listedLights;
    for (int32_t s = 0; s < sectors; ++s) {
        const int32_t lightRefs = in.i32();
        const int32_t portalRefs = in.i32();
        in.i32();
        readBody(in, true, scene);
        in.vec3();
        in.vec3();
        skipOctree(in, 0);
        const int32_t children = in.i32();
        for (int32_t c = 0; c < children; ++c) readBody(in, false, scene);
        for (int32_t i = 0; i < lightRefs; ++i) listedLights.push_back(in.i32());
        for (int32_t i = 0; i < portalRefs; ++i) in.i32();
    }
    for (int32_t p = 0; p < portals; ++p) readPortal(in);
    const size_t firstLight = scene.lights.size();
    for (int32_t l = 0; l < lights; ++l) scene.lights.push_back(readLight(in));
    for (int32_t index : listedLights)
        if (index >= 0 && index < lights)
            scene.lights[firstLight + static_cast<size_t>(index)].inSector = true;
    scene.sectorCount += sectors > 0 ? sectors : 0;
}

void loadOtm(const std::filesystem::path& path, Scene& scene) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw SceneError("cannot read " + path.string());
    std::ostringstream bytes;
    bytes << file.rdbuf();
    try {
        parseOtm(bytes.str(), scene);
    } catch (const SceneError& e) {
        throw SceneError(path.string() + ": " + e.what());
    }
}

}  // namespace arvel::reference
