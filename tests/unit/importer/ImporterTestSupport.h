// What the importer tests share: the game's own loader set up over a temporary folder
// (the recording driver handing out a vertex array, the zone and the render queue, a
// compiled "dynamic_default.rt"), meshes loaded from writer structures and posed at
// a chosen time, and checks of the loaded geometry.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "MshWriter.h"
#include "core/Clock.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
#include "world/MeshInstance.h"

#ifdef ARVEL_HAVE_IMPORTER
#include <assimp/scene.h>

#include "ModelImporter.h"
#endif

namespace arvel::test {

class LoaderTest : public ::testing::Test {
protected:
    LoaderTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        zone().create();
        createRenderQueue();
        fileSystem().clear();
        EXPECT_TRUE(mountFolder(folder));
        static char storage;
        driver.setResult("dVAAlloc", reinterpret_cast<DVertexArray*>(&storage));
        auto* technique = new RenderTechnique(kTechnique, nullptr, nullptr);
        technique->compile("Ambient { impl { Pass { } } }");
        techniques.add(technique);
        auto* statics = new RenderTechnique("static_default.rt", nullptr, nullptr);
        statics->compile("Ambient { impl { Pass { } } }");
        techniques.add(statics);
    }
    ~LoaderTest() override {
        instances_.clear();
        meshes.clear();
        fileSystem().clear();
        destroyRenderQueue();
        zone().destroy();
    }

    // An instance of the mesh written from file, loaded by the game's loader (the
    // fixture keeps it). Textures are not resolved: no texture registry.
    MeshInstance& load(const content::MshFile& file, const std::string& name) {
        folder.write(name, content::mshBytes(file));
        instances_.push_back(loadDynamicMesh(meshes, nullptr, &techniques, name.c_str()));
        return *instances_.back();
    }

public:
    // Poses and skins the instance at ms milliseconds into animation.
    static void poseAt(MeshInstance& instance, int animation, uint32_t ms) {
        frameClock().set(0);
        instance.setAnimation(animation);
        frameClock().set(ms);
        instance.update();
        instance.skin();
    }

protected:
    static constexpr const char* kTechnique = "dynamic_default.rt";

    TempDir folder;
    RecordingDriver driver;
    ResourceRegistry techniques;
    ResourceRegistry meshes;

private:
    std::vector<std::unique_ptr<MeshInstance>> instances_;
};

// Every edge of the loaded mesh has exactly two faces: the mesh is closed and its
// faces agree on their winding (neighbours run along a shared edge in opposite
// directions). Returns the number of edges that break this.
inline int openOrMismatchedEdges(const Mesh& mesh) {
    int bad = 0;
    for (int i = 0; i < mesh.edgeCount(); ++i)
        if (mesh.edge(i).faceCount != 2) ++bad;
    return bad;
}

// Faces whose corners, taken counter-clockwise, face away from their own vertex
// normals.
inline int facesAgainstTheirNormals(const Mesh& mesh) {
    int against = 0;
    for (int f = 0; f < mesh.faceCount(); ++f) {
        const MeshFace& face = mesh.face(f);
        const Vector4 a = face.cornerPoint(0), b = face.cornerPoint(1), c = face.cornerPoint(2);
        const Vector4 n = cross3(b - a, c - a);
        Vector4 normals{};
        for (const MeshVertex* v : face.corners) normals = normals + v->normalVector();
        if (dot3(n, normals) < 0) ++against;
    }
    return against;
}

// The volume the faces enclose: positive when they face outwards.
inline double enclosedVolume(const Mesh& mesh) {
    double volume = 0;
    for (int f = 0; f < mesh.faceCount(); ++f) {
        const MeshFace& face = mesh.face(f);
        const Vector4 a = face.cornerPoint(0), b = face.cornerPoint(1), c = face.cornerPoint(2);
        volume += dot3(a, cross3(b, c)) / 6.0;
    }
    return volume;
}

#ifdef ARVEL_HAVE_IMPORTER
// ---- assimp's own pose, for comparison ----------------------------------------------

