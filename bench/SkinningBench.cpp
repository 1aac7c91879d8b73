// CPU skinning, as every drawn dynamic-mesh instance does it each frame: skinned
// vertices per second on one core with four influences per position and one vertex
// per position, against a pass that moves exactly the same bytes with next to no
// arithmetic (what the memory traffic alone allows). Sizes: a character that fits in
// the caches, and meshes that do not.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "shared/SkinArrays.h"
#include "world/Skinning.h"

namespace {

using namespace arvel;

constexpr int kInfluences = 4;
constexpr int kBones = 32;

struct SkinData : test::SkinArrays {
    explicit SkinData(int count) {
        std::mt19937 random(11);
        std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
        std::uniform_int_distribution<int> bone(0, kBones - 1);
        for (int b = 0; b < kBones; ++b) {
            Quaternion q{unit(random), unit(random), unit(random), unit(random)};
            q = q.normalized();
            Matrix4 m;
            m.m[0] = 1 - 2 * (q.y * q.y + q.z * q.z);
            m.m[1] = 2 * (q.x * q.y + q.z * q.w);
            m.m[2] = 2 * (q.x * q.z - q.y * q.w);
            m.m[4] = 2 * (q.x * q.y - q.z * q.w);
            m.m[5] = 1 - 2 * (q.x * q.x + q.z * q.z);
            m.m[6] = 2 * (q.y * q.z + q.x * q.w);
            m.m[8] = 2 * (q.x * q.z + q.y * q.w);
            m.m[9] = 2 * (q.y * q.z - q.x * q.w);
            m.m[10] = 1 - 2 * (q.x * q.x + q.y * q.y);
            m.m[12] = unit(random);
            m.m[13] = unit(random);
            m.m[14] = unit(random);
            skin.push_back(m);
        }
        influenceStart.push_back(0);
        vertexStart.push_back(0);
        for (int p = 0; p < count; ++p) {
            bind.push_back({unit(random), unit(random), unit(random), 0.0f});
            for (int k = 0; k < kInfluences; ++k)
                influences.push_back({bone(random), 1.0f / kInfluences});
            influenceStart.push_back(static_cast<int32_t>(influences.size()));
            SkinVertexSource source;
            source.vertex = p;
            source.normal[2] = 1.0f;
            source.tangent[0] = 1.0f;
            sources.push_back(source);
            vertexStart.push_back(p + 1);
        }
        positions.resize(static_cast<size_t>(count));
        vertices.resize(static_cast<size_t>(count));
        for (int p = 0; p < count; ++p)
            vertices[static_cast<size_t>(p)].position = &positions[static_cast<size_t>(p)];
    }
};

// Bytes one position with its vertex reads and writes: bind position, two start
// entries, four influences and the vertex source in; the position and the vertex's
// cache lines (read for ownership, then written) out.
constexpr int64_t kBytesPerVertex = 16 + 4 + 4 + kInfluences * 8 + 28 + 16 + 2 * 56;

void setCounters(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * state.range(0) * kBytesPerVertex);
}

void Skin(benchmark::State& state) {
    SkinData data(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SkinJob job = data.job();
        skinMesh(job);
        benchmark::DoNotOptimize(job.boundsMax);
        benchmark::ClobberMemory();
    }
    setCounters(state);
}

// The same loads and stores as skinning, with a weight sum in place of the matrices.
void TouchSameBytes(benchmark::State& state) {
    SkinData data(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SkinJob job = data.job();
        for (int p = 0; p < job.positionCount; ++p) {
            float weights = 0.0f;
            for (int i = job.influenceStart[p]; i < job.influenceStart[p + 1]; ++i)
                weights += job.influences[i].weight + static_cast<float>(job.influences[i].bone);
            const RenderPosition& b = job.bindPositions[p];
            job.positions[p] = {b.x * weights, b.y, b.z, 0.0f};
            for (int v = job.vertexStart[p]; v < job.vertexStart[p + 1]; ++v) {
                const SkinVertexSource& source = job.vertexSources[v];
                RenderVertex& out = job.vertices[source.vertex];
                for (int k = 0; k < 3; ++k) {
                    out.normal[k] = source.normal[k];
                    out.tangent[k] = source.tangent[k];
                }
                out.normal[3] = out.tangent[3] = 0.0f;
            }
        }
        benchmark::ClobberMemory();
    }
    setCounters(state);
}

}  // namespace

BENCHMARK(Skin)->Arg(4096)->Arg(65536)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(TouchSameBytes)->Arg(4096)->Arg(65536)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
