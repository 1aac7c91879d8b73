// glTF level sources read into level sources: Blender's conventions (named sectors,
// portals and mesh places, lights with their custom properties, a camera) in engine
// units, and broken files refused with the object and the fault named.
#ifdef ARVEL_HAVE_GLTF
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "level/GltfLevel.h"
#include "shared/TempDir.h"

namespace arvel::level {
namespace {

using nlohmann::json;

std::string base64(const std::vector<float>& values) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* bytes = reinterpret_cast<const unsigned char*>(values.data());
    const size_t size = values.size() * sizeof(float);
    std::string out;
    for (size_t i = 0; i < size; i += 3) {
        const unsigned n = (bytes[i] << 16) | ((i + 1 < size ? bytes[i + 1] : 0) << 8) |
                           (i + 2 < size ? bytes[i + 2] : 0);
        out += digits[(n >> 18) & 63];
        out += digits[(n >> 12) & 63];
        out += i + 1 < size ? digits[(n >> 6) & 63] : '=';
        out += i + 2 < size ? digits[n & 63] : '=';
    }
    return out;
}

// A room's floor as two triangles with texture coordinates, a portal quad, a light, a
// camera and a mesh place, at a scale of 10 units per metre. Nodes: 0 floor, 1 sector
// "room", 2 sector "next", 3 portal, 4 lamp, 5 camera, 6 mesh place.
json document() {
    const std::vector<float> data{
        // floor positions (y = 0, seen from above: counter-clockwise), then their uvs
        0, 0, 0, 0, 0, -2, 2, 0, -2, 0, 0, 0, 2, 0, -2, 2, 0, 0,  //
        0, 0, 0, 1, 1, 1, 0, 0, 1, 1, 1, 0,                       //
        // a portal quad at x = 2 as two triangles
        2, 0, 0, 2, 0, -1, 2, 1, -1, 2, 0, 0, 2, 1, -1, 2, 1, 0};
    const std::string uri = "data:application/octet-stream;base64," + base64(data);
    return json::parse(R"({
      "asset": {"version": "2.0"}, "scene": 0,
      "scenes": [{"nodes": [1, 2, 3, 4, 5, 6], "extras": {"scale": 10}}],
      "nodes": [
        {"name": "floor", "mesh": 0},
        {"name": "sector:room", "children": [0]},
        {"name": "sector:next"},
        {"name": "portal:room:next.001", "mesh": 1},
        {"name": "lamp", "translation": [1, 2, -1], "extras": {"inner": 0.5, "static": false},
         "extensions": {"KHR_lights_punctual": {"light": 0}}},
        {"name": "start", "camera": 0, "translation": [1, 1.5, -1],
         "rotation": [0, -0.7071068, 0, 0.7071068]},
        {"name": "mesh:test.msh.001", "translation": [1, 0, -1],
         "rotation": [0, 0.7071068, 0, 0.7071068], "extras": {"animation": 2}}],
      "cameras": [{"type": "perspective", "perspective": {"yfov": 1, "znear": 0.1}}],
      "extensions": {"KHR_lights_punctual": {"lights": [
        {"type": "point", "color": [1.5, 1.25, 1], "range": 6}]}},
      "meshes": [{"primitives": [{"attributes": {"POSITION": 0, "TEXCOORD_0": 1}}]},
                 {"primitives": [{"attributes": {"POSITION": 2}}]}],
      "accessors": [
        {"bufferView": 0, "componentType": 5126, "count": 6, "type": "VEC3"},
        {"bufferView": 0, "byteOffset": 72, "componentType": 5126, "count": 6, "type": "VEC2"},
        {"bufferView": 0, "byteOffset": 120, "componentType": 5126, "count": 6, "type": "VEC3"}],
      "bufferViews": [{"buffer": 0, "byteLength": 192}],
      "buffers": [{"byteLength": 192}]
    })")
        .patch(
            json::parse(R"([{"op": "add", "path": "/buffers/0/uri", "value": ")" + uri + R"("}])"));
}

GltfLevel read(const json& doc, const std::string& folder = ".") {
    return parseGltfLevel(doc.dump(), "level.gltf", folder);
}

