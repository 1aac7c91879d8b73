#include "MshReader.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace arvel::content {

namespace {

class In {
public:
    explicit In(std::string_view bytes) : bytes_(bytes) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw MshReadError(what + " at byte " + std::to_string(offset_));
    }
    void need(size_t n, const char* what) const {
        if (bytes_.size() - offset_ < n) fail(std::string("file ends inside ") + what);
    }
    int32_t i32(const char* what) {
        need(4, what);
        uint32_t bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= static_cast<uint32_t>(static_cast<uint8_t>(bytes_[offset_ + i])) << (8 * i);
        offset_ += 4;
        return static_cast<int32_t>(bits);
    }
    float f32(const char* what) {
        const int32_t bits = i32(what);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    uint8_t u8(const char* what) {
        need(1, what);
        return static_cast<uint8_t>(bytes_[offset_++]);
    }
    std::string str(const char* what) {
        const size_t end = bytes_.find('\0', offset_);
        if (end == std::string_view::npos) fail(std::string("file ends inside ") + what);
        std::string text(bytes_.substr(offset_, end - offset_));
        offset_ = end + 1;
        return text;
    }
    std::array<float, 3> vec3(const char* what) { return {f32(what), f32(what), f32(what)}; }
    // A count of records at least minBytes long each: never more than the bytes left.
    size_t count(const char* what, size_t minBytes) {
        const int32_t n = i32(what);
        if (n < 0) fail(std::string("negative ") + what + " " + std::to_string(n));
        if (static_cast<size_t>(n) > (bytes_.size() - offset_) / minBytes)
            fail(std::string(what) + " " + std::to_string(n) + " exceeds the file");
        return static_cast<size_t>(n);
    }
    bool atEnd() const { return offset_ == bytes_.size(); }

private:
    std::string_view bytes_;
    size_t offset_ = 0;
};

void checkIndex(const In& in, int32_t index, size_t size, const char* what) {
    if (index < 0 || static_cast<size_t>(index) >= size)
        in.fail(std::string(what) + " index " + std::to_string(index) + " outside 0.." +
                std::to_string(static_cast<long long>(size) - 1));
}

void readBones(In& in, MshFile& mesh) {
    mesh.bones.resize(in.count("bone count", 76));
    for (MshBone& bone : mesh.bones) {
        bone.boxMin = in.vec3("bone box");
        bone.boxMax = in.vec3("bone box");
        for (float& f : bone.bindRows) f = in.f32("bind matrix");
        bone.children.resize(in.count("child count", 4));
        for (int32_t& child : bone.children) {
            child = in.i32("child index");
            checkIndex(in, child, mesh.bones.size(), "child bone");
        }
    }
}

void readAnimations(In& in, MshFile& mesh) {
    mesh.animations.resize(in.count("animation count", 4));
    for (MshAnimation& animation : mesh.animations) {
        // Each frame of each bone takes 40 bytes; without bones any count is empty.
        size_t frames = 0;
        if (mesh.bones.empty()) {
            const int32_t n = in.i32("frame count");
            if (n < 0) in.fail("negative frame count " + std::to_string(n));
            frames = static_cast<size_t>(n);
        } else {
            frames = in.count("frame count", 40 * mesh.bones.size());
        }
        animation.frameCount = static_cast<int32_t>(frames);
        animation.bones.resize(mesh.bones.size());
        for (MshBoneKeys& keys : animation.bones) {
            keys.positions.resize(frames);
            keys.rotations.resize(frames);
            keys.scales.resize(frames);
            for (auto& p : keys.positions) p = in.vec3("position key");
            for (MshRotationKey& r : keys.rotations) {
                r.angle = in.f32("rotation key");
                r.axis = in.vec3("rotation key");
            }
            for (auto& s : keys.scales) s = in.vec3("scale key");
        }
    }
}

void readMaterials(In& in, MshFile& mesh) {
    mesh.materials.resize(in.count("material count", 7));
    for (MshMaterial& material : mesh.materials) {
        material.flags = in.u8("material");
        material.opacity = in.u8("material");
        material.technique = in.str("technique name");
        material.textures.resize(in.count("texture count", 1));
        for (std::string& texture : material.textures) texture = in.str("texture name");
    }
}

void readPositions(In& in, MshFile& mesh) {
    mesh.positions.resize(in.count("position count", 16));
    for (MshPosition& position : mesh.positions) {
        position.point = in.vec3("position");
        position.influences.resize(in.count("influence count", 8));
        for (MshInfluence& influence : position.influences) {
            influence.bone = in.i32("influence");
            checkIndex(in, influence.bone, mesh.bones.size(), "influence bone");
            influence.weight = in.f32("influence");
        }
    }
}

void readVertices(In& in, MshFile& mesh) {
    mesh.vertices.resize(in.count("vertex count", 36));
    for (MshVertex& vertex : mesh.vertices) {
        vertex.position = in.i32("vertex");
        checkIndex(in, vertex.position, mesh.positions.size(), "vertex position");
        vertex.u = in.f32("vertex");
        vertex.v = in.f32("vertex");
        vertex.normal = in.vec3("vertex normal");
        vertex.tangent = in.vec3("vertex tangent");
    }
}

void readTriangles(In& in, MshFile& mesh) {
    mesh.triangles.resize(in.count("triangle count", 16));
    for (MshTriangle& triangle : mesh.triangles) {
        for (int32_t& v : triangle.vertices) {
            v = in.i32("triangle");
            checkIndex(in, v, mesh.vertices.size(), "triangle vertex");
        }
        triangle.material = in.i32("triangle");
        checkIndex(in, triangle.material, mesh.materials.size(), "triangle material");
    }
}

}  // namespace

MshFile parseMsh(std::string_view bytes) {
    In in(bytes);
    MshFile mesh;
    readBones(in, mesh);
    readAnimations(in, mesh);
    readMaterials(in, mesh);
    readPositions(in, mesh);
    readVertices(in, mesh);
    readTriangles(in, mesh);
    if (!in.atEnd()) in.fail("bytes left after the triangles");
    return mesh;
}

MshFile loadMsh(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw MshReadError("cannot open " + path.string());
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) throw MshReadError("cannot read " + path.string());
    try {
        return parseMsh(bytes);
    } catch (const MshReadError& error) {
        throw MshReadError(path.string() + ": " + error.what());
    }
}

}  // namespace arvel::content
