#include "level/GltfLevel.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace arvel::level {

namespace {

// Column-major, as glTF stores matrices.
using Matrix = std::array<double, 16>;

constexpr Matrix kIdentity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr double kDegrees = 57.29577951308232;
// Coordinates, sizes and colours stay within the range the JSON reader allows.
constexpr double kLargest = 1e6;
// A glTF node tree deeper than this is a broken (or hostile) file, not a level.
constexpr int kDeepestNode = 64;

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k) m[4 * c + r] += a[4 * k + r] * b[4 * c + k];
    return m;
}

Vec3 transformPoint(const Matrix& m, const Vec3& p) {
    return {m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
            m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
            m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
}

Vec3 transformDirection(const Matrix& m, const Vec3& d) {
    return {m[0] * d.x + m[4] * d.y + m[8] * d.z, m[1] * d.x + m[5] * d.y + m[9] * d.z,
            m[2] * d.x + m[6] * d.y + m[10] * d.z};
}

double determinant3(const Matrix& m) {
    return dot(Vec3{m[0], m[1], m[2]}, cross(Vec3{m[4], m[5], m[6]}, Vec3{m[8], m[9], m[10]}));
}

// The node's own transform: its matrix, or translation x rotation x scale.
Matrix localMatrix(const tinygltf::Node& node) {
    if (node.matrix.size() == 16) {
        Matrix m;
        std::copy(node.matrix.begin(), node.matrix.end(), m.begin());
        return m;
    }
    Matrix m = kIdentity;
    if (node.rotation.size() == 4) {
        const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
                     w = node.rotation[3];
        m = {1 - 2 * (y * y + z * z),
             2 * (x * y + z * w),
             2 * (x * z - y * w),
             0,
             2 * (x * y - z * w),
             1 - 2 * (x * x + z * z),
             2 * (y * z + x * w),
             0,
             2 * (x * z + y * w),
             2 * (y * z - x * w),
             1 - 2 * (x * x + y * y),
             0,
             0,
             0,
             0,
             1};
    }
    if (node.scale.size() == 3) {
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 3; ++r) m[4 * c + r] *= node.scale[static_cast<size_t>(c)];
    }
    if (node.translation.size() == 3) {
        for (int r = 0; r < 3; ++r) m[12 + r] = node.translation[static_cast<size_t>(r)];
    }
    return m;
}

std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }
std::string objectPath(const std::string& name) { return "object " + inQuotes(name); }

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// Blender names a copy "name.001"; the name without that ending.
std::string withoutCopyNumber(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4) return name;
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return name;
    return name.substr(0, dot);
}

// A file name made of the characters every file system takes.
std::string fileSafe(const std::string& name) {
    std::string out;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        out += plain ? c : '_';
    }
    return out.empty() ? "image" : out;
}

// The image loader tinygltf calls: decodes with its own decoder, but lets the file load
// when an image cannot be decoded, so that the level can say which material needs it.
struct ImageDecoding {
    bool decode = true;
    std::map<int, std::string> failures;
};

bool loadImage(tinygltf::Image* image, const int index, std::string* err, std::string* warn,
               int width, int height, const unsigned char* bytes, int size, void* user) {
    auto* decoding = static_cast<ImageDecoding*>(user);
    if (!decoding->decode) return true;
    std::string why;
    if (!tinygltf::LoadImageData(image, index, &why, warn, width, height, bytes, size, nullptr)) {
        decoding->failures[index] = why.empty() ? "not a PNG or JPEG image" : why;
        image->image.clear();
    }
    (void)err;
    return true;
}

