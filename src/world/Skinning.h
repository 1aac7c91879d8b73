// The arithmetic of animated skinned meshes over plain arrays: where a track stands at
// a time, key interpolation, and CPU skinning of positions, normals and tangents by
// per-bone skin matrices. Nothing here knows meshes, bones or the driver's arrays
// beyond the render vertex layout it writes.
#pragma once

#include <cstdint>

#include "core/math/Matrix4.h"
#include "core/math/Vector4.h"
#include "driver/DriverTypes.h"
#include "world/SceneNode.h"

namespace arvel {

// Keys of every track are 0.1 s apart; times are whole milliseconds.
inline constexpr uint32_t kMsPerKey = 100;

// Where a track of keyCount keys stands: it blends key and next (next wraps to 0)
// with fraction 0 .. 1 of the way to next.
struct KeyPosition {
    int key = 0;
    int next = 0;
    float fraction = 0.0f;
};

// The track's time runs over keyCount x 100 ms and repeats; within it the keys are
// spread over the whole length, so the last key is reached just as the time wraps
// back to key 0. Whole multiples of the length give key 0 exactly. keyCount >= 1.
KeyPosition keyPositionAt(int keyCount, uint32_t elapsedMs);

// Milliseconds since start on a 32-bit tick counter, right across its wrap.
inline uint32_t elapsedSince(uint32_t startMs, uint32_t nowMs) { return nowMs - startMs; }

// (1 - f) a + f b, all four components.
Vector4 interpolateLinear(const Vector4& a, const Vector4& b, float f);
// Spherical interpolation the short way round: b is negated when it lies in the other
// hemisphere of a; nearly equal keys are blended linearly. The result is not
// renormalised.
Quaternion interpolateSpherical(const Quaternion& a, const Quaternion& b, float f);

// Sampling a track of count keys (count >= 1) elapsedMs after its start.
Vector4 sampleKeys(const Vector4* keys, int count, uint32_t elapsedMs);
Quaternion sampleKeys(const Quaternion* keys, int count, uint32_t elapsedMs);

// One bone moving a position, by weight.
struct SkinInfluence {
    int32_t bone = 0;
    float weight = 0.0f;
};

// A render vertex's bind-pose frame, stored in the order skinning visits vertices:
// grouped by the position they stand on, so each position's blend is reused at once.
struct SkinVertexSource {
    int32_t vertex = 0;  // index into the output vertices
    float normal[3] = {0.0f, 0.0f, 0.0f};
    float tangent[3] = {0.0f, 0.0f, 0.0f};
};

// Preconditions: every bone index is below the number of skin matrices, every vertex
// index below the number of output vertices, both start tables have positionCount + 1
// ascending entries beginning at 0. The output positions may be the bind positions
// themselves; nothing else may overlap.
struct SkinJob {
    // input
    int positionCount = 0;
    const RenderPosition* bindPositions = nullptr;
    const int32_t* influenceStart = nullptr;  // influences of p: [start[p], start[p + 1])
    const SkinInfluence* influences = nullptr;
    const Matrix4* skinMatrices = nullptr;
    const int32_t* vertexStart = nullptr;  // vertex sources of p: [start[p], start[p + 1])
    const SkinVertexSource* vertexSources = nullptr;

    // output
    RenderPosition* positions = nullptr;  // skinned positions, w = 0
    RenderVertex* vertices = nullptr;     // normal and tangent rewritten, the rest untouched
    // in/out: grown by every skinned position
    Vector4 boundsMin{kNoHit, kNoHit, kNoHit, 0.0f};
    Vector4 boundsMax{-kNoHit, -kNoHit, -kNoHit, 0.0f};
};

// Each position becomes the weighted sum of its bind position transformed by the skin
// matrices of its bones (the origin without influences); the normal and tangent of
// every vertex on it become the same weighted sum of their transformed directions,
// normalised (a zero result stays zero).
void skinMesh(SkinJob& job);

}  // namespace arvel
