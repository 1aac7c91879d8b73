#include "world/Skinning.h"

#include <algorithm>
#include <cmath>

namespace arvel {

KeyPosition keyPositionAt(int keyCount, uint32_t elapsedMs) {
    KeyPosition at;
    if (keyCount <= 1) return at;
    // Whole milliseconds wrap exactly, so a multiple of the length is key 0 however
    // long the animation has run; 64 bits since the length itself may pass 2^32 ms.
    const uint64_t lengthMs = static_cast<uint64_t>(keyCount) * kMsPerKey;
    const uint64_t intoCycle = elapsedMs % lengthMs;
    const double s = static_cast<double>(intoCycle) / static_cast<double>(lengthMs) *
                     static_cast<double>(keyCount - 1);
    at.key = std::min(static_cast<int>(s), keyCount - 1);
    at.fraction = static_cast<float>(s - at.key);
    at.next = (at.key + 1) % keyCount;
    return at;
}

Vector4 interpolateLinear(const Vector4& a, const Vector4& b, float f) {
    return a * (1.0f - f) + b * f;
}

Quaternion interpolateSpherical(const Quaternion& a, const Quaternion& b, float f) {
    Quaternion to = b;
    float d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
    if (d < 0.0f) {
        to = {-b.w, -b.x, -b.y, -b.z};
        d = -d;
    }
    float wa = 1.0f - f, wb = f;
    if (1.0f - d > 0.0001f) {
        const float angle = std::acos(d);
        const float s = std::sin(angle);
        wa = std::sin((1.0f - f) * angle) / s;
        wb = std::sin(f * angle) / s;
    }
    return {wa * a.w + wb * to.w, wa * a.x + wb * to.x, wa * a.y + wb * to.y, wa * a.z + wb * to.z};
}

Vector4 sampleKeys(const Vector4* keys, int count, uint32_t elapsedMs) {
    const KeyPosition at = keyPositionAt(count, elapsedMs);
    return interpolateLinear(keys[at.key], keys[at.next], at.fraction);
}

Quaternion sampleKeys(const Quaternion* keys, int count, uint32_t elapsedMs) {
    const KeyPosition at = keyPositionAt(count, elapsedMs);
    return interpolateSpherical(keys[at.key], keys[at.next], at.fraction);
}

namespace {

// The three direction columns and the translation of a blended skin matrix. Blending
// the matrices once per position and applying the blend is the same weighted sum as
// transforming by each bone and summing, at a fraction of the work for the vertices.
struct Blend {
    float m[16];
};

inline void blendInfluences(const SkinJob& job, int p, Blend& blend) {
    std::fill(std::begin(blend.m), std::end(blend.m), 0.0f);
    const SkinInfluence* influence = job.influences + job.influenceStart[p];
    const SkinInfluence* end = job.influences + job.influenceStart[p + 1];
    for (; influence != end; ++influence) {
        const float* s = job.skinMatrices[influence->bone].m;
        const float w = influence->weight;
        for (int i = 0; i < 16; ++i) blend.m[i] += w * s[i];
    }
}

inline void transformDirection(const Blend& b, const float* v, float* out) {
    float x = b.m[0] * v[0] + b.m[4] * v[1] + b.m[8] * v[2];
    float y = b.m[1] * v[0] + b.m[5] * v[1] + b.m[9] * v[2];
    float z = b.m[2] * v[0] + b.m[6] * v[1] + b.m[10] * v[2];
    const float lengthSquared = x * x + y * y + z * z;
    if (lengthSquared > 0.0f) {
        const float scale = 1.0f / std::sqrt(lengthSquared);
        x *= scale;
        y *= scale;
        z *= scale;
    }
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = 0.0f;
}

}  // namespace

void skinMesh(SkinJob& job) {
    Vector4 low = job.boundsMin, high = job.boundsMax;
    Blend blend;
    for (int p = 0; p < job.positionCount; ++p) {
        blendInfluences(job, p, blend);
        const RenderPosition& bind = job.bindPositions[p];
        const float* m = blend.m;
        const float x = m[0] * bind.x + m[4] * bind.y + m[8] * bind.z + m[12];
        const float y = m[1] * bind.x + m[5] * bind.y + m[9] * bind.z + m[13];
        const float z = m[2] * bind.x + m[6] * bind.y + m[10] * bind.z + m[14];
        job.positions[p] = {x, y, z, 0.0f};
        low.x = std::min(low.x, x);
        low.y = std::min(low.y, y);
        low.z = std::min(low.z, z);
        high.x = std::max(high.x, x);
        high.y = std::max(high.y, y);
        high.z = std::max(high.z, z);

        for (int v = job.vertexStart[p]; v < job.vertexStart[p + 1]; ++v) {
            const SkinVertexSource& source = job.vertexSources[v];
            RenderVertex& out = job.vertices[source.vertex];
            transformDirection(blend, source.normal, out.normal);
            transformDirection(blend, source.tangent, out.tangent);
        }
    }
    job.boundsMin = low;
    job.boundsMax = high;
}

}  // namespace arvel