// Reads glTF accessors with every offset checked against its buffer.
class AccessorReader {
public:
    AccessorReader(const tinygltf::Model& model, int index, const std::string& object,
                   const LevelSource& level)
        : model_(model), level_(level), object_(object) {
        if (index < 0 || static_cast<size_t>(index) >= model.accessors.size())
            fail("refers to accessor " + std::to_string(index) + ", which does not exist");
        const tinygltf::Accessor& accessor = model.accessors[static_cast<size_t>(index)];
        if (accessor.sparse.isSparse) fail("uses a sparse accessor, which is not supported");
        components_ = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(accessor.type));
        componentSize_ =
            tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(accessor.componentType));
        if (components_ <= 0 || componentSize_ <= 0) fail("has an accessor of an unknown type");
        type_ = accessor.componentType;
        normalized_ = accessor.normalized;
        count_ = accessor.count;
        if (accessor.bufferView < 0 ||
            static_cast<size_t>(accessor.bufferView) >= model.bufferViews.size())
            fail("has an accessor without data");
        const tinygltf::BufferView& view =
            model.bufferViews[static_cast<size_t>(accessor.bufferView)];
        if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= model.buffers.size())
            fail("refers to a buffer that does not exist");
        const std::vector<unsigned char>& buffer =
            model.buffers[static_cast<size_t>(view.buffer)].data;
        const size_t element = static_cast<size_t>(components_) * componentSize_;
        stride_ = view.byteStride ? view.byteStride : element;
        const size_t viewEnd = view.byteOffset + view.byteLength;
        if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset ||
            accessor.byteOffset > view.byteLength || stride_ < element)
            fail("has data beyond the end of its buffer (a missing or short buffer file?)");
        const size_t available = view.byteLength - accessor.byteOffset;
        if (count_ > 0 && (available < element || (count_ - 1) > (available - element) / stride_))
            fail("has data beyond the end of its buffer (a missing or short buffer file?)");
        data_ = buffer.data() + view.byteOffset + accessor.byteOffset;
        (void)viewEnd;
    }

    size_t count() const { return count_; }
    int components() const { return components_; }

    double get(size_t i, int c) const {
        const unsigned char* p = data_ + i * stride_ + static_cast<size_t>(c) * componentSize_;
        switch (type_) {
            case TINYGLTF_COMPONENT_TYPE_FLOAT: {
                float f;
                std::memcpy(&f, p, sizeof f);
                return f;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
                return normalized_ ? *p / 255.0 : *p;
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
                uint16_t v;
                std::memcpy(&v, p, sizeof v);
                return normalized_ ? v / 65535.0 : v;
            }
            case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
                uint32_t v;
                std::memcpy(&v, p, sizeof v);
                return v;
            }
            case TINYGLTF_COMPONENT_TYPE_BYTE: {
                int8_t v;
                std::memcpy(&v, p, sizeof v);
                return normalized_ ? std::max(v / 127.0, -1.0) : v;
            }
            case TINYGLTF_COMPONENT_TYPE_SHORT: {
                int16_t v;
                std::memcpy(&v, p, sizeof v);
                return normalized_ ? std::max(v / 32767.0, -1.0) : v;
            }
            default: {
                double d;
                std::memcpy(&d, p, sizeof d);
                return d;
            }
        }
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw level_.error(objectPath(object_), what);
    }

    const tinygltf::Model& model_;
    const LevelSource& level_;
    std::string object_;
    const unsigned char* data_ = nullptr;
    size_t count_ = 0, stride_ = 0, componentSize_ = 0;
    int components_ = 0, type_ = 0;
    bool normalized_ = false;
};

// The linear texture mapping of a triangle from its corners' coordinates.
std::optional<TextureMapping> triangleMapping(const Vec3 (&p)[3], const double (&u)[3],
                                              const double (&v)[3]) {
    const Vec3 e1 = p[1] - p[0], e2 = p[2] - p[0];
    const double a = dot(e1, e1), b = dot(e1, e2), c = dot(e2, e2);
    const double det = a * c - b * b;
    if (!(det > 1e-18)) return std::nullopt;
    auto gradient = [&](const double(&t)[3]) {
        const double d1 = t[1] - t[0], d2 = t[2] - t[0];
        return e1 * ((c * d1 - b * d2) / det) + e2 * ((a * d2 - b * d1) / det);
    };
    TextureMapping m;
    m.uGradient = gradient(u);
    m.uOffset = u[0] - dot(m.uGradient, p[0]);
    m.vGradient = gradient(v);
    m.vOffset = v[0] - dot(m.vGradient, p[0]);
    return m;
}

class Reader {
public:
    Reader(const tinygltf::Model& model, const ImageDecoding& decoding, const GltfOptions& options,
           GltfLevel& out)
        : model_(model), decoding_(decoding), options_(options), out_(out), level_(out.source) {}

