// Level sources modelled in an editor (Blender) and exported as glTF 2.0, ".gltf" or
// ".glb", read with tinygltf into the same LevelSource the JSON reader fills. Objects
// are recognised by their names:
//   "sector:NAME"      a node (in Blender an empty) whose mesh objects below it are the
//                      sector's faces, modelled facing into the room
//   "portal:A:B"       a mesh object of one planar convex polygon covering an opening
//                      between sectors A and B
//   "mesh:FILE"        a node placing the animated mesh FILE (custom property
//                      "animation"), turned about the up axis by its rotation
//   a camera, or an empty named "camera": where the game's camera starts
//   point lights (KHR_lights_punctual): colour from the light, outer radius from its
//                      range or an "outer" custom property, "inner", "static",
//                      "switch", "parameter" and "name" custom properties
// glTF is right-handed with +Y up in metres, as the engine's space is (y up, right-
// handed); positions are multiplied by the scale, engine units per metre.
#pragma once

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TgaWriter.h"
#include "level/LevelSource.h"

namespace arvel::level {

// A Blender room 4 m high becomes 48 units, the height of the demo's rooms.
inline constexpr double kDefaultGltfScale = 12.0;

struct GltfOptions {
    // Engine units per metre; unset: the scene's "scale" custom property, else the default.
    std::optional<double> scale;
    // Texture files are named prefix + the image's name + ".tga" (the map's name, so
    // that two levels' images do not overwrite each other).
    std::string texturePrefix;
    // Whether to decode the images (the fuzzer reads structure only).
    bool decodeImages = true;
};

// A material's image, decoded (3 or 4 channels), to be written as the Targa file
// `name` beside the map.
struct LevelImage {
    std::string name;
    content::Image picture;
};

struct GltfLevel {
    LevelSource source;
    std::vector<LevelImage> images;
    double scale = kDefaultGltfScale;  // the scale that was used
};

// Whether the file name ends in ".gltf" or ".glb" (any case).
inline bool isGltfFile(const std::string& fileName) {
    std::string extension = std::filesystem::path(fileName).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".gltf" || extension == ".glb";
}

// Reads the bytes of a ".gltf" (JSON) or ".glb" (binary) file; external buffers and
// images are looked up in folder. Throws LevelError naming the object and the fault.
GltfLevel parseGltfLevel(const std::string& bytes, const std::string& file,
                         const std::string& folder, const GltfOptions& options = {});
GltfLevel loadGltfLevel(const std::string& fileName, const GltfOptions& options = {});

}  // namespace arvel::level
