// Writes skinned animated meshes as ".msh" files: little-endian, no header, sections
// of bones, animations, materials, skinned positions, vertices and triangles, each a
// 32-bit count followed by its records. Nothing is checked: tests write broken files
// on purpose.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace arvel::content {

struct MshBone {
    std::array<float, 3> boxMin{0.0f, 0.0f, 0.0f};
    std::array<float, 3> boxMax{0.0f, 0.0f, 0.0f};
    // Rows 0 to 2 of the bind matrix, each three rotation-and-scale elements then the
    // translation; identity by default.
    std::array<float, 12> bindRows{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    std::vector<int32_t> children;

    // A bind pose that only moves the bone to (x, y, z).
    static MshBone at(float x, float y, float z);
};

struct MshRotationKey {
    float angle = 0.0f;  // radians about axis
    std::array<float, 3> axis{0.0f, 0.0f, 1.0f};
};

// The keys of one bone; each list holds the animation's frame count of keys.
struct MshBoneKeys {
    std::vector<std::array<float, 3>> positions;
    std::vector<MshRotationKey> rotations;
    std::vector<std::array<float, 3>> scales;
};

struct MshAnimation {
    int32_t frameCount = 0;
    std::vector<MshBoneKeys> bones;  // one per bone of the mesh, in bone order
};

struct MshMaterial {
    uint8_t flags = 0;
    uint8_t opacity = 255;
    std::string technique = "dynamic_default.rt";
    std::vector<std::string> textures;
};

struct MshInfluence {
    int32_t bone = 0;
    float weight = 1.0f;
};

struct MshPosition {
    std::array<float, 3> point{0.0f, 0.0f, 0.0f};
    std::vector<MshInfluence> influences;
};

struct MshVertex {
    int32_t position = 0;
    float u = 0.0f, v = 0.0f;
    std::array<float, 3> normal{0.0f, 0.0f, 1.0f};
    std::array<float, 3> tangent{1.0f, 0.0f, 0.0f};
};

struct MshTriangle {
    std::array<int32_t, 3> vertices{0, 0, 0};  // winding order
    int32_t material = 0;
};

struct MshFile {
    std::vector<MshBone> bones;
    std::vector<MshAnimation> animations;
    std::vector<MshMaterial> materials;
    std::vector<MshPosition> positions;
    std::vector<MshVertex> vertices;
    std::vector<MshTriangle> triangles;
};

// The file's bytes.
std::string mshBytes(const MshFile& mesh);
// Writes the file; false when it cannot be written.
bool saveMsh(const std::filesystem::path& path, const MshFile& mesh);

}  // namespace arvel::content
