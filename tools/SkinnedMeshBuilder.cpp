#include "SkinnedMeshBuilder.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace arvel::content {

namespace {

constexpr double kTwoPi = 6.283185307179586;

std::array<float, 3> floats(Vec3 v) {
    return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

// Rows of the rotation matrix of q (the same layout the engine builds from it).
void rotationRows(const Quat& q, double r[3][3]) {
    const double w = q.w, x = q.x, y = q.y, z = q.z;
    r[0][0] = 1 - 2 * (y * y + z * z);
    r[0][1] = 2 * (x * y - z * w);
    r[0][2] = 2 * (x * z + y * w);
    r[1][0] = 2 * (x * y + z * w);
    r[1][1] = 1 - 2 * (x * x + z * z);
    r[1][2] = 2 * (y * z - x * w);
    r[2][0] = 2 * (x * z - y * w);
    r[2][1] = 2 * (y * z + x * w);
    r[2][2] = 1 - 2 * (x * x + y * y);
}

Quat conjugate(const Quat& q) { return {q.w, -q.x, -q.y, -q.z}; }

}  // namespace

Vec3 normalize(Vec3 v) {
    const double length = std::sqrt(dot(v, v));
    return length > 1e-12 ? v * (1.0 / length) : Vec3{0, 1, 0};
}

Quat Quat::about(Vec3 axis, double angle) {
    const Vec3 a = normalize(axis);
    const double s = std::sin(angle / 2);
    return {std::cos(angle / 2), a.x * s, a.y * s, a.z * s};
}

Vec3 Quat::rotate(Vec3 v) const {
    const Quat p = *this * Quat{0, v.x, v.y, v.z} * conjugate(*this);
    return {p.x, p.y, p.z};
}

Quat operator*(const Quat& a, const Quat& b) {
    return {a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z,
            a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w};
}

MshRotationKey rotationKeyOf(const Quat& q) {
    // The loader builds (cos(-angle/2), sin(-angle/2) axis): the angle goes in negated.
    const double length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z);
    MshRotationKey key;
    if (length < 1e-12) return key;
    key.angle = static_cast<float>(-2.0 * std::atan2(length, q.w));
    key.axis = floats(Vec3{q.x, q.y, q.z} * (1.0 / length));
    return key;
}

int SkinnedMeshBuilder::addBone(int parent, const Pose& rest) {
    parents_.push_back(parent);
    rests_.push_back(rest);
    return boneCount() - 1;
}

Pose SkinnedMeshBuilder::restPose(int bone) const {
    const auto b = static_cast<size_t>(bone);
    return parents_[b] < 0 ? rests_[b] : restPose(parents_[b]) * rests_[b];
}

int SkinnedMeshBuilder::addMaterial(const MshMaterial& material) {
    file_.materials.push_back(material);
    return static_cast<int>(file_.materials.size()) - 1;
}

int32_t SkinnedMeshBuilder::position(Vec3 p, const std::vector<MshInfluence>& influences) {
    file_.positions.push_back({floats(p), influences});
    return static_cast<int32_t>(file_.positions.size()) - 1;
}

int32_t SkinnedMeshBuilder::vertex(int32_t position, double u, double v, Vec3 normal,
                                   Vec3 tangent) {
    MshVertex vertex;
    vertex.position = position;
    vertex.u = static_cast<float>(u);
    vertex.v = static_cast<float>(v);
    vertex.normal = floats(normalize(normal));
    vertex.tangent = floats(normalize(tangent));
    file_.vertices.push_back(vertex);
    return static_cast<int32_t>(file_.vertices.size()) - 1;
}

void SkinnedMeshBuilder::triangle(int32_t a, int32_t b, int32_t c, int material) {
    file_.triangles.push_back({{a, b, c}, material});
}