    void read() {
        chooseScale();
        std::vector<int> roots;
        if (!model_.scenes.empty()) {
            const size_t scene =
                model_.defaultScene >= 0 &&
                        static_cast<size_t>(model_.defaultScene) < model_.scenes.size()
                    ? static_cast<size_t>(model_.defaultScene)
                    : 0;
            roots = model_.scenes[scene].nodes;
        } else {
            std::vector<bool> child(model_.nodes.size(), false);
            for (const tinygltf::Node& node : model_.nodes)
                for (int c : node.children)
                    if (c >= 0 && static_cast<size_t>(c) < child.size())
                        child[static_cast<size_t>(c)] = true;
            for (size_t n = 0; n < model_.nodes.size(); ++n)
                if (!child[n]) roots.push_back(static_cast<int>(n));
        }
        for (int root : roots) walk(root, kIdentity, -1, 0);
        if (level_.sectors.empty())
            throw level_.error("",
                               "no sectors: group each room's objects under an empty "
                               "named \"sector:NAME\"");
        resolvePortals();
        std::stable_sort(lights_.begin(), lights_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& light : lights_) level_.lights.push_back(std::move(light.second));
    }

private:
    struct PendingPortal {
        std::string object;
        std::string names[2];
        Points polygon;
    };

    [[noreturn]] void fail(const std::string& object, const std::string& what) const {
        throw level_.error(objectPath(object), what);
    }

    double checked(double value, const std::string& object, const char* what) const {
        if (!(std::abs(value) <= kLargest))
            fail(object, std::string(what) + " lies beyond a million units");
        return value;
    }

    void chooseScale() {
        double scale = kDefaultGltfScale;
        if (!model_.scenes.empty()) {
            const tinygltf::Value& extras = model_.scenes.front().extras;
            if (extras.IsObject() && extras.Has("scale")) {
                const tinygltf::Value& s = extras.Get("scale");
                if (!s.IsNumber() || !(s.GetNumberAsDouble() > 0.0))
                    throw level_.error("scene",
                                       "the \"scale\" custom property must be a "
                                       "number above 0");
                scale = s.GetNumberAsDouble();
            }
        }
        if (options_.scale) scale = *options_.scale;
        if (!(scale > 0.0 && scale <= 1e4))
            throw level_.error("", "the scale must lie above 0 and at most 10000");
        scale_ = out_.scale = scale;
    }

    std::string nodeName(int index) const {
        const std::string& name = model_.nodes[static_cast<size_t>(index)].name;
        return name.empty() ? "node " + std::to_string(index) : name;
    }

    void walk(int index, const Matrix& parent, int sector, int depth) {
        if (index < 0 || static_cast<size_t>(index) >= model_.nodes.size())
            throw level_.error(
                "", "the scene refers to node " + std::to_string(index) + ", which does not exist");
        const std::string name = nodeName(index);
        if (depth > kDeepestNode)
            fail(name, "lies more than " + std::to_string(kDeepestNode) +
                           " levels deep (does the node tree loop?)");
        const tinygltf::Node& node = model_.nodes[static_cast<size_t>(index)];
        const Matrix world = multiply(parent, localMatrix(node));
        if (startsWith(name, "sector:")) sector = addSector(name, sector);
        if (node.mesh >= 0) {
            if (startsWith(name, "portal:")) {
                addPortal(node, name, world);
            } else if (sector < 0) {
                fail(name,
                     "belongs to no sector: make it a child of an empty named "
                     "\"sector:NAME\"");
            } else {
                addFaces(node, name, world, sector);
            }
        } else if (startsWith(name, "portal:")) {
            fail(name, "has no mesh: a portal is a flat polygon covering a doorway");
        }
        const auto light = node.extensions.find("KHR_lights_punctual");
        if (light != node.extensions.end()) addLight(node, light->second, name, world);
        if (node.camera >= 0) addCamera(name, world);
        if (startsWith(name, "mesh:")) addMesh(node, name, world);
        for (int child : node.children) walk(child, world, sector, depth + 1);
    }

    int addSector(const std::string& name, int enclosing) {
        if (enclosing >= 0)
            fail(name, "lies inside sector " +
                           inQuotes(level_.sectors[static_cast<size_t>(enclosing)].name) +
                           ": sectors cannot nest");
        const std::string sectorName = name.substr(std::strlen("sector:"));
        if (sectorName.empty() || sectorName.find(':') != std::string::npos)
            fail(name, "a sector's name follows \"sector:\" and has no \":\" in it");
        for (const SourceSector& s : level_.sectors)
            if (s.name == sectorName) fail(name, "a second sector named " + inQuotes(sectorName));
        SourceSector sector;
        sector.name = sectorName;
        sector.path = objectPath(name);
        level_.sectors.push_back(std::move(sector));
        return static_cast<int>(level_.sectors.size()) - 1;
    }

    // The triangles of a node's mesh in engine space, each with its primitive's material
    // and, where the mesh has them, its texture coordinates.
    struct Triangle {
        Vec3 p[3];
        double u[3], v[3];
        bool mapped = false;
        int material = -1;
    };

