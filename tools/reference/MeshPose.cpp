// Skinned meshes posed as the engine poses them: keys 0.1 s apart interpolated
// linearly (positions, scales) and spherically (rotations), bones chained from the
// roots, positions skinned by bone matrix times inverse bind matrix.
#include <cmath>
#include <functional>
#include <numbers>

#include "MshReader.h"
#include "reference/Scene.h"

namespace arvel::reference {

Mat4 inverseAffine(const Mat4& a) {
    const double det = a.at(0, 0) * (a.at(1, 1) * a.at(2, 2) - a.at(1, 2) * a.at(2, 1)) -
                       a.at(0, 1) * (a.at(1, 0) * a.at(2, 2) - a.at(1, 2) * a.at(2, 0)) +
                       a.at(0, 2) * (a.at(1, 0) * a.at(2, 1) - a.at(1, 1) * a.at(2, 0));
    Mat4 r;
    if (std::fabs(det) < 1e-30) return r;
    const double k = 1.0 / det;
    r.at(0, 0) = (a.at(1, 1) * a.at(2, 2) - a.at(1, 2) * a.at(2, 1)) * k;
    r.at(0, 1) = (a.at(0, 2) * a.at(2, 1) - a.at(0, 1) * a.at(2, 2)) * k;
    r.at(0, 2) = (a.at(0, 1) * a.at(1, 2) - a.at(0, 2) * a.at(1, 1)) * k;
    r.at(1, 0) = (a.at(1, 2) * a.at(2, 0) - a.at(1, 0) * a.at(2, 2)) * k;
    r.at(1, 1) = (a.at(0, 0) * a.at(2, 2) - a.at(0, 2) * a.at(2, 0)) * k;
    r.at(1, 2) = (a.at(0, 2) * a.at(1, 0) - a.at(0, 0) * a.at(1, 2)) * k;
    r.at(2, 0) = (a.at(1, 0) * a.at(2, 1) - a.at(1, 1) * a.at(2, 0)) * k;
    r.at(2, 1) = (a.at(0, 1) * a.at(2, 0) - a.at(0, 0) * a.at(2, 1)) * k;
    r.at(2, 2) = (a.at(0, 0) * a.at(1, 1) - a.at(0, 1) * a.at(1, 0)) * k;
    const Vec3 t = r.direction({a.m[12], a.m[13], a.m[14]});
    r.m[12] = -t.x, r.m[13] = -t.y, r.m[14] = -t.z;
    return r;
}

namespace {

struct Quat {
    double w = 1.0, x = 0.0, y = 0.0, z = 0.0;
};

Quat keyRotation(const content::MshRotationKey& key) {
    const Vec3 axis{key.axis[0], key.axis[1], key.axis[2]};
    if (length(axis) <= 0.00125) return {};
    const Vec3 n = normalize(axis);
    const double half = -0.5 * key.angle;
    Quat q{std::cos(half), std::sin(half) * n.x, std::sin(half) * n.y, std::sin(half) * n.z};
    const double l = std::sqrt(q.w * q.w + q.x * q.x + q.y * q.y + q.z * q.z);
    return {q.w / l, q.x / l, q.y / l, q.z / l};
}

Quat slerp(const Quat& a, Quat b, double f) {
    double d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (d < 0.0) {
        b = {-b.w, -b.x, -b.y, -b.z};
        d = -d;
    }
    double wa = 1.0 - f, wb = f;
    if (1.0 - d > 0.0001) {
        const double angle = std::acos(d);
        wa = std::sin((1.0 - f) * angle) / std::sin(angle);
        wb = std::sin(f * angle) / std::sin(angle);
    }
    return {wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
}

Vec3 lerp(const std::array<float, 3>& a, const std::array<float, 3>& b, double f) {
    return {a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f, a[2] + (b[2] - a[2]) * f};
}

// Rotation, then a scale along the parent's axes, then the translation.
Mat4 localMatrix(const Vec3& p, const Quat& q, const Vec3& s) {
    const double x = q.x, y = q.y, z = q.z, w = q.w;
    Mat4 m;
    m.at(0, 0) = (1 - 2 * y * y - 2 * z * z) * s.x;
    m.at(1, 0) = 2 * (x * y + z * w) * s.y;
    m.at(2, 0) = 2 * (x * z - y * w) * s.z;
    m.at(0, 1) = 2 * (x * y - z * w) * s.x;
    m.at(1, 1) = (1 - 2 * x * x - 2 * z * z) * s.y;
    m.at(2, 1) = 2 * (y * z + x * w) * s.z;
    m.at(0, 2) = 2 * (x * z + y * w) * s.x;
    m.at(1, 2) = 2 * (y * z - x * w) * s.y;
    m.at(2, 2) = (1 - 2 * x * x - 2 * y * y) * s.z;
    m.m[12] = p.x, m.m[13] = p.y, m.m[14] = p.z;
    return m;
}

Mat4 bindMatrix(const content::MshBone& bone) {
    Mat4 m;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            m.at(row, column) = bone.bindRows[static_cast<size_t>(4 * row + column)];
    return m;
}

// Each bone's local matrix at time t of the animation of that index; identity without
// one.
std::vector<Mat4> localPose(const content::MshFile& mesh, double t, int index) {
    std::vector<Mat4> local(mesh.bones.size());
    if (index < 0 || static_cast<size_t>(index) >= mesh.animations.size()) return local;
    const content::MshAnimation& animation = mesh.animations[static_cast<size_t>(index)];
    const int n = animation.frameCount;
    if (n <= 0) return local;
    const double lengthSeconds = n * 0.1;
    const double s = std::fmod(t, lengthSeconds) / lengthSeconds * (n - 1);
    const int k = static_cast<int>(s);
    const double f = s - k;
    const size_t key = static_cast<size_t>(k), next = static_cast<size_t>((k + 1) % n);
    for (size_t b = 0; b < mesh.bones.size() && b < animation.bones.size(); ++b) {
        const content::MshBoneKeys& keys = animation.bones[b];
        if (keys.positions.size() < static_cast<size_t>(n) ||
            keys.rotations.size() < static_cast<size_t>(n) ||
            keys.scales.size() < static_cast<size_t>(n))
            continue;
        local[b] = localMatrix(
            lerp(keys.positions[key], keys.positions[next], f),
            slerp(keyRotation(keys.rotations[key]), keyRotation(keys.rotations[next]), f),
            lerp(keys.scales[key], keys.scales[next], f));
    }
    return local;
}

}  // namespace

void addPosedMesh(const std::filesystem::path& path, const Vec3& position, double timeSeconds,
                  int object, Scene& scene, double yaw, int animation) {
    content::MshFile mesh;
    try {
        mesh = content::loadMsh(path);
    } catch (const std::exception& e) {
        throw SceneError(path.string() + ": " + e.what());
    }
    const size_t bones = mesh.bones.size();
    const std::vector<Mat4> local = localPose(mesh, timeSeconds, animation);

    // Model space: parent times local, from every root down (a bone nobody names).
    std::vector<int> parent(bones, -1);
    for (size_t b = 0; b < bones; ++b)
        for (int32_t child : mesh.bones[b].children)
            if (child >= 0 && static_cast<size_t>(child) < bones)
                parent[static_cast<size_t>(child)] = static_cast<int>(b);
    std::vector<Mat4> model(bones);
    std::vector<bool> done(bones, false);
    std::function<void(size_t, const Mat4*, int)> chain = [&](size_t b, const Mat4* above,
                                                              int depth) {
        if (done[b] || depth > static_cast<int>(bones)) return;
        done[b] = true;
        model[b] = above ? *above * local[b] : local[b];
        for (int32_t child : mesh.bones[b].children)
            if (child >= 0 && static_cast<size_t>(child) < bones)
                chain(static_cast<size_t>(child), &model[b], depth + 1);
    };
    for (size_t b = 0; b < bones; ++b)
        if (parent[b] < 0) chain(b, nullptr, 0);

    Mat4 world = Mat4::translation(position);
    const double a = yaw * std::numbers::pi / 180.0;
    world.at(0, 0) = world.at(2, 2) = std::cos(a);
    world.at(0, 2) = std::sin(a);
    world.at(2, 0) = -std::sin(a);
    std::vector<Mat4> skin(bones);
    for (size_t b = 0; b < bones; ++b)
        skin[b] = model[b] * inverseAffine(bindMatrix(mesh.bones[b]));

    std::vector<Vec3> points;
    for (const content::MshPosition& p : mesh.positions) {
        const Vec3 rest{p.point[0], p.point[1], p.point[2]};
        Vec3 sum;
        for (const content::MshInfluence& influence : p.influences)
            if (influence.bone >= 0 && static_cast<size_t>(influence.bone) < bones)
                sum += skin[static_cast<size_t>(influence.bone)].point(rest) * influence.weight;
        // Skinned in model space, then placed by the instance's matrix.
        points.push_back(world.point(sum));
    }
    auto vertexNormal = [&](const content::MshVertex& v) {
        const Vec3 n{v.normal[0], v.normal[1], v.normal[2]};
        Vec3 sum;
        for (const content::MshInfluence& influence :
             mesh.positions[static_cast<size_t>(v.position)].influences)
            if (influence.bone >= 0 && static_cast<size_t>(influence.bone) < bones)
                sum += skin[static_cast<size_t>(influence.bone)].direction(n) * influence.weight;
        return normalize(sum);
    };
    for (const content::MshTriangle& tri : mesh.triangles) {
        Triangle t;
        t.object = object;
        for (int k = 0; k < 3; ++k) {
            const content::MshVertex& v = mesh.vertices[static_cast<size_t>(tri.vertices[k])];
            t.corner[k] = points[static_cast<size_t>(v.position)];
            t.normal[k] = vertexNormal(v);
        }
        scene.triangles.push_back(t);
    }
}

}  // namespace arvel::reference
