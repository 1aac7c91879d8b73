#include "DemoMeshes.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "SkinnedMeshBuilder.h"

namespace arvel::content {

namespace {

constexpr double kPi = 3.141592653589793;
const Vec3 kX{1, 0, 0}, kY{0, 1, 0}, kZ{0, 0, 1};

// The last key of a loop repeats the first: the loader plays keys 0 .. n-1 over
// n x 0.1 s and then starts again at key 0.
double loopPhase(int frame, int frames) { return 2 * kPi * frame / (frames - 1); }

MshMaterial texturedMaterial(const char* texture) {
    MshMaterial material;
    material.textures = {texture};
    return material;
}

// ---- the creature -------------------------------------------------------------------

constexpr int kTentacles = 6;
constexpr int kSegments = 4;
constexpr double kSegmentLength = 2.2;
constexpr int kCreatureFrames = 41;  // a 4 s loop

int tentacleBone(int tentacle, int segment) { return 1 + tentacle * kSegments + segment; }

double tentacleAngle(int tentacle) { return 2 * kPi * tentacle / kTentacles + 0.3; }

// The local pose of a creature bone at the phase of its loop (phase 0: the rest pose).
Pose creaturePose(int bone, double phase, bool rest) {
    if (bone == 0) {
        if (rest) return {};
        return {Quat::about(kY, 0.15 * std::sin(phase)), {0, 0.12 * std::sin(2 * phase), 0}};
    }
    const int tentacle = (bone - 1) / kSegments, segment = (bone - 1) % kSegments;
    Pose pose;
    if (segment == 0) {
        const double angle = tentacleAngle(tentacle);
        // Leaning outwards: about the horizontal axis at right angles to the radius.
        pose.rotation = Quat::about({std::sin(angle), 0, -std::cos(angle)}, 0.45);
        pose.position = {1.7 * std::cos(angle), 4.0, 1.7 * std::sin(angle)};
    } else {
        pose.position = {0, kSegmentLength, 0};
    }
    if (rest) return pose;
    // Each segment lags behind the one below it: a wave runs up the tentacle.
    const double wave = phase + tentacle * 1.05 - segment * 0.7;
    const double amplitude = 0.18 + 0.06 * segment;
    pose.rotation = pose.rotation * Quat::about(kX, amplitude * std::sin(wave)) *
                    Quat::about(kZ, 0.7 * amplitude * std::cos(wave));
    return pose;
}

// Weights of a ring at height h along a tentacle: blended between the two nearest
// segment centres.
std::vector<MshInfluence> tentacleInfluences(int tentacle, double h) {
    const double t = h / kSegmentLength - 0.5;
    const int lower = std::clamp(static_cast<int>(std::floor(t)), 0, kSegments - 1);
    const int upper = std::min(lower + 1, kSegments - 1);
    const double f = std::clamp(t - lower, 0.0, 1.0);
    if (lower == upper || f <= 0) return {{tentacleBone(tentacle, lower), 1.0f}};
    if (f >= 1) return {{tentacleBone(tentacle, upper), 1.0f}};
    return {{tentacleBone(tentacle, lower), static_cast<float>(1 - f)},
            {tentacleBone(tentacle, upper), static_cast<float>(f)}};
}

void addTentacle(SkinnedMeshBuilder& builder, int tentacle, int material) {
    const double length = kSegments * kSegmentLength;
    std::vector<LatheRing> rings;
    const int ringsPerSegment = 3;
    for (int i = 0; i <= kSegments * ringsPerSegment; ++i) {
        const double h = length * i / (kSegments * ringsPerSegment);
        const double radius = 0.55 * (1 - 0.75 * h / length) * (1 + 0.08 * std::sin(h * 3.0));
        rings.push_back({h, radius, 0.3 + 0.7 * h / length, tentacleInfluences(tentacle, h)});
    }
    rings.push_back({length + 0.35, 0, 1, tentacleInfluences(tentacle, length)});
    builder.lathe(builder.restPose(tentacleBone(tentacle, 0)), rings, 10, material);
}

void addBody(SkinnedMeshBuilder& builder, int material) {
    std::vector<LatheRing> rings;
    const int count = 10;
    for (int i = 0; i <= count; ++i) {
        const double theta = kPi * (1.0 - static_cast<double>(i) / count);  // bottom to top
        const double radius = i == 0 || i == count ? 0.0 : 3.0 * std::sin(theta);
        rings.push_back({2.4 + 2.4 * std::cos(theta), radius, 0.3 * i / count, {{0, 1.0f}}});
    }
    builder.lathe({}, rings, 16, material);
}

// ---- the machine arm ----------------------------------------------------------------

enum ArmBone {
    kBase,
    kTurret,
    kShoulder,
    kElbow,
    kWrist,
    kHand,
    kSensor,
    kFirstFinger,  // four fingers of three joints each
    kShoulderPistonBody = kFirstFinger + 12,
    kShoulderPistonRod,
    kElbowPistonBody,
    kElbowPistonRod,
    kArmBoneCount
};
constexpr int kArmFrames = 61;  // a 6 s loop
constexpr std::array<double, 3> kPhalanx{0.7, 0.6, 0.5};

const Vec3 kShoulderAt{0, 2.0, 0};                 // in the turret's frame
const Vec3 kShoulderPistonFoot{1.2, 1.0, 0};       // on the turret
const Vec3 kShoulderPistonHead{0.45, 2.0, 0};      // on the upper arm
const Vec3 kElbowAt{0, 6.0, 0};                    // in the upper arm's frame
const Vec3 kElbowPistonFoot{0, 3.0, 0.75};         // on the upper arm
const Vec3 kElbowPistonHead{0, 1.2, 0.75};         // on the forearm
constexpr double kShoulderPiston[2] = {1.7, 1.7};  // body and rod lengths
constexpr double kElbowPiston[2] = {2.2, 2.0};

struct ArmAngles {
    double yaw, shoulder, elbow, wrist, roll, grip, sensor;
};

ArmAngles armAngles(double phase) {
    return {0.7 * std::sin(phase),
            -0.6 + 0.3 * std::sin(phase + 0.8),
            -1.2 + 0.35 * std::sin(phase + 2.0),
            -0.5 + 0.3 * std::sin(phase + 2.8),
            phase,
            0.5 + 0.5 * std::sin(2 * phase),
            0.8 * std::sin(3 * phase)};
}

// A piston from foot (in the parent's frame) to head, where a joint turning by angle
// about z at joint carries head: the body pointing at the head and the rod sliding in
// it so that its end reaches the head.
void pointPiston(Vec3 foot, Vec3 joint, double angle, Vec3 head, double rodLength, Pose& body,
                 Pose& rod) {
    const Vec3 target = joint + Quat::about(kZ, angle).rotate(head);
    const Vec3 d = target - foot;
    const double distance = std::sqrt(dot(d, d));
    body = {Quat::about(kZ, std::atan2(-d.x, d.y)), foot};
    rod = {{}, {0, distance - rodLength, 0}};
}

std::array<Pose, kArmBoneCount> armPoses(const ArmAngles& a) {
    std::array<Pose, kArmBoneCount> p;
    p[kTurret] = {Quat::about(kY, a.yaw), {0, 0.6, 0}};
    p[kShoulder] = {Quat::about(kZ, a.shoulder), kShoulderAt};
    p[kElbow] = {Quat::about(kZ, a.elbow), kElbowAt};
    p[kWrist] = {Quat::about(kZ, a.wrist), {0, 5.0, 0}};
    p[kHand] = {Quat::about(kY, a.roll), {0, 0.6, 0}};
    p[kSensor] = {Quat::about(kY, a.sensor), {0.75, 0.25, 0}};
    for (int f = 0; f < 4; ++f) {
        const double around = kPi / 2 * f + kPi / 4;
        const int first = kFirstFinger + 3 * f;
        // Turned so that local x points away from the hand's axis; z is the hinge.
        p[first] = {Quat::about(kY, around) * Quat::about(kZ, -0.45 + 0.55 * a.grip),
                    {0.45 * std::cos(around), 0.5, -0.45 * std::sin(around)}};
        for (int j = 1; j < 3; ++j)
            p[first + j] = {Quat::about(kZ, 0.15 + 0.45 * a.grip), {0, kPhalanx[j - 1], 0}};
    }
    pointPiston(kShoulderPistonFoot, kShoulderAt, a.shoulder, kShoulderPistonHead,
                kShoulderPiston[1], p[kShoulderPistonBody], p[kShoulderPistonRod]);
    pointPiston(kElbowPistonFoot, kElbowAt, a.elbow, kElbowPistonHead, kElbowPiston[1],
                p[kElbowPistonBody], p[kElbowPistonRod]);
    return p;
}

int armParent(int bone) {
    if (bone >= kFirstFinger && bone < kShoulderPistonBody)
        return (bone - kFirstFinger) % 3 == 0 ? kHand : bone - 1;
    switch (bone) {
        case kBase:
            return -1;
        case kSensor:
            return kHand;
        case kShoulderPistonBody:
            return kTurret;
        case kElbowPistonBody:
            return kShoulder;
        default:  // turret, shoulder, elbow, wrist and hand in a chain; each rod in its body
            return bone - 1;
    }
}

// A cylinder across the joint: its axis along the bone's z.
void hub(SkinnedMeshBuilder& builder, int bone, double radius, double halfWidth, int material) {
    builder.cylinder(bone, {Quat::about(kX, kPi / 2), {}}, radius, -halfWidth, halfWidth, 16,
                     material);
}

void addArmGeometry(SkinnedMeshBuilder& builder, int m) {
    builder.box(kBase, {-3, 0, -3}, {3, 0.6, 3}, m);
    builder.cylinder(kTurret, {}, 1.6, 0, 1.0, 20, m);
    builder.box(kTurret, {-0.6, 1.0, -1.0}, {0.6, 2.6, -0.62}, m);
    builder.box(kTurret, {-0.6, 1.0, 0.62}, {0.6, 2.6, 1.0}, m);
    hub(builder, kShoulder, 0.55, 0.62, m);
    builder.box(kShoulder, {-0.4, 0, -0.45}, {0.4, 6.0, 0.45}, m);
    hub(builder, kElbow, 0.5, 0.5, m);
    builder.box(kElbow, {-0.32, 0, -0.35}, {0.32, 5.0, 0.35}, m);
    hub(builder, kWrist, 0.4, 0.4, m);
    builder.box(kWrist, {-0.3, 0, -0.3}, {0.3, 0.6, 0.3}, m);
    builder.cylinder(kHand, {}, 0.75, 0, 0.5, 16, m);
    builder.box(kSensor, {-0.1, -0.15, -0.15}, {0.4, 0.15, 0.15}, m);
    for (int f = 0; f < 4; ++f)
        for (int j = 0; j < 3; ++j)
            builder.box(kFirstFinger + 3 * f + j, {-0.13, 0, -0.13}, {0.13, kPhalanx[j], 0.13}, m);
    builder.cylinder(kShoulderPistonBody, {}, 0.22, 0, kShoulderPiston[0], 12, m);
    builder.cylinder(kShoulderPistonRod, {}, 0.12, 0, kShoulderPiston[1], 10, m);
    builder.cylinder(kElbowPistonBody, {}, 0.22, 0, kElbowPiston[0], 12, m);
    builder.cylinder(kElbowPistonRod, {}, 0.12, 0, kElbowPiston[1], 10, m);
}

// ---- textures -----------------------------------------------------------------------

uint8_t channel(double value) {
    return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

// A fixed scatter of points in the unit square (no library generator: the pictures
// must be the same on every build).
double scatter(int i, int axis) {
    return std::fmod(std::fabs(std::sin(i * 12.9898 + axis * 78.233) * 43758.5453), 1.0);
}

}  // namespace

MshFile makeTentacleCreature() {
    SkinnedMeshBuilder builder;
    const int material = builder.addMaterial(texturedMaterial(kCreatureTexture));
    builder.addBone(-1, creaturePose(0, 0, true));
    for (int t = 0; t < kTentacles; ++t)
        for (int s = 0; s < kSegments; ++s)
            builder.addBone(s == 0 ? 0 : tentacleBone(t, s - 1),
                            creaturePose(tentacleBone(t, s), 0, true));
    addBody(builder, material);
    for (int t = 0; t < kTentacles; ++t) addTentacle(builder, t, material);
    builder.animate(kCreatureFrames, [](int bone, int frame) {
        return creaturePose(bone, loopPhase(frame, kCreatureFrames), false);
    });
    return builder.finish();
}

MshFile makeMachineArm() {
    SkinnedMeshBuilder builder;
    const int material = builder.addMaterial(texturedMaterial(kMachineTexture));
    const std::array<Pose, kArmBoneCount> rest = armPoses(armAngles(0));
    for (int b = 0; b < kArmBoneCount; ++b)
        builder.addBone(armParent(b), rest[static_cast<size_t>(b)]);
    addArmGeometry(builder, material);
    std::vector<std::array<Pose, kArmBoneCount>> frames;
    for (int k = 0; k < kArmFrames; ++k)
        frames.push_back(armPoses(armAngles(loopPhase(k, kArmFrames))));
    builder.animate(kArmFrames, [&](int bone, int frame) {
        return frames[static_cast<size_t>(frame)][static_cast<size_t>(bone)];
    });
    return builder.finish();
}

Image makeCreatureTexture() {
    Image image(128, 128, 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            // Texture coordinates count v from the picture's bottom row.
            const double u = (x + 0.5) / image.width, v = 1.0 - (y + 0.5) / image.height;
            // Deep teal at the body to coral at the tips, ridged around the tentacles.
            const double ridge = 0.85 + 0.15 * std::sin(u * 2 * kPi * 10);
            double r = (0.10 + 0.85 * v) * ridge, g = (0.45 - 0.2 * v) * ridge,
                   b = (0.50 - 0.1 * v) * ridge;
            for (int i = 0; i < 40; ++i) {
                const double du = u - scatter(i, 0), dv = v - scatter(i, 1);
                if (du * du + dv * dv < 0.0012) r = 0.95, g = 0.85, b = 0.55;  // pale spots
            }
            image.set(x, y, {channel(r), channel(g), channel(b)});
        }
    return image;
}

Image makeMachineTexture() {
    Image image(128, 128, 3);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const int edge = std::min({x, y, image.width - 1 - x, image.height - 1 - y});
            double r = 0.85, g = 0.62, b = 0.10;                       // painted yellow
            if (y > 100 && ((x + y) / 10) % 2 == 0) r = g = b = 0.12;  // hazard stripes
            if (edge < 5) r = g = b = 0.25 + 0.05 * edge;              // panel seams
            const int cx = x < 64 ? 12 : image.width - 13, cy = y < 64 ? 12 : image.height - 13;
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < 9) r = g = b = 0.7;  // rivets
            image.set(x, y, {channel(r), channel(g), channel(b)});
        }
    return image;
}

}  // namespace arvel::content
