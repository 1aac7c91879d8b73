// The skeleton and animation half of the importer: which scene nodes become bones,
// and keys sampled from assimp's channels at the format's 0.1 s frames.
#pragma once

#include <assimp/anim.h>
#include <assimp/scene.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "MshWriter.h"

namespace arvel::content {

struct ImportSkeleton {
    std::vector<const aiNode*> nodes;  // bone order: every parent before its children
    std::vector<int> parents;          // -1 for the root
    std::map<const aiNode*, int> index;

    int boneOf(const aiNode* node) const;  // -1 when the node is no bone
};

// The needed nodes and all their ancestors, in depth-first order from the root.
ImportSkeleton buildSkeleton(const aiNode* root, const std::set<const aiNode*>& needed);

// Links each bone to its children in the mesh's bone list.
void linkBones(const ImportSkeleton& skeleton, std::vector<MshBone>& bones);

// A node transform in the engine's terms: translation, then a rotation key that the
// loader turns back into this rotation, and a scale along the parent's axes.
struct BoneKey {
    std::array<float, 3> position{0, 0, 0};
    MshRotationKey rotation;
    std::array<float, 3> scale{1, 1, 1};
    bool approximated = false;  // a shear (non-uniform scale under rotation) was lost
};
BoneKey decomposeTransform(const aiMatrix4x4& m);
// The key whose quaternion the loader rebuilds as q (or -q, the same rotation).
MshRotationKey rotationKey(const aiQuaternion& q);

struct SampleContext {
    const ImportSkeleton* skeleton = nullptr;
    // Puts the root bone into model space: the model's scale times the rest transform
    // of whatever lies above the root.
    aiMatrix4x4 rootFrame;
    std::vector<std::string>* dropped = nullptr;
    int approximatedKeys = 0;
};

// Frames for the animation: its length over 0.1 s, at least two when it has a length.
int frameCountFor(double seconds);
// The animation resampled to frames 0.1 s apart from its first key to its end; its
// last key is the pose at its end.
// index names it in messages when it has no name.
MshAnimation sampleAnimation(const aiAnimation& animation, int index, SampleContext& context);
// One frame holding every node's own transform.
MshAnimation restPose(SampleContext& context);

}  // namespace arvel::content