    std::vector<Triangle> triangles(const tinygltf::Node& node, const std::string& name,
                                    const Matrix& world) const {
        if (static_cast<size_t>(node.mesh) >= model_.meshes.size())
            fail(name, "refers to a mesh that does not exist");
        const bool mirrored = determinant3(world) < 0.0;
        std::vector<Triangle> out;
        for (const tinygltf::Primitive& primitive :
             model_.meshes[static_cast<size_t>(node.mesh)].primitives) {
            if (primitive.mode == TINYGLTF_MODE_POINTS || primitive.mode == TINYGLTF_MODE_LINE ||
                primitive.mode == TINYGLTF_MODE_LINE_LOOP ||
                primitive.mode == TINYGLTF_MODE_LINE_STRIP)
                continue;  // loose vertices and edges bound nothing
            if (primitive.mode != TINYGLTF_MODE_TRIANGLES)
                fail(name, "has triangle strips or fans: export plain triangles");
            const auto position = primitive.attributes.find("POSITION");
            if (position == primitive.attributes.end()) fail(name, "has no vertex positions");
            const AccessorReader positions(model_, position->second, name, level_);
            if (positions.components() != 3) fail(name, "has positions that are not 3D");
            std::optional<AccessorReader> coordinates;
            const auto uv = primitive.attributes.find("TEXCOORD_0");
            if (uv != primitive.attributes.end()) {
                coordinates.emplace(model_, uv->second, name, level_);
                if (coordinates->components() != 2 || coordinates->count() != positions.count())
                    fail(name, "has texture coordinates that do not match its positions");
            }
            std::optional<AccessorReader> indices;
            if (primitive.indices >= 0) {
                indices.emplace(model_, primitive.indices, name, level_);
                if (indices->components() != 1) fail(name, "has indices that are not scalars");
            }
            const size_t corners = indices ? indices->count() : positions.count();
            for (size_t t = 0; t + 2 < corners; t += 3) {
                Triangle triangle;
                triangle.material = primitive.material;
                triangle.mapped = coordinates.has_value();
                for (int k = 0; k < 3; ++k) {
                    const size_t corner = t + static_cast<size_t>(mirrored ? 2 - k : k);
                    const double i = indices ? indices->get(corner, 0) : double(corner);
                    if (!(i >= 0.0 && i < double(positions.count())))
                        fail(name, "has an index beyond its vertices");
                    const auto vertex = static_cast<size_t>(i);
                    Vec3 p{positions.get(vertex, 0), positions.get(vertex, 1),
                           positions.get(vertex, 2)};
                    p = transformPoint(world, p) * scale_;
                    for (int axis = 0; axis < 3; ++axis) checked(p[axis], name, "a vertex");
                    triangle.p[k] = p;
                    if (coordinates) {
                        // glTF counts v from the image's top row, the engine from its bottom.
                        triangle.u[k] = checked(coordinates->get(vertex, 0), name,
                                                "a texture "
                                                "coordinate");
                        triangle.v[k] = 1.0 - checked(coordinates->get(vertex, 1), name,
                                                      "a texture coordinate");
                    }
                }
                out.push_back(triangle);
            }
        }
        return out;
    }

    void addFaces(const tinygltf::Node& node, const std::string& name, const Matrix& world,
                  int sector) {
        for (const Triangle& t : triangles(node, name, world)) {
            SourceFace face;
            face.points.assign(std::begin(t.p), std::end(t.p));
            if (area(face.points) < 1e-9) continue;  // a sliver bounds nothing
            face.material = material(t.material, name);
            if (t.mapped) face.mapping = triangleMapping(t.p, t.u, t.v);
            face.object = name;
            level_.sectors[static_cast<size_t>(sector)].faces.push_back(std::move(face));
        }
    }