TEST(GltfLevelTest, ReadsBlendersConventionsInEngineUnits) {
    const GltfLevel level = read(document());
    const LevelSource& source = level.source;
    EXPECT_EQ(level.scale, 10.0);
    ASSERT_EQ(source.sectors.size(), 2u);
    EXPECT_EQ(source.sectors[0].name, "room");
    ASSERT_EQ(source.sectors[0].faces.size(), 2u);
    const SourceFace& face = source.sectors[0].faces[0];
    EXPECT_EQ(face.object, "floor");
    EXPECT_EQ(face.points[1].z, -20.0);
    // The corner at uv (1, 1) maps to u 1 and v 0: glTF counts v from the image's top.
    ASSERT_TRUE(face.mapping);
    EXPECT_NEAR(dot(face.mapping->uGradient, face.points[2]) + face.mapping->uOffset, 1.0, 1e-9);
    EXPECT_NEAR(dot(face.mapping->vGradient, face.points[2]) + face.mapping->vOffset, 0.0, 1e-9);
    // The copy number Blender gave the portal does not hide the sector it names.
    ASSERT_EQ(source.portals.size(), 1u);
    EXPECT_EQ(source.portals[0].first, 0);
    EXPECT_EQ(source.portals[0].second, 1);
    EXPECT_EQ(source.portals[0].polygon.size(), 4u);
    ASSERT_EQ(source.lights.size(), 1u);
    const SourceLight& light = source.lights[0];
    EXPECT_EQ(light.position.y, 20.0);
    EXPECT_EQ(light.outer, 60.0);
    EXPECT_EQ(light.inner, 5.0);
    EXPECT_FALSE(light.isStatic);
    EXPECT_EQ(light.colour[0], 1.5);  // brighter than 1 stays so
    // Turned 90 degrees to the right about +y: the camera looks down +x.
    ASSERT_TRUE(source.camera);
    EXPECT_NEAR(source.camera->yaw, 90.0, 1e-4);
    EXPECT_NEAR(source.camera->pitch, 0.0, 1e-4);
    EXPECT_NEAR(source.camera->roll, 0.0, 1e-4);
    // An empty named "camera" does as well as a camera; two are one too many.
    json empty = document();
    empty["nodes"][5].erase("camera");
    empty["nodes"][5]["name"] = "camera";
    EXPECT_NEAR(read(empty).source.camera->yaw, 90.0, 1e-4);
    empty["nodes"].push_back({{"name", "camera.001"}});
    empty["scenes"][0]["nodes"].push_back(7);
    EXPECT_THROW(read(empty), LevelError);
    ASSERT_EQ(source.meshes.size(), 1u);
    EXPECT_EQ(source.meshes[0].file, "test.msh");
    EXPECT_NEAR(source.meshes[0].yaw, 90.0, 1e-4);
    EXPECT_EQ(source.meshes[0].animation, 2);
    // The command line's scale wins over the file's.
    GltfOptions options;
    options.scale = 1.0;
    EXPECT_EQ(parseGltfLevel(document().dump(), "level.gltf", ".", options).source.lights[0].outer,
              6.0);
}

TEST(GltfLevelTest, BrokenFilesNameTheObjectAndTheFault) {
    struct Case {
        const char* name;
        std::function<void(json&)> breakIt;
        const char* expected;
    };
    const Case cases[] = {
        {"NotGltf", [](json& d) { d = "a level"; }, "not a glTF file"},
        {"MissingBuffer", [](json& d) { d["buffers"][0]["uri"] = "level.bin"; }, "level.bin"},
        {"ShortBuffer", [](json& d) { d["accessors"][0]["count"] = 60; },
         "object \"floor\": has data beyond the end of its buffer"},
        {"MeshInNoSector", [](json& d) { d["scenes"][0]["nodes"].push_back(0); },
         "object \"floor\": belongs to no sector"},
        {"SpotLight",
         [](json& d) {
             d["extensions"]["KHR_lights_punctual"]["lights"][0]["type"] = "spot";
             d["extensions"]["KHR_lights_punctual"]["lights"][0]["spot"] = json::object();
         },
         "object \"lamp\": is a spot light"},
        {"LightWithoutReach",
         [](json& d) { d["extensions"]["KHR_lights_punctual"]["lights"][0].erase("range"); },
         "object \"lamp\": has no reach"},
        {"PortalNamingOneSector", [](json& d) { d["nodes"][3]["name"] = "portal:room"; },
         "portal:FIRST:SECOND"},
        {"PortalToNowhere", [](json& d) { d["nodes"][3]["name"] = "portal:room:nowhere"; },
         "names sector \"nowhere\""},
        {"NestedSector", [](json& d) { d["nodes"][1]["children"].push_back(2); },
         "object \"sector:next\": lies inside sector \"room\""},
        {"UnreadableImage",
         [](json& d) {
             d["images"] = json::array({{{"uri", "bricks.png"}}});
             d["textures"] = json::array({{{"source", 0}}});
             d["materials"] =
                 json::array({{{"name", "brick"},
                               {"pbrMetallicRoughness", {{"baseColorTexture", {{"index", 0}}}}}}});
             d["meshes"][0]["primitives"][0]["material"] = 0;
         },
         "material \"brick\": its base colour image \"bricks.png\" cannot be read"},
    };
    test::TempDir folder;
    for (const Case& c : cases) {
        json doc = document();
        c.breakIt(doc);
        try {
            read(doc, folder.path().string());
            ADD_FAILURE() << c.name << ": read without complaint";
        } catch (const LevelError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind("level.gltf: ", 0), 0u) << c.name << ": " << message;
            EXPECT_NE(message.find(c.expected), std::string::npos) << c.name << ": " << message;
        }
    }
}

}  // namespace
}  // namespace arvel::level
#endif
