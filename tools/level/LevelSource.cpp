#include "level/LevelSource.h"

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <sstream>

#include "level/JsonLocator.h"

namespace arvel::level {

using nlohmann::json;

LevelError::LevelError(const std::string& file, int line, const std::string& path,
                       const std::string& what)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " +
                         (path.empty() ? "" : path + ": ") + what),
      line_(line),
      path_(path) {}

bool isStatementWord(const std::string& word) {
    for (const char c : word) {
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '"' || c == '#' || c == ';' ||
            c == '=')
            return false;
    }
    return !word.empty();
}

LevelError LevelSource::error(const std::string& path, const std::string& what) const {
    return LevelError(file, text.empty() ? 0 : lineOfPointer(text, path), path, what);
}

namespace {

std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }

// Reads the JSON document into a LevelSource, checking every field on the way.
class Reader {
public:
    explicit Reader(LevelSource& level) : level_(level) {}

    void read(const json& root) {
        if (!root.is_object()) throw level_.error("", "expected an object");
        allowOnly(root, "", {"materials", "sectors", "portals", "lights", "meshes", "camera"});
        readMaterials(member(root, "", "materials"), "/materials");
        readSectors(member(root, "", "sectors"), "/sectors");
        if (root.contains("portals")) readPortals(root["portals"], "/portals");
        if (root.contains("lights")) readLights(root["lights"], "/lights");
        if (root.contains("meshes")) readMeshes(root["meshes"], "/meshes");
        if (root.contains("camera")) readCamera(root["camera"], "/camera");
    }

private:
    [[noreturn]] void fail(const std::string& path, const std::string& what) const {
        throw level_.error(path, what);
    }

    void allowOnly(const json& object, const std::string& path,
                   std::initializer_list<const char*> names) const {
        for (const auto& item : object.items()) {
            bool known = false;
            for (const char* name : names) known |= item.key() == name;
            if (!known) fail(path + "/" + item.key(), "unknown field " + inQuotes(item.key()));
        }
    }

    const json& member(const json& object, const std::string& path, const char* name) const {
        if (!object.is_object()) fail(path, "expected an object");
        if (!object.contains(name)) fail(path, "missing field " + inQuotes(name));
        return object[name];
    }

    const json& list(const json& value, const std::string& path) const {
        if (!value.is_array()) fail(path, "expected an array");
        return value;
    }

    // Every number of a level is a coordinate, a size or a colour; a bound keeps the
    // geometry's arithmetic (and its integer grid of welded corners) in range.
    double number(const json& value, const std::string& path) const {
        if (!value.is_number()) fail(path, "expected a number");
        const double n = value.get<double>();
        if (!(std::abs(n) <= 1e6)) fail(path, "must lie between -1000000 and 1000000");
        return n;
    }

    double positive(const json& value, const std::string& path) const {
        const double n = number(value, path);
        if (!(n > 0.0)) fail(path, "must be above 0");
        return n;
    }

    int integer(const json& value, const std::string& path, int low, int high) const {
        if (!value.is_number_integer()) fail(path, "expected a whole number");
        const auto n = value.get<int64_t>();
        if (n < low || n > high) {
            fail(path, "must be " + std::to_string(low) + " to " + std::to_string(high));
        }
        return static_cast<int>(n);
    }

    std::string text(const json& value, const std::string& path) const {
        if (!value.is_string()) fail(path, "expected a string");
        return value.get<std::string>();
    }

    bool flag(const json& value, const std::string& path) const {
        if (!value.is_boolean()) fail(path, "expected true or false");
        return value.get<bool>();
    }

    Vec3 vec3(const json& value, const std::string& path) const {
        if (!value.is_array() || value.size() != 3) fail(path, "expected an array of 3 numbers");
        Vec3 v;
        for (int i = 0; i < 3; ++i) v[i] = number(value[i], path + "/" + std::to_string(i));
        return v;
    }

    int materialIndex(const json& value, const std::string& path) const {
        const std::string name = text(value, path);
        for (size_t i = 0; i < level_.materials.size(); ++i) {
            if (level_.materials[i].name == name) return static_cast<int>(i);
        }
        fail(path, "unknown material " + inQuotes(name));
    }

    int sectorIndex(const json& value, const std::string& path) const {
        const std::string name = text(value, path);
        for (size_t i = 0; i < level_.sectors.size(); ++i) {
            if (level_.sectors[i].name == name) return static_cast<int>(i);
        }
        fail(path, "unknown sector " + inQuotes(name));
    }