template <typename Key>
inline void bracket(const Key* keys, unsigned count, double time, unsigned& a, unsigned& b,
                    float& f) {
    a = b = 0;
    f = 0;
    if (time <= keys[0].mTime) return;
    a = b = count - 1;
    if (time >= keys[count - 1].mTime) return;
    for (b = 1; keys[b].mTime < time; ++b) {
    }
    a = b - 1;
    f = static_cast<float>((time - keys[a].mTime) / (keys[b].mTime - keys[a].mTime));
}

// A node's transform at time ticks: keys where the channel has them (held beyond its
// ends), the node's own parts elsewhere; translation x rotation x scale.
inline aiMatrix4x4 channelMatrix(const aiNodeAnim& channel, double ticks, const aiMatrix4x4& own) {
    aiVector3D scaling, position;
    aiQuaternion rotation;
    own.Decompose(scaling, rotation, position);
    unsigned a, b;
    float f;
    if (channel.mNumPositionKeys > 0) {
        bracket(channel.mPositionKeys, channel.mNumPositionKeys, ticks, a, b, f);
        position = channel.mPositionKeys[a].mValue * (1 - f) + channel.mPositionKeys[b].mValue * f;
    }
    if (channel.mNumRotationKeys > 0) {
        bracket(channel.mRotationKeys, channel.mNumRotationKeys, ticks, a, b, f);
        aiQuaternion::Interpolate(rotation, channel.mRotationKeys[a].mValue,
                                  channel.mRotationKeys[b].mValue, f);
        rotation.Normalize();
    }
    if (channel.mNumScalingKeys > 0) {
        bracket(channel.mScalingKeys, channel.mNumScalingKeys, ticks, a, b, f);
        scaling = channel.mScalingKeys[a].mValue * (1 - f) + channel.mScalingKeys[b].mValue * f;
    }
    aiMatrix4x4 t, r(rotation.GetMatrix()), s;
    aiMatrix4x4::Translation(position, t);
    aiMatrix4x4::Scaling(scaling, s);
    return t * r * s;
}

struct ScenePose {
    std::map<const aiNode*, aiMatrix4x4> globals;
    std::map<std::string, const aiNode*> byName;  // the first node of a name, depth first
};

inline void poseNodes(const aiNode* node, const aiMatrix4x4& parent, const aiAnimation* animation,
                      double ticks, ScenePose& pose) {
    aiMatrix4x4 local = node->mTransformation;
    for (unsigned c = 0; animation && c < animation->mNumChannels; ++c)
        if (animation->mChannels[c]->mNodeName == node->mName) {
            local = channelMatrix(*animation->mChannels[c], ticks, local);
            break;
        }
    pose.globals[node] = parent * local;
    pose.byName.emplace(node->mName.C_Str(), node);
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        poseNodes(node->mChildren[i], pose.globals[node], animation, ticks, pose);
}

// Where assimp's skinning puts every vertex (the sum over its bones of weight x the
// bone node's global x offset, the four largest weights kept), in the order the
// importer writes vertices: each node's meshes, nodes depth first. Unweighted
// vertices and meshes without bones move with their node.
inline void placeVertices(const aiScene& scene, const aiNode* node, const ScenePose& pose,
                          std::vector<aiVector3D>& out) {
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh& mesh = *scene.mMeshes[node->mMeshes[m]];
        if (!(mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) || mesh.mNumFaces == 0) continue;
        std::vector<std::vector<content::MshInfluence>> weights(mesh.mNumVertices);
        std::vector<aiMatrix4x4> skin;
        for (unsigned b = 0; b < mesh.mNumBones; ++b) {
            const aiBone& bone = *mesh.mBones[b];
            const auto found = pose.byName.find(bone.mName.C_Str());
            if (found == pose.byName.end()) continue;
            skin.push_back(pose.globals.at(found->second) * bone.mOffsetMatrix);
            for (unsigned w = 0; w < bone.mNumWeights; ++w)
                weights[bone.mWeights[w].mVertexId].push_back(
                    {static_cast<int32_t>(skin.size() - 1), bone.mWeights[w].mWeight});
        }
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            content::limitInfluences(weights[v]);
            aiVector3D p(0, 0, 0);
            for (const content::MshInfluence& w : weights[v])
                p += (skin[static_cast<size_t>(w.bone)] * mesh.mVertices[v]) * w.weight;
            if (weights[v].empty()) p = pose.globals.at(node) * mesh.mVertices[v];
            out.push_back(p);
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        placeVertices(scene, node->mChildren[i], pose, out);
}

