#include "world/Skinning.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// Four floats in one register (SSE, NEON) through the compiler's vector extension;
// arithmetic with a scalar applies it to every lane.
using Float4 = float __attribute__((vector_size(16)));

inline Float4 load4(const float* p) {
    Float4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, Float4 v) { std::memcpy(p, &v, sizeof v); }

// The columns of the weighted sum of a position's skin matrices. Blending the
// matrices once per position and applying the blend is the same weighted sum as
// transforming by each bone and summing, at a fraction of the work per vertex.
struct Blend {
    Float4 c0, c1, c2, c3;
};

inline Blend blendInfluences(const SkinJob& job, int p) {
    Blend b{};
    const SkinInfluence* influence = job.influences + job.influenceStart[p];
    const SkinInfluence* end = job.influences + job.influenceStart[p + 1];
    for (; influence != end; ++influence) {
        const float* m = job.skinMatrices[influence->bone].m;
        const float w = influence->weight;
        b.c0 += w * load4(m);
        b.c1 += w * load4(m + 4);
        b.c2 += w * load4(m + 8);
        b.c3 += w * load4(m + 12);
    }
    return b;
}

// The direction turned by the blend and normalised (a zero result stays zero), w = 0.
inline void transformDirection(const Blend& b, const float* v, float* out) {
    Float4 d = b.c0 * v[0] + b.c1 * v[1] + b.c2 * v[2];
    d[3] = 0.0f;
    const float lengthSquared = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    if (lengthSquared > 0.0f) d *= 1.0f / std::sqrt(lengthSquared);
    store4(out, d);
}

}  // namespace

void skinMesh(SkinJob& job) {
    Vector4 low = job.boundsMin, high = job.boundsMax;
    for (int p = 0; p < job.positionCount; ++p) {
        const Blend blend = blendInfluences(job, p);
        const RenderPosition& bind = job.bindPositions[p];
        Float4 skinned = blend.c0 * bind.x + blend.c1 * bind.y + blend.c2 * bind.z + blend.c3;
        skinned[3] = 0.0f;
        store4(&job.positions[p].x, skinned);
        low.x = std::min(low.x, skinned[0]);
        low.y = std::min(low.y, skinned[1]);
        low.z = std::min(low.z, skinned[2]);
        high.x = std::max(high.x, skinned[0]);
        high.y = std::max(high.y, skinned[1]);
        high.z = std::max(high.z, skinned[2]);

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