    // Brushes and props are solid boxes: min lies below max on every axis.
    void checkBox(const Vec3& min, const Vec3& max, const std::string& path) const {
        for (int axis = 0; axis < 3; ++axis) {
            if (!(min[axis] < max[axis])) {
                fail(path + "/max", "must lie above min on every axis");
            }
        }
    }

    void readMaterials(const json& value, const std::string& path) {
        if (!value.is_object() || value.empty()) {
            fail(path, "expected an object of named materials");
        }
        for (const auto& item : value.items()) {
            const std::string at = path + "/" + item.key();
            const json& m = item.value();
            if (!m.is_object()) fail(at, "expected an object");
            allowOnly(m, at, {"technique", "textures", "scale", "flags", "opacity"});
            SourceMaterial material;
            material.name = item.key();
            material.path = at;
            if (m.contains("technique"))
                material.technique = text(m["technique"], at + "/technique");
            if (m.contains("textures")) {
                const json& textures = list(m["textures"], at + "/textures");
                for (size_t i = 0; i < textures.size(); ++i) {
                    material.textures.push_back(
                        text(textures[i], at + "/textures/" + std::to_string(i)));
                }
            }
            if (m.contains("scale")) material.scale = positive(m["scale"], at + "/scale");
            if (m.contains("flags")) {
                material.flags = static_cast<uint8_t>(integer(m["flags"], at + "/flags", 0, 3));
            }
            if (m.contains("opacity")) {
                material.opacity =
                    static_cast<uint8_t>(integer(m["opacity"], at + "/opacity", 0, 255));
            }
            level_.materials.push_back(material);
        }
    }

    void readSectors(const json& value, const std::string& path) {
        list(value, path);
        if (value.empty()) fail(path, "a level needs at least one sector");
        // Names first, so that every later reference can be checked.
        for (size_t i = 0; i < value.size(); ++i) {
            const std::string at = path + "/" + std::to_string(i);
            SourceSector sector;
            sector.path = at;
            sector.name = text(member(value[i], at, "name"), at + "/name");
            for (const SourceSector& other : level_.sectors) {
                if (other.name == sector.name)
                    fail(at + "/name", "a second sector " + inQuotes(sector.name));
            }
            level_.sectors.push_back(sector);
        }
        for (size_t i = 0; i < value.size(); ++i) readSector(value[i], level_.sectors[i]);
    }

    void readSector(const json& s, SourceSector& sector) {
        const std::string& at = sector.path;
        allowOnly(s, at, {"name", "brushes", "props"});
        const json& brushes = list(member(s, at, "brushes"), at + "/brushes");
        for (size_t i = 0; i < brushes.size(); ++i) {
            sector.brushes.push_back(readBrush(brushes[i], at + "/brushes/" + std::to_string(i)));
        }
        bool hasRoom = false;
        for (const SourceBrush& brush : sector.brushes) hasRoom |= brush.kind == BrushKind::kRoom;
        if (!hasRoom) fail(at + "/brushes", "a sector needs at least one room");
        if (s.contains("props")) {
            const json& props = list(s["props"], at + "/props");
            for (size_t i = 0; i < props.size(); ++i) {
                sector.props.push_back(readProp(props[i], at + "/props/" + std::to_string(i)));
            }
        }
    }

    SourceBrush readBrush(const json& b, const std::string& at) const {
        SourceBrush brush;
        brush.path = at;
        const std::string type = text(member(b, at, "type"), at + "/type");
        if (type == "room") {
            brush.kind = BrushKind::kRoom;
            allowOnly(b, at, {"type", "min", "max", "material", "floor", "ceiling"});
        } else if (type == "block") {
            brush.kind = BrushKind::kBlock;
            allowOnly(b, at, {"type", "min", "max", "material"});
        } else if (type == "stairs") {
            brush.kind = BrushKind::kStairs;
            allowOnly(b, at, {"type", "min", "max", "material", "steps", "rise"});
        } else {
            fail(at + "/type", "expected \"room\", \"block\" or \"stairs\", not " + inQuotes(type));
        }
        brush.min = vec3(member(b, at, "min"), at + "/min");
        brush.max = vec3(member(b, at, "max"), at + "/max");
        checkBox(brush.min, brush.max, at);
        brush.material = materialIndex(member(b, at, "material"), at + "/material");
        if (b.contains("floor")) brush.floorMaterial = materialIndex(b["floor"], at + "/floor");
        if (b.contains("ceiling")) {
            brush.ceilingMaterial = materialIndex(b["ceiling"], at + "/ceiling");
        }
        if (brush.kind == BrushKind::kStairs) {
            brush.steps = integer(member(b, at, "steps"), at + "/steps", 1, 256);
            const std::string rise = text(member(b, at, "rise"), at + "/rise");
            if (rise != "+x" && rise != "-x" && rise != "+z" && rise != "-z") {
                fail(at + "/rise",
                     "expected \"+x\", \"-x\", \"+z\" or \"-z\", not " + inQuotes(rise));
            }
            brush.riseAxis = rise[1] == 'x' ? 0 : 2;
            brush.riseTowardsMax = rise[0] == '+';
        }
        return brush;
    }