void SkinnedMeshBuilder::cap(const Pose& frame, const std::vector<int32_t>& ring, double y,
                             bool top, int material) {
    const int sides = static_cast<int>(ring.size());
    const Vec3 normal = frame.rotation.rotate({0, top ? 1.0 : -1.0, 0});
    const Vec3 tangent = frame.rotation.rotate({1, 0, 0});
    const int32_t center =
        position(frame.apply({0, y, 0}), file_.positions[static_cast<size_t>(ring[0])].influences);
    const int32_t middle = vertex(center, 0.5, 0.5, normal, tangent);
    std::vector<int32_t> corners;
    for (int k = 0; k < sides; ++k) {
        const double angle = kTwoPi * k / sides;
        corners.push_back(vertex(ring[static_cast<size_t>(k)], 0.5 + 0.5 * std::cos(angle),
                                 0.5 + 0.5 * std::sin(angle), normal, tangent));
    }
    for (int k = 0; k < sides; ++k) {
        const int32_t a = corners[static_cast<size_t>(k)];
        const int32_t b = corners[static_cast<size_t>((k + 1) % sides)];
        if (top)
            triangle(middle, b, a, material);
        else
            triangle(middle, a, b, material);
    }
}

void SkinnedMeshBuilder::lathe(const Pose& frame, const std::vector<LatheRing>& rings, int sides,
                               int material) {
    const size_t count = rings.size();
    // Positions: one per pole, sides per ring.
    std::vector<std::vector<int32_t>> positions(count);
    for (size_t i = 0; i < count; ++i) {
        const LatheRing& ring = rings[i];
        const int n = ring.radius > 0 ? sides : 1;
        for (int k = 0; k < n; ++k) {
            const double angle = kTwoPi * k / sides;
            const Vec3 local{ring.radius * std::cos(angle), ring.y, ring.radius * std::sin(angle)};
            positions[i].push_back(position(frame.apply(local), ring.influences));
        }
    }
    // Vertices: sides + 1 per ring (the seam repeats the first column with u = 1), with
    // normals across the profile's slope.
    std::vector<std::vector<int32_t>> vertices(count);
    for (size_t i = 0; i < count; ++i) {
        const LatheRing& before = rings[i > 0 ? i - 1 : i];
        const LatheRing& after = rings[i + 1 < count ? i + 1 : i];
        const double dr = after.radius - before.radius, dy = after.y - before.y;
        for (int k = 0; k <= sides; ++k) {
            const double angle = kTwoPi * k / sides;
            const double c = std::cos(angle), s = std::sin(angle);
            Vec3 normal{dy * c, -dr, dy * s};
            if (rings[i].radius <= 0) normal = {0, i == 0 ? -1.0 : 1.0, 0};
            const int32_t p =
                positions[i][rings[i].radius > 0 ? static_cast<size_t>(k % sides) : 0];
            const double u =
                rings[i].radius > 0 ? static_cast<double>(k) / sides : (k + 0.5) / sides;
            vertices[i].push_back(vertex(p, u, rings[i].v, frame.rotation.rotate(normal),
                                         frame.rotation.rotate({-s, 0, c})));
        }
    }
    // Going up the axis and around it (x towards z) the outside is on the left.
    for (size_t i = 0; i + 1 < count; ++i)
        for (int k = 0; k < sides; ++k) {
            const auto column = static_cast<size_t>(k);
            const int32_t a = vertices[i][column], b = vertices[i + 1][column];
            const int32_t c = vertices[i][column + 1], d = vertices[i + 1][column + 1];
            if (rings[i].radius > 0) triangle(a, b, c, material);
            if (rings[i + 1].radius > 0) triangle(c, b, d, material);
        }
    if (rings.front().radius > 0) cap(frame, positions.front(), rings.front().y, false, material);
    if (rings.back().radius > 0) cap(frame, positions.back(), rings.back().y, true, material);
}

void SkinnedMeshBuilder::cylinder(int bone, const Pose& local, double radius, double y0, double y1,
                                  int sides, int material) {
    const std::vector<MshInfluence> rigid{{bone, 1.0f}};
    lathe(restPose(bone) * local, {{y0, radius, 0, rigid}, {y1, radius, 1, rigid}}, sides,
          material);
}