    // The outline of a portal's triangles: the edges only one triangle uses, as one loop.
    Points outline(const std::vector<Triangle>& triangles, const std::string& name) const {
        std::vector<Vec3> points;
        auto pointIndex = [&](const Vec3& p) {
            for (size_t i = 0; i < points.size(); ++i)
                if (length(points[i] - p) <= kEpsilon) return static_cast<int>(i);
            points.push_back(p);
            return static_cast<int>(points.size()) - 1;
        };
        std::map<std::pair<int, int>, int> edges;
        for (const Triangle& t : triangles) {
            const int i[3] = {pointIndex(t.p[0]), pointIndex(t.p[1]), pointIndex(t.p[2])};
            if (i[0] == i[1] || i[1] == i[2] || i[0] == i[2]) continue;
            for (int k = 0; k < 3; ++k) ++edges[{i[k], i[(k + 1) % 3]}];
        }
        std::map<int, int> next;
        for (const auto& [edge, count] : edges) {
            const auto reverse = edges.find({edge.second, edge.first});
            const bool inner = reverse != edges.end() && reverse->second > 0;
            if (inner) continue;
            if (count != 1 || next.count(edge.first))
                fail(name, "is not one flat polygon (a portal is a single face)");
            next[edge.first] = edge.second;
        }
        if (next.size() < 3) fail(name, "has no area: a portal is a flat polygon");
        Points loop;
        int at = next.begin()->first;
        for (size_t steps = 0; steps < next.size(); ++steps) {
            loop.push_back(points[static_cast<size_t>(at)]);
            const auto step = next.find(at);
            if (step == next.end()) fail(name, "is not one flat polygon");
            at = step->second;
        }
        if (at != next.begin()->first)
            fail(name, "is not one flat polygon (its outline is more than one loop)");
        return loop;
    }