    SourceProp readProp(const json& p, const std::string& at) const {
        SourceProp prop;
        prop.path = at;
        const std::string model = text(member(p, at, "model"), at + "/model");
        if (model == "box") {
            prop.model = PropModel::kBox;
            allowOnly(p, at, {"model", "position", "size", "yaw", "material"});
            prop.size = vec3(member(p, at, "size"), at + "/size");
            for (int axis = 0; axis < 3; ++axis) {
                if (!(prop.size[axis] > 0.0)) fail(at + "/size", "every side must be above 0");
            }
        } else if (model == "pillar") {
            prop.model = PropModel::kPillar;
            allowOnly(p, at, {"model", "position", "radius", "height", "sides", "yaw", "material"});
            prop.radius = positive(member(p, at, "radius"), at + "/radius");
            prop.height = positive(member(p, at, "height"), at + "/height");
            if (p.contains("sides")) prop.sides = integer(p["sides"], at + "/sides", 3, 64);
        } else if (model == "file") {
            prop.model = PropModel::kFile;
            allowOnly(p, at, {"model", "position", "file", "scale", "yaw", "material"});
            prop.file = text(member(p, at, "file"), at + "/file");
            if (p.contains("scale")) prop.scale = positive(p["scale"], at + "/scale");
        } else {
            fail(at + "/model", "expected \"box\", \"pillar\" or \"file\", not " + inQuotes(model));
        }
        prop.position = vec3(member(p, at, "position"), at + "/position");
        if (p.contains("yaw")) prop.yaw = number(p["yaw"], at + "/yaw");
        prop.material = materialIndex(member(p, at, "material"), at + "/material");
        return prop;
    }

    void readPortals(const json& value, const std::string& path) {
        list(value, path);
        for (size_t i = 0; i < value.size(); ++i) {
            const std::string at = path + "/" + std::to_string(i);
            const json& p = value[i];
            if (!p.is_object()) fail(at, "expected an object");
            allowOnly(p, at, {"sectors", "min", "max"});
            const json& pair = member(p, at, "sectors");
            if (!pair.is_array() || pair.size() != 2) {
                fail(at + "/sectors", "expected the names of two sectors");
            }
            SourcePortal portal;
            portal.path = at;
            portal.first = sectorIndex(pair[0], at + "/sectors/0");
            portal.second = sectorIndex(pair[1], at + "/sectors/1");
            if (portal.first == portal.second) fail(at + "/sectors", "joins a sector to itself");
            portal.min = vec3(member(p, at, "min"), at + "/min");
            portal.max = vec3(member(p, at, "max"), at + "/max");
            int flat = 0;
            for (int axis = 0; axis < 3; ++axis) {
                if (portal.min[axis] == portal.max[axis]) {
                    ++flat;
                } else if (!(portal.min[axis] < portal.max[axis])) {
                    fail(at + "/max", "must lie above min on the rectangle's two axes");
                }
            }
            if (flat != 1) {
                fail(at + "/max",
                     "min and max must agree on exactly one axis (the portal's plane)");
            }
            level_.portals.push_back(portal);
        }
    }