void SkinnedMeshBuilder::box(int bone, Vec3 lo, Vec3 hi, int material) {
    const Pose frame = restPose(bone);
    const std::vector<MshInfluence> rigid{{bone, 1.0f}};
    int32_t corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = position(
            frame.apply({i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z}), rigid);
    // Each side: along axis a with sign s; its u and v axes satisfy u x v = outward.
    for (int a = 0; a < 3; ++a)
        for (int s = 0; s < 2; ++s) {
            const int u = s ? (a + 1) % 3 : (a + 2) % 3;
            const int v = s ? (a + 2) % 3 : (a + 1) % 3;
            double n[3] = {0, 0, 0}, t[3] = {0, 0, 0};
            n[a] = s ? 1 : -1;
            t[u] = 1;
            const Vec3 normal = frame.rotation.rotate({n[0], n[1], n[2]});
            const Vec3 tangent = frame.rotation.rotate({t[0], t[1], t[2]});
            int32_t quad[4];
            const int uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int c = 0; c < 4; ++c) {
                const int corner = (s << a) | (uv[c][0] << u) | (uv[c][1] << v);
                quad[c] = vertex(corners[corner], uv[c][0], uv[c][1], normal, tangent);
            }
            triangle(quad[0], quad[1], quad[2], 0 + material);
            triangle(quad[0], quad[2], quad[3], material);
        }
}

void SkinnedMeshBuilder::animate(int frames, const std::function<Pose(int bone, int frame)>& pose) {
    MshAnimation animation;
    animation.frameCount = frames;
    animation.bones.resize(parents_.size());
    for (int b = 0; b < boneCount(); ++b) {
        MshBoneKeys& keys = animation.bones[static_cast<size_t>(b)];
        for (int k = 0; k < frames; ++k) {
            const Pose local = pose(b, k);
            keys.positions.push_back(floats(local.position));
            keys.rotations.push_back(rotationKeyOf(local.rotation));
            keys.scales.push_back({1, 1, 1});
        }
    }
    file_.animations.push_back(std::move(animation));
}

MshFile SkinnedMeshBuilder::finish() const {
    MshFile file = file_;
    file.bones.resize(parents_.size());
    std::vector<Pose> inverse;
    for (int b = 0; b < boneCount(); ++b) {
        MshBone& bone = file.bones[static_cast<size_t>(b)];
        if (parents_[static_cast<size_t>(b)] >= 0)
            file.bones[static_cast<size_t>(parents_[static_cast<size_t>(b)])].children.push_back(b);
        const Pose rest = restPose(b);
        double r[3][3];
        rotationRows(rest.rotation, r);
        const double t[3] = {rest.position.x, rest.position.y, rest.position.z};
        for (int row = 0; row < 3; ++row) {
            for (int c = 0; c < 3; ++c)
                bone.bindRows[static_cast<size_t>(4 * row + c)] = static_cast<float>(r[row][c]);
            bone.bindRows[static_cast<size_t>(4 * row + 3)] = static_cast<float>(t[row]);
        }
        const Quat back = conjugate(rest.rotation);
        inverse.push_back({back, back.rotate(rest.position) * -1.0});
        bone.boxMin = {FLT_MAX, FLT_MAX, FLT_MAX};
        bone.boxMax = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
    }
    for (const MshPosition& position : file.positions)
        for (const MshInfluence& influence : position.influences) {
            const auto b = static_cast<size_t>(influence.bone);
            const Vec3 local =
                inverse[b].apply({position.point[0], position.point[1], position.point[2]});
            const std::array<float, 3> p = floats(local);
            for (size_t c = 0; c < 3; ++c) {
                file.bones[b].boxMin[c] = std::min(file.bones[b].boxMin[c], p[c]);
                file.bones[b].boxMax[c] = std::max(file.bones[b].boxMax[c], p[c]);
            }
        }
    return file;
}

}  // namespace arvel::content