    void addPortal(const tinygltf::Node& node, const std::string& name, const Matrix& world) {
        const std::vector<Triangle> all = triangles(node, name, world);
        if (all.size() > 64)
            fail(name,
                 "has " + std::to_string(all.size()) + " triangles: a portal is one flat polygon");
        PendingPortal portal;
        portal.object = name;
        const std::string rest = name.substr(std::strlen("portal:"));
        const size_t colon = rest.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size() ||
            rest.find(':', colon + 1) != std::string::npos)
            fail(name, "a portal is named \"portal:FIRST:SECOND\" after the two sectors it joins");
        portal.names[0] = rest.substr(0, colon);
        portal.names[1] = rest.substr(colon + 1);
        portal.polygon = outline(all, name);
        portals_.push_back(std::move(portal));
    }

    int sectorNamed(std::string name) const {
        for (int attempt = 0; attempt < 2; ++attempt) {
            for (size_t s = 0; s < level_.sectors.size(); ++s)
                if (level_.sectors[s].name == name) return static_cast<int>(s);
            name = withoutCopyNumber(name);
        }
        return -1;
    }

    void resolvePortals() {
        for (PendingPortal& pending : portals_) {
            SourcePortal portal;
            int sides[2];
            for (int k = 0; k < 2; ++k) {
                sides[k] = sectorNamed(pending.names[k]);
                if (sides[k] < 0)
                    fail(pending.object, "names sector " + inQuotes(pending.names[k]) +
                                             ", and there is no \"sector:" + pending.names[k] +
                                             "\"");
            }
            if (sides[0] == sides[1]) fail(pending.object, "joins a sector to itself");
            portal.first = sides[0];
            portal.second = sides[1];
            portal.polygon = std::move(pending.polygon);
            Box box;
            for (const Vec3& p : portal.polygon) box.grow(p);
            portal.min = box.min;
            portal.max = box.max;
            portal.path = objectPath(pending.object);
            level_.portals.push_back(std::move(portal));
        }
    }

    // A custom property of the object or, for lights, of the light itself.
    const tinygltf::Value* property(const tinygltf::Node& node, const tinygltf::Value* more,
                                    const char* key) const {
        if (node.extras.IsObject() && node.extras.Has(key)) return &node.extras.Get(key);
        if (more && more->IsObject() && more->Has(key)) return &more->Get(key);
        return nullptr;
    }

    double number(const tinygltf::Value* value, const std::string& name, const char* key,
                  double fallback) const {
        if (!value) return fallback;
        if (!value->IsNumber() || !std::isfinite(value->GetNumberAsDouble()))
            fail(name, std::string("the custom property \"") + key + "\" must be a number");
        return checked(value->GetNumberAsDouble(), name, key);
    }

    bool flag(const tinygltf::Value* value, const std::string& name, const char* key,
              bool fallback) const {
        if (!value) return fallback;
        if (value->IsBool()) return value->Get<bool>();
        if (value->IsNumber()) return value->GetNumberAsDouble() != 0.0;
        fail(name, std::string("the custom property \"") + key + "\" must be true or false");
    }

    void addLight(const tinygltf::Node& node, const tinygltf::Value& extension,
                  const std::string& name, const Matrix& world) {
        const tinygltf::Value* index =
            extension.IsObject() && extension.Has("light") ? &extension.Get("light") : nullptr;
        if (!index || !index->IsInt() || index->GetNumberAsInt() < 0 ||
            static_cast<size_t>(index->GetNumberAsInt()) >= model_.lights.size())
            fail(name, "refers to a light that does not exist");
        const tinygltf::Light& light = model_.lights[static_cast<size_t>(index->GetNumberAsInt())];
        if (light.type != "point")
            fail(name, "is a " + light.type + " light; the engine draws point lights only");
        SourceLight out;
        out.path = objectPath(name);
        out.position = transformPoint(world, {}) * scale_;
        for (int axis = 0; axis < 3; ++axis) checked(out.position[axis], name, "the light");
        const tinygltf::Value* outer = property(node, &light.extras, "outer");
        if (outer) {
            out.outer = number(outer, name, "outer", 0.0) * scale_;
        } else if (light.range > 0.0) {
            out.outer = checked(light.range, name, "the range") * scale_;
        } else {
            fail(name,
                 "has no reach: give the light a Custom Distance (its range) or an "
                 "\"outer\" custom property, in metres");
        }
        out.inner = number(property(node, &light.extras, "inner"), name, "inner", 0.0) * scale_;
        if (!(out.outer > 0.0) || out.outer > kLargest)
            fail(name, "its reach must lie above 0 and within a million units");
        if (out.inner < 0.0 || out.inner >= out.outer)
            fail(name, "\"inner\" must be 0 or more and below its reach");
        for (size_t c = 0; c < 3; ++c) {
            out.colour[c] =
                light.color.size() == 3 ? checked(light.color[c], name, "its colour") : 1.0;
        }
        out.isStatic = flag(property(node, &light.extras, "static"), name, "static", true);
        out.lightSwitch = flag(property(node, &light.extras, "switch"), name, "switch", false);
        out.parameter = number(property(node, &light.extras, "parameter"), name, "parameter", 0.0);
        if (const tinygltf::Value* named = property(node, &light.extras, "name")) {
            if (!named->IsString()) fail(name, "the custom property \"name\" must be text");
            out.name = named->Get<std::string>();
        }
        lights_.emplace_back(name, std::move(out));
    }

    void addCamera(const std::string& name, const Matrix& world) {
        if (level_.camera)
            fail(name,
                 "is a second camera; the level starts from one (" + level_.camera->path + ")");
        SourceCamera camera;
        camera.path = objectPath(name);
        camera.position = transformPoint(world, {}) * scale_;
        for (int axis = 0; axis < 3; ++axis) checked(camera.position[axis], name, "the camera");
        // A glTF camera looks down its -z with +y up; the engine's angles turn that view.
        const Vec3 forward = normalized(transformDirection(world, {0, 0, -1}));
        const Vec3 up = normalized(transformDirection(world, {0, 1, 0}));
        if (length(forward) == 0.0 || length(up) == 0.0) fail(name, "is scaled to nothing");
        const double pitch = -std::asin(std::clamp(forward.y, -1.0, 1.0));
        const double yaw = std::atan2(forward.x, -forward.z);
        const Vec3 levelUp{std::sin(pitch) * std::sin(yaw), std::cos(pitch),
                           -std::sin(pitch) * std::cos(yaw)};
        const Vec3 levelRight{std::cos(yaw), 0.0, std::sin(yaw)};
        const double roll = std::atan2(-dot(up, levelRight), dot(up, levelUp));
        camera.pitch = pitch * kDegrees;
        camera.yaw = yaw * kDegrees;
        camera.roll = roll * kDegrees;
        level_.camera = camera;
    }

    void addMesh(const tinygltf::Node& node, const std::string& name, const Matrix& world) {
        std::string file = name.substr(std::strlen("mesh:"));
        if (withoutCopyNumber(file) != file &&
            std::filesystem::path(withoutCopyNumber(file)).has_extension())
            file = withoutCopyNumber(file);
        if (file.empty()) fail(name, "names no mesh file: \"mesh:FILE\"");
        if (!isStatementWord(file)) fail(name, std::string("its file name ") + kStatementWordRule);
        SourceMesh mesh;
        mesh.file = file;
        mesh.path = objectPath(name);
        mesh.position = transformPoint(world, {}) * scale_;
        for (int axis = 0; axis < 3; ++axis) checked(mesh.position[axis], name, "the mesh");
        // Yaw turns +z towards +x; the node's own +z is the way the mesh faces.
        const Vec3 facing = transformDirection(world, {0, 0, 1});
        mesh.yaw = std::atan2(facing.x, facing.z) * kDegrees;
        const double animation = number(property(node, nullptr, "animation"), name, "animation", 0);
        if (animation < 0 || animation != std::floor(animation) || animation > 65535)
            fail(name, "the custom property \"animation\" must be a whole number, 0 to 65535");
        mesh.animation = static_cast<int>(animation);
        level_.meshes.push_back(std::move(mesh));
    }

    std::string imageFile(int texture, const std::string& material, const char* role) {
        if (texture < 0 || static_cast<size_t>(texture) >= model_.textures.size())
            throw level_.error("material " + inQuotes(material),
                               std::string("its ") + role + " texture does not exist");
        const int source = model_.textures[static_cast<size_t>(texture)].source;
        if (source < 0 || static_cast<size_t>(source) >= model_.images.size())
            throw level_.error("material " + inQuotes(material),
                               std::string("its ") + role + " texture has no image");
        const auto known = imageFiles_.find(source);
        if (known != imageFiles_.end()) return known->second;
        const tinygltf::Image& image = model_.images[static_cast<size_t>(source)];
        std::string label = image.name;
        if (label.empty() && !image.uri.empty() && !startsWith(image.uri, "data:"))
            label = std::filesystem::path(image.uri).stem().string();
        if (label.empty()) label = "image" + std::to_string(source);
        const std::string shown = image.uri.empty() || startsWith(image.uri, "data:")
                                      ? inQuotes(label)
                                      : inQuotes(image.uri);
        LevelImage out;
        out.name = options_.texturePrefix + fileSafe(label) + ".tga";
        for (const LevelImage& other : out_.images)
            if (other.name == out.name)
                out.name = options_.texturePrefix + fileSafe(label) + "_" + std::to_string(source) +
                           ".tga";
        if (decoding_.decode) {
            const auto failure = decoding_.failures.find(source);
            if (failure != decoding_.failures.end())
                throw level_.error("material " + inQuotes(material),
                                   std::string("its ") + role + " image " + shown +
                                       " cannot be read: " + failure->second);
            if (image.image.empty() || image.width <= 0 || image.height <= 0)
                throw level_.error("material " + inQuotes(material),
                                   std::string("its ") + role + " image " + shown +
                                       " cannot be read (is the file beside the level?)");
            if (image.width > 8192 || image.height > 8192)
                throw level_.error("material " + inQuotes(material),
                                   std::string("its ") + role + " image " + shown +
                                       " is larger than 8192 pixels across");
            convert(image, out);
        }
        imageFiles_[source] = out.name;
        out_.images.push_back(std::move(out));
        return out_.images.back().name;
    }

    // An 8 x 8 image of one colour, given as glTF gives colours (linear) and stored as
    // images are (sRGB).
    std::string plainImage(const std::string& label, const Vec3& linear) {
        LevelImage out;
        out.name = options_.texturePrefix + fileSafe(label) + ".tga";
        for (const LevelImage& other : out_.images)
            if (other.name == out.name)
                out.name = options_.texturePrefix + fileSafe(label) + "_" +
                           std::to_string(out_.images.size()) + ".tga";
        out.width = out.height = 8;
        out.channels = 3;
        uint8_t rgb[3];
        for (int c = 0; c < 3; ++c) {
            const double x = std::clamp(std::isfinite(linear[c]) ? linear[c] : 1.0, 0.0, 1.0);
            const double srgb = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
            rgb[c] = static_cast<uint8_t>(std::lround(srgb * 255.0));
        }
        for (int i = 0; i < out.width * out.height; ++i)
            out.pixels.insert(out.pixels.end(), rgb, rgb + 3);
        out_.images.push_back(std::move(out));
        return out_.images.back().name;
    }

    // tinygltf gives RGBA at 8 or 16 bits; an image without transparency keeps 3 channels.
    static void convert(const tinygltf::Image& image, LevelImage& out) {
        const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
        const size_t channels = static_cast<size_t>(std::max(image.component, 1));
        const size_t bytes = image.bits == 16 ? 2 : 1;
        if (image.image.size() < pixels * channels * bytes) return;
        auto at = [&](size_t i, size_t c) -> uint8_t {
            if (c >= channels) return c == 3 ? 255 : image.image[i * channels * bytes];
            const size_t offset = (i * channels + c) * bytes;
            return image.image[offset + bytes - 1];  // a 16-bit channel's high byte
        };
        bool opaque = true;
        for (size_t i = 0; i < pixels && opaque; ++i) opaque = at(i, 3) == 255;
        out.width = image.width;
        out.height = image.height;
        out.channels = opaque ? 3 : 4;
        out.pixels.reserve(pixels * static_cast<size_t>(out.channels));
        for (size_t i = 0; i < pixels; ++i)
            for (size_t c = 0; c < static_cast<size_t>(out.channels); ++c)
                out.pixels.push_back(at(i, c));
    }

    int material(int index, const std::string& object) {
        const auto known = materials_.find(index);
        if (known != materials_.end()) return known->second;
        SourceMaterial m;
        if (index < 0) {
            m.name = "(no material)";
            m.textures.push_back(plainImage("white", {1.0, 1.0, 1.0}));
        } else if (static_cast<size_t>(index) >= model_.materials.size()) {
            fail(object, "refers to a material that does not exist");
        } else {
            const tinygltf::Material& source = model_.materials[static_cast<size_t>(index)];
            m.name = source.name.empty() ? "material " + std::to_string(index) : source.name;
            m.path = "material " + inQuotes(m.name);
            const int base = source.pbrMetallicRoughness.baseColorTexture.index;
            const int normal = source.normalTexture.index;
            // A normal map needs a colour to modulate; without one the face is lit flat.
            if (base >= 0) {
                m.textures.push_back(imageFile(base, m.name, "base colour"));
                if (normal >= 0) {
                    m.textures.push_back(imageFile(normal, m.name, "normal"));
                    m.technique = "static_bump.rt";
                }
            } else {
                // The techniques draw texture 0: a surface without an image gets one of
                // its base colour.
                const std::vector<double>& factor = source.pbrMetallicRoughness.baseColorFactor;
                m.textures.push_back(plainImage(m.name, factor.size() >= 3
                                                            ? Vec3{factor[0], factor[1], factor[2]}
                                                            : Vec3{1.0, 1.0, 1.0}));
            }
            if (source.extras.IsObject() && source.extras.Has("technique")) {
                const tinygltf::Value& technique = source.extras.Get("technique");
                if (!technique.IsString() || technique.Get<std::string>().empty())
                    throw level_.error(m.path,
                                       "the custom property \"technique\" must name a "
                                       "technique script");
                m.technique = technique.Get<std::string>();
            }
        }
        level_.materials.push_back(std::move(m));
        const int added = static_cast<int>(level_.materials.size()) - 1;
        materials_[index] = added;
        return added;
    }

    const tinygltf::Model& model_;
    const ImageDecoding& decoding_;
    const GltfOptions& options_;
    GltfLevel& out_;
    LevelSource& level_;
    double scale_ = kDefaultGltfScale;
    std::vector<PendingPortal> portals_;
    std::vector<std::pair<std::string, SourceLight>> lights_;
    std::map<int, int> materials_;
    std::map<int, std::string> imageFiles_;
};

}  // namespace

