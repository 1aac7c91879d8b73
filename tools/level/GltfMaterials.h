// The materials of a glTF level: each glTF material becomes a level material with its
// technique and textures, its images decoded to be written as Targa files beside the
// map (a material without an image gets a plain one of its base colour).
#pragma once

#include <tiny_gltf.h>

#include <map>
#include <string>
#include <vector>

#include "level/GltfLevel.h"

namespace arvel::level {

// The image loader tinygltf calls: decodes with its own decoder, but lets the file load
// when an image cannot be decoded, so that the level can say which material needs it.
struct ImageDecoding {
    bool decode = true;
    std::map<int, std::string> failures;
};

// tinygltf's image loader callback; user is the ImageDecoding.
bool decodeImage(tinygltf::Image* image, int index, std::string* err, std::string* warn, int width,
                 int height, const unsigned char* bytes, int size, void* user);

class GltfMaterials {
public:
    GltfMaterials(const tinygltf::Model& model, const ImageDecoding& decoding, std::string prefix,
                  LevelSource& level, std::vector<LevelImage>& images)
        : model_(model),
          decoding_(decoding),
          prefix_(std::move(prefix)),
          level_(level),
          images_(images) {}

    // The level's material for glTF material index (-1: none), made on first use.
    int material(int index, const std::string& object);

private:
    std::string imageFile(int texture, const std::string& material, const char* role);
    std::string plainImage(const std::string& label, const Vec3& linear);
    std::string uniqueName(const std::string& label, size_t tag) const;

    const tinygltf::Model& model_;
    const ImageDecoding& decoding_;
    std::string prefix_;
    LevelSource& level_;
    std::vector<LevelImage>& images_;
    std::map<int, int> materials_;
    std::map<int, std::string> imageFiles_;
};

}  // namespace arvel::level
