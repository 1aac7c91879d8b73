// Reading glTF accessors with every offset checked against its buffer, so that a
// short or hostile file is refused with the object named instead of read out of bounds.
#pragma once

#include <tiny_gltf.h>

#include <string>

#include "level/LevelSource.h"

namespace arvel::level {

// "object \"NAME\"": how messages about a glTF level name an object.
std::string gltfObject(const std::string& name);

class GltfAccessor {
public:
    // Throws LevelError naming the object when the accessor or its data are not there.
    GltfAccessor(const tinygltf::Model& model, int index, const std::string& object,
                 const LevelSource& level);

    size_t count() const { return count_; }
    int components() const { return components_; }

    // Component c of element i, as a number (normalised integers scaled to 0..1).
    double get(size_t i, int c) const;

private:
    [[noreturn]] void fail(const std::string& what) const;

    const tinygltf::Model& model_;
    const LevelSource& level_;
    std::string object_;
    const unsigned char* data_ = nullptr;
    size_t count_ = 0, stride_ = 0, componentSize_ = 0;
    int components_ = 0, type_ = 0;
    bool normalized_ = false;
};

}  // namespace arvel::level