inline std::vector<aiVector3D> assimpPoints(const aiScene& scene, const aiAnimation* animation,
                                            double ticks) {
    ScenePose pose;
    poseNodes(scene.mRootNode, aiMatrix4x4(), animation, ticks, pose);
    std::vector<aiVector3D> points;
    placeVertices(scene, scene.mRootNode, pose, points);
    return points;
}

inline float extent(const std::vector<aiVector3D>& points) {
    aiVector3D lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
    for (const aiVector3D& p : points)
        for (unsigned c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], p[c]);
            hi[c] = std::max(hi[c], p[c]);
        }
    return (hi - lo).Length();
}

// The time of the animation's earliest key, in ticks.
inline double firstKey(const aiAnimation& animation) {
    double first = animation.mDuration;
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim& ch = *animation.mChannels[c];
        for (double t : {ch.mNumPositionKeys ? ch.mPositionKeys[0].mTime : first,
                         ch.mNumRotationKeys ? ch.mRotationKeys[0].mTime : first,
                         ch.mNumScalingKeys ? ch.mScalingKeys[0].mTime : first})
            first = std::min(first, t);
    }
    return std::max(first, 0.0);
}

// How long the animation plays: from its first key to its end.
inline double seconds(const aiAnimation& animation) {
    return (animation.mDuration - firstKey(animation)) /
           (animation.mTicksPerSecond > 0 ? animation.mTicksPerSecond : 25);
}

// The farthest any vertex of the imported mesh lies from its place in expected (one
// point per vertex, as assimpPoints gives them) after the instance was skinned.
inline float farthestFrom(const MeshInstance& instance, const content::MshFile& mesh,
                          const std::vector<aiVector3D>& expected) {
    EXPECT_EQ(expected.size(), mesh.vertices.size());
    float worst = 0;
    for (size_t v = 0; v < std::min(expected.size(), mesh.vertices.size()); ++v) {
        const RenderPosition& p =
            instance.positions()[static_cast<size_t>(mesh.vertices[v].position)];
        worst = std::max(worst, (aiVector3D(p.x, p.y, p.z) - expected[v]).Length());
    }
    return worst;
}

// Skins the instance at key 0, a third and two thirds of the animation and expects
// every vertex within 0.2% of the model's size of where assimp's pose puts it.
inline void expectAssimpsPoseAtEveryThird(MeshInstance& instance, const content::MshFile& mesh,
                                          const aiScene& scene, int animation) {
    const aiAnimation& source = *scene.mAnimations[animation];
    const int n = instance.mesh().animation(animation).frameCount;
    const double start = firstKey(source);
    for (int k : {0, n / 3, 2 * n / 3}) {
        // Key k plays at k / (n - 1) of the loop's n x 0.1 s and holds the source's
        // pose at the same fraction of its span from the first key to the end.
        const double fraction = n > 1 ? static_cast<double>(k) / (n - 1) : 0.0;
        LoaderTest::poseAt(instance, animation,
                           static_cast<uint32_t>(std::lround(fraction * n * 100)));
        const std::vector<aiVector3D> expected =
            assimpPoints(scene, &source, start + fraction * (source.mDuration - start));
        EXPECT_LT(farthestFrom(instance, mesh, expected), 0.002f * extent(expected) + 1e-4f)
            << "animation " << animation << ", key " << k << " of " << n;
    }
}

#endif  // ARVEL_HAVE_IMPORTER

}  // namespace arvel::test
