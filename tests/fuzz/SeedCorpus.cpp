// Writes the starting corpus of every fuzz target into <folder>/<target>/, made with the
// project's own writers and data files, so that no binary seed is kept in the tree.
// Usage: arvel-fuzz-seeds <folder>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "FpfWriter.h"
#include "MshWriter.h"
#include "OtmWriter.h"
#include "TgaWriter.h"
#include "ZipWriter.h"

using namespace arvel;
using namespace arvel::content;
namespace fs = std::filesystem;

namespace {

fs::path gRoot;

void seed(const char* target, const std::string& name, const std::string& bytes) {
    const fs::path folder = gRoot / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + (folder / name).string());
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small picture whose every pixel differs, so that row order and channel order show.
Image gradient(int width, int height, int channels) {
    Image image(width, height, channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                image.at(x, y)[c] = static_cast<uint8_t>(x * 40 + y * 7 + c * 60);
    return image;
}

void imageSeeds() {
    seed("Targa", "rgb_top.tga", tgaBytes(gradient(3, 2, 3), TgaRows::kTopFirst));
    seed("Targa", "rgb_bottom.tga", tgaBytes(gradient(2, 3, 3), TgaRows::kBottomFirst));
    seed("Targa", "rgba.tga", tgaBytes(gradient(4, 2, 4)));
    seed("Targa", "grey.tga", tgaBytes(gradient(4, 4, 1)));

    seed("Fpf", "rgb.fpf", fpfBytes({gradient(3, 2, 3)}));
    seed("Fpf", "rgba_bottom.fpf", fpfBytes({gradient(2, 2, 4)}, {false, true}));
    seed("Fpf", "grey_frames.fpf", fpfBytes({gradient(2, 2, 1), gradient(2, 2, 1)}));
    std::vector<Image> faces;
    for (int f = 0; f < 6; ++f) faces.push_back(gradient(2, 2, 3));
    seed("Fpf", "cube.fpf", fpfBytes(faces, {true, false}));
}

void zipSeeds(const fs::path& data) {
    ZipWriter game;
    game.add("autoexec.cfg", readFile(data / "autoexec.cfg"));
    game.add("textures/white.tga", tgaBytes(gradient(2, 2, 3)));
    game.add("empty.txt", "");
    game.add("folder/", "");
    seed("Zip", "data.zip", game.bytes());

    ZipWriter strings;
    strings.add("a", std::string("one\0two\0three", 13));
    strings.add("b", "second entry");
    seed("Zip", "strings.zip", strings.bytes());
    seed("Zip", "empty.zip", ZipWriter().bytes());
}

void scriptSeeds(const fs::path& data) {
    for (const auto& entry : fs::directory_iterator(data)) {
        if (entry.path().extension() == ".rt")
            seed("Technique", entry.path().filename().string(), readFile(entry.path()));
    }
    seed("Technique", "state.rt",
         "Ambient { impl { Pass { CullFace none DepthMask false ColorMask true, false "
         "BlendFunc one, one AlphaFunc greater, 0.5 DepthFunc lequal DepthOffset 1, 2 "
         "StencilFunc always, STENCIL_HALF_VAL, ALL_BITS StencilOp keep, incr_wrap, decr_wrap "
         "StencilMask 255 ScissorScale 1.5 OcclusionQuery } } }\n"
         "Light { impl { Pass { Texture 0, \"white.tga\", FILTER_LINEAR & WRAP_CLAMP & "
         "DONT_COMPRESS Texture 1, Texture1 Requires TwoSidedStencil } } impl { Pass { } } }\n"
         "PostShade { impl { Pass { EXTEnableScissor() } Pass { } } }\n");
    seed("Technique", "program.rt",
         "Light { impl { Pass { VertexShader { glsl120.glsl & point_light.vert Constants { "
         "light = LIGHT_OBJECTSPACE bones[4] = CONST_BONE3_MATRIX } Attributes { normal "
         "tangent tex0 } } TexShader point_light.frag } } }\n");

    seed("Autoexec", "autoexec.cfg", readFile(data / "autoexec.cfg"));
    seed("Autoexec", "settings.cfg",
         "scr_width 800\nscr_height=600;gfx_scissor false\r\n# comment\n"
         "gfx_vpprofile \"arb\"\ndbg_camera \"1 2 3 0 90 0\"\ngfx_light_cache\n");
    seed("Console", "set", std::string("\x01") + "gfx_boxmerge 1e12");
    seed("Console", "show", std::string("\x00", 1) + "gfx_driver");
    seed("Console", "locked", std::string("\x01") + "exp_root_dir = \"C:\\\\x\" ; c_size 2");
    seed("Console", "typed",
         std::string("\x03") + "cvarlist gfx_ ; scr_width; exec a.cfg ; bogus 1");
}

OtmMap litRooms(int rooms, bool zigzag) {
    RoomChainOptions chain;
    chain.rooms = rooms;
    chain.zigzag = zigzag;
    OtmMap map = roomChain(chain);
    for (OtmSector& sector : map.sectors) {
        sector.mesh.children.push_back(boxRoom({1, 1, 1, 0}, {2, 2, 2, 0}, {}));
        sector.mesh.body.materials[0].textures = {"wall.tga"};
        sector.lights = {0};
    }
    OtmLight lamp;
    lamp.flags = OtmLight::kNamed;
    lamp.name = "lamp";
    lamp.position = {2, 2, 2, 0};
    lamp.outerRadius = 6.0f;
    lamp.pieces = {{0, 0}};
    OtmLight plain;
    plain.flags = 0;
    plain.position = {1, 1, 1, 0};
    OtmLight empty;
    empty.flags = OtmLight::kEmpty;
    map.lights = {lamp, plain, empty};
    return map;
}

// Maps seed both the map target and the level target.
void mapSeed(const std::string& name, const std::string& bytes) {
    seed("Otm", name, bytes);
    seed("Level", name, bytes);
}

void mapSeeds() {
    mapSeed("empty.otm", OtmWriter().header(0, 0, 0).bytes());
    mapSeed("one_room.otm", otmBytes(litRooms(1, false)));
    mapSeed("two_rooms.otm", otmBytes(litRooms(2, false)));
    mapSeed("zigzag.otm", otmBytes(litRooms(3, true)));

    // An octree split once, each child a leaf of one face.
    OtmMap split = litRooms(1, false);
    OtmOctreeNode& root = split.sectors[0].mesh.octree;
    root.children.assign(8, {});
    for (int c = 0; c < 8; ++c) root.children[static_cast<size_t>(c)].faces = {c};
    root.faces.clear();
    mapSeed("octree.otm", otmBytes(split));
}

MshFile twoBoneMesh() {
    MshFile mesh;
    MshBone root = MshBone::at(0, 0, 0);
    root.children = {1};
    mesh.bones = {root, MshBone::at(0, 1, 0)};
    MshAnimation walk;
    walk.frameCount = 2;
    for (int b = 0; b < 2; ++b) {
        MshBoneKeys keys;
        keys.positions = {{0, 0, 0}, {0, 0.5f, 0}};
        keys.rotations = {{0.0f, {0, 0, 1}}, {1.0f, {0, 1, 0}}};
        keys.scales = {{1, 1, 1}, {1, 2, 1}};
        walk.bones.push_back(keys);
    }
    mesh.animations = {walk};
    mesh.materials.push_back({});
    const std::array<float, 3> corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    for (int i = 0; i < 4; ++i) mesh.positions.push_back({corners[i], {{0, 0.5f}, {1, 0.5f}}});
    for (int i = 0; i < 4; ++i) mesh.vertices.push_back({i, 0, 0, {0, 0, 1}, {1, 0, 0}});
    mesh.triangles = {{{0, 1, 2}, 0}, {{2, 1, 3}, 0}};
    return mesh;
}

void meshSeeds() {
    seed("Msh", "empty.msh", mshBytes({}));
    seed("Msh", "two_bones.msh", mshBytes(twoBoneMesh()));
    MshFile still = twoBoneMesh();
    still.animations.clear();
    still.materials[0].textures = {"skin.tga", "skin_bump.tga"};
    seed("Msh", "still.msh", mshBytes(still));
}

// The annex as Blender exported it, and a small text glTF whose buffer is inline.
void gltfLevelSeeds(const fs::path& data) {
    seed("GltfLevel", "annex.glb", readFile(data / "levels" / "annex.glb"));
    seed("GltfLevel", "one_room.gltf", R"({
  "asset": {"version": "2.0"}, "scene": 0, "scenes": [{"nodes": [1, 2], "extras": {"scale": 10}}],
  "nodes": [{"name": "walls", "mesh": 0}, {"name": "sector:a", "children": [0]},
            {"name": "lamp", "translation": [0.5, 0.5, 0.5],
             "extensions": {"KHR_lights_punctual": {"light": 0}}, "extras": {"static": false}}],
  "extensions": {"KHR_lights_punctual": {"lights": [{"type": "point", "range": 3}]}},
  "meshes": [{"primitives": [{"attributes": {"POSITION": 0}}]}],
  "accessors": [{"bufferView": 0, "componentType": 5126, "count": 3, "type": "VEC3"}],
  "bufferViews": [{"buffer": 0, "byteLength": 36}],
  "buffers": [{"byteLength": 36,
               "uri": "data:application/octet-stream;base64,AAAAAAAAAAAAAAAAAACAPwAAAAAAAAAAAAAAAAAAgD8AAAAA"}]
})");
}

void levelSourceSeeds(const fs::path& data) {
    for (const auto& entry : fs::directory_iterator(data / "levels"))
        if (entry.path().extension() == ".json")
            seed("LevelSource", entry.path().filename().string(), readFile(entry.path()));
    seed("LevelSource", "two_rooms.json", R"({
  "materials": {"wall": {"technique": "static_default.rt", "textures": ["white.tga"]}},
  "sectors": [
    {"name": "a", "brushes": [{"type": "room", "min": [0, 0, 0], "max": [4, 3, 4],
                               "material": "wall"}],
     "props": [{"model": "box", "position": [2, 0, 2], "size": [1, 1, 1], "material": "wall"}]},
    {"name": "b", "brushes": [{"type": "room", "min": [4, 0, 0], "max": [8, 3, 4],
                               "material": "wall"},
                              {"type": "stairs", "min": [5, 0, 0], "max": [7, 1, 1],
                               "steps": 3, "rise": "+x", "material": "wall"}],
     "props": [{"model": "pillar", "position": [6, 0, 3], "radius": 0.3, "height": 2,
                "sides": 5, "material": "wall"}]}
  ],
  "portals": [{"sectors": ["a", "b"], "min": [4, 0, 1.5], "max": [4, 2, 2.5]}],
  "lights": [{"name": "lamp", "position": [2, 2.5, 2], "inner": 1, "outer": 10,
              "colour": [1, 1, 1], "static": true},
             {"position": [6, 2.5, 2], "outer": 5, "static": false}]
}
)");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    gRoot = argv[1];
    const fs::path data = fs::path(ARVEL_FUZZ_DATA_DIR);
    try {
        imageSeeds();
        zipSeeds(data);
        scriptSeeds(data);
        mapSeeds();
        meshSeeds();
        levelSourceSeeds(data);
        gltfLevelSeeds(data);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