    void readLights(const json& value, const std::string& path) {
        list(value, path);
        for (size_t i = 0; i < value.size(); ++i) {
            const std::string at = path + "/" + std::to_string(i);
            const json& l = value[i];
            if (!l.is_object()) fail(at, "expected an object");
            allowOnly(
                l, at,
                {"position", "inner", "outer", "colour", "static", "name", "switch", "parameter"});
            SourceLight light;
            light.path = at;
            light.position = vec3(member(l, at, "position"), at + "/position");
            light.inner = number(member(l, at, "inner"), at + "/inner");
            light.outer = positive(member(l, at, "outer"), at + "/outer");
            if (light.inner < 0.0 || light.inner >= light.outer) {
                fail(at + "/inner", "must be 0 or more and below outer");
            }
            const Vec3 colour = vec3(member(l, at, "colour"), at + "/colour");
            for (int c = 0; c < 3; ++c) light.colour[c] = colour[c];
            light.isStatic = flag(member(l, at, "static"), at + "/static");
            if (l.contains("name")) light.name = text(l["name"], at + "/name");
            if (l.contains("switch")) light.lightSwitch = flag(l["switch"], at + "/switch");
            if (l.contains("parameter"))
                light.parameter = number(l["parameter"], at + "/parameter");
            level_.lights.push_back(light);
        }
    }

    std::string statementWord(const json& value, const std::string& path) const {
        const std::string word = text(value, path);
        if (word.empty()) fail(path, "must not be empty");
        if (!isStatementWord(word)) fail(path, kStatementWordRule);
        return word;
    }

    void readMeshes(const json& value, const std::string& path) {
        list(value, path);
        for (size_t i = 0; i < value.size(); ++i) {
            const std::string at = path + "/" + std::to_string(i);
            const json& m = value[i];
            if (!m.is_object()) fail(at, "expected an object");
            allowOnly(m, at, {"file", "position", "yaw", "animation"});
            SourceMesh mesh;
            mesh.path = at;
            mesh.file = statementWord(member(m, at, "file"), at + "/file");
            mesh.position = vec3(member(m, at, "position"), at + "/position");
            if (m.contains("yaw")) mesh.yaw = number(m["yaw"], at + "/yaw");
            if (m.contains("animation"))
                mesh.animation = integer(m["animation"], at + "/animation", 0, 65535);
            level_.meshes.push_back(mesh);
        }
    }

    void readCamera(const json& c, const std::string& at) {
        if (!c.is_object()) fail(at, "expected an object");
        allowOnly(c, at, {"position", "pitch", "yaw", "roll"});
        SourceCamera camera;
        camera.path = at;
        camera.position = vec3(member(c, at, "position"), at + "/position");
        if (c.contains("pitch")) camera.pitch = number(c["pitch"], at + "/pitch");
        if (c.contains("yaw")) camera.yaw = number(c["yaw"], at + "/yaw");
        if (c.contains("roll")) camera.roll = number(c["roll"], at + "/roll");
        level_.camera = camera;
    }

    LevelSource& level_;
};

// "[json.exception.parse_error.101] parse error at line 3, column 5: what" -> "what".
std::string parseMessage(const json::parse_error& e) {
    std::string message = e.what();
    const size_t colon = message.find(": ");
    return colon == std::string::npos ? message : message.substr(colon + 2);
}

// "[json.exception.out_of_range.406] number overflow parsing '1e999'" -> the rest.
std::string outOfRangeMessage(const json::out_of_range& e) {
    std::string message = e.what();
    const size_t bracket = message.find("] ");
    return bracket == std::string::npos ? message : message.substr(bracket + 2);
}

// The line of the first appearance of the number quoted in message, or 1.
int lineOfNumber(const std::string& text, const std::string& message) {
    const size_t open = message.find('\'');
    const size_t close = message.rfind('\'');
    if (open == std::string::npos || close <= open + 1) return 1;
    const size_t at = text.find(message.substr(open + 1, close - open - 1));
    return lineOfOffset(text, at == std::string::npos ? 0 : at);
}

}  // namespace

LevelSource parseLevel(const std::string& text, const std::string& file) {
    LevelSource level;
    level.file = file;
    level.text = text;
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error& e) {
        // The byte is one past the offending character.
        const size_t at = e.byte > 0 ? e.byte - 1 : 0;
        throw LevelError(file, lineOfOffset(text, at), "", "syntax error: " + parseMessage(e));
    } catch (const json::out_of_range& e) {
        // A number beyond a double ("1e999") is refused while parsing, without a place.
        throw LevelError(file, lineOfNumber(text, e.what()), "",
                         "syntax error: " + outOfRangeMessage(e));
    }
    Reader(level).read(root);
    return level;
}

LevelSource loadLevel(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw LevelError(fileName, 0, "", "cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return parseLevel(text.str(), fileName);
}

}  // namespace arvel::level
