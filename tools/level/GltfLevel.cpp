#include "level/GltfLevel.h"

#include "level/GltfAccessor.h"
#include "level/GltfMaterials.h"
#include "level/NodeTransform.h"

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

std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

constexpr double kDegrees = 57.29577951308232;
// Coordinates, sizes and colours stay within the range the JSON reader allows.
constexpr double kLargest = 1e6;
// A glTF node tree deeper than this is a broken (or hostile) file, not a level.
constexpr int kDeepestNode = 64;

// Blender names a copy "name.001"; the name without that ending.
std::string withoutCopyNumber(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4) return name;
    for (size_t i = dot + 1; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return name;
    return name.substr(0, dot);
}

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
        : model_(model),
          options_(options),
          out_(out),
          level_(out.source),
          materials_(model, decoding, options.texturePrefix, out.source, out.images) {}

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
        throw level_.error(gltfObject(object), what);
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
        // A camera object, or an empty named "camera" looking along its (Blender) Y axis.
        if (node.camera >= 0 || (node.mesh < 0 && withoutCopyNumber(name) == "camera"))
            addCamera(name, world);
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
        sector.path = gltfObject(name);
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
            const GltfAccessor positions(model_, position->second, name, level_);
            if (positions.components() != 3) fail(name, "has positions that are not 3D");
            std::optional<GltfAccessor> coordinates;
            const auto uv = primitive.attributes.find("TEXCOORD_0");
            if (uv != primitive.attributes.end()) {
                coordinates.emplace(model_, uv->second, name, level_);
                if (coordinates->components() != 2 || coordinates->count() != positions.count())
                    fail(name, "has texture coordinates that do not match its positions");
            }
            std::optional<GltfAccessor> indices;
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
            face.material = materials_.material(t.material, name);
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
            portal.path = gltfObject(pending.object);
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
        out.path = gltfObject(name);
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
        camera.path = gltfObject(name);
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
        mesh.path = gltfObject(name);
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

    const tinygltf::Model& model_;
    const GltfOptions& options_;
    GltfLevel& out_;
    LevelSource& level_;
    double scale_ = kDefaultGltfScale;
    std::vector<PendingPortal> portals_;
    std::vector<std::pair<std::string, SourceLight>> lights_;
    GltfMaterials materials_;
};

}  // namespace

GltfLevel parseGltfLevel(const std::string& bytes, const std::string& file,
                         const std::string& folder, const GltfOptions& options) {
    GltfLevel out;
    out.source.file = file;
    tinygltf::TinyGLTF loader;
    ImageDecoding decoding;
    decoding.decode = options.decodeImages;
    loader.SetImageLoader(decodeImage, &decoding);
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
