#include "MshWriter.h"

#include <cstring>
#include <fstream>

namespace arvel::content {

namespace {

class Out {
public:
    void i32(int32_t value) {
        const auto bits = static_cast<uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            bytes_.push_back(static_cast<char>((bits >> shift) & 0xFF));
    }
    void f32(float value) {
        int32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        i32(bits);
    }
    void u8(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void str(const std::string& text) { bytes_.append(text.c_str(), text.size() + 1); }
    void vec3(const std::array<float, 3>& v) {
        for (float f : v) f32(f);
    }
    void count(size_t n) { i32(static_cast<int32_t>(n)); }

    std::string take() { return std::move(bytes_); }

private:
    std::string bytes_;
};

void writeBone(Out& out, const MshBone& bone) {
    out.vec3(bone.boxMin);
    out.vec3(bone.boxMax);
    for (float f : bone.bindRows) out.f32(f);
    out.count(bone.children.size());
    for (int32_t child : bone.children) out.i32(child);
}

void writeAnimation(Out& out, const MshAnimation& animation) {
    out.i32(animation.frameCount);
    for (const MshBoneKeys& keys : animation.bones) {
        for (const auto& p : keys.positions) out.vec3(p);
        for (const MshRotationKey& r : keys.rotations) {
            out.f32(r.angle);
            out.vec3(r.axis);
        }
        for (const auto& s : keys.scales) out.vec3(s);
    }
}

void writeMaterial(Out& out, const MshMaterial& material) {
    out.u8(material.flags);
    out.u8(material.opacity);
    out.str(material.technique);
    out.count(material.textures.size());
    for (const std::string& texture : material.textures) out.str(texture);
}

void writePosition(Out& out, const MshPosition& position) {
    out.vec3(position.point);
    out.count(position.influences.size());
    for (const MshInfluence& influence : position.influences) {
        out.i32(influence.bone);
        out.f32(influence.weight);
    }
}

void writeVertex(Out& out, const MshVertex& vertex) {
    out.i32(vertex.position);
    out.f32(vertex.u);
    out.f32(vertex.v);
    out.vec3(vertex.normal);
    out.vec3(vertex.tangent);
}

void writeTriangle(Out& out, const MshTriangle& triangle) {
    for (int32_t v : triangle.vertices) out.i32(v);
    out.i32(triangle.material);
}

}  // namespace

MshBone MshBone::at(float x, float y, float z) {
    MshBone bone;
    bone.bindRows[3] = x;
    bone.bindRows[7] = y;
    bone.bindRows[11] = z;
    return bone;
}

std::string mshBytes(const MshFile& mesh) {
    Out out;
    out.count(mesh.bones.size());
    for (const MshBone& bone : mesh.bones) writeBone(out, bone);
    out.count(mesh.animations.size());
    for (const MshAnimation& animation : mesh.animations) writeAnimation(out, animation);
    out.count(mesh.materials.size());
    for (const MshMaterial& material : mesh.materials) writeMaterial(out, material);
    out.count(mesh.positions.size());
    for (const MshPosition& position : mesh.positions) writePosition(out, position);
    out.count(mesh.vertices.size());
    for (const MshVertex& vertex : mesh.vertices) writeVertex(out, vertex);
    out.count(mesh.triangles.size());
    for (const MshTriangle& triangle : mesh.triangles) writeTriangle(out, triangle);
    return out.take();
}

bool saveMsh(const std::filesystem::path& path, const MshFile& mesh) {
    const std::string bytes = mshBytes(mesh);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace arvel::content