GltfLevel parseGltfLevel(const std::string& bytes, const std::string& file,
                         const std::string& folder, const GltfOptions& options) {
    GltfLevel out;
    out.source.file = file;
    tinygltf::TinyGLTF loader;
    ImageDecoding decoding;
    decoding.decode = options.decodeImages;
    loader.SetImageLoader(loadImage, &decoding);
    tinygltf::Model model;
    std::string error, warning;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const bool binary = bytes.size() >= 4 && bytes.compare(0, 4, "glTF") == 0;
    if (!binary && bytes.find_first_not_of(" \t\r\n") != std::string::npos &&
        bytes[bytes.find_first_not_of(" \t\r\n")] != '{')
        throw out.source.error("", "not a glTF file (neither glTF JSON nor a .glb)");
    const bool loaded =
        binary ? loader.LoadBinaryFromMemory(&model, &error, &warning, data,
                                             static_cast<unsigned int>(bytes.size()), folder)
               : loader.LoadASCIIFromString(&model, &error, &warning, bytes.data(),
                                            static_cast<unsigned int>(bytes.size()), folder);
    if (!loaded) {
        std::string why = error.empty() ? "it cannot be read" : error;
        while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
        std::replace(why.begin(), why.end(), '\n', ' ');
        throw out.source.error("", "not a readable glTF file: " + why);
    }
    Reader(model, decoding, options, out).read();
    return out;
}

GltfLevel loadGltfLevel(const std::string& fileName, const GltfOptions& options) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw LevelError(fileName, 0, "", "cannot be opened");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::filesystem::path folder = std::filesystem::path(fileName).parent_path();
    return parseGltfLevel(bytes.str(), fileName, folder.empty() ? "." : folder.string(), options);
}

}  // namespace arvel::level
