#include "ImportSkeleton.h"

#include <algorithm>
#include <cmath>

namespace arvel::content {

namespace {

constexpr double kFrameSeconds = 0.1;
// An hour of frames: beyond that a duration is taken to be broken.
constexpr int kMaxFrames = 36000;
// Ticks per second where the file gives none (assimp's own default).
constexpr double kDefaultTicksPerSecond = 25.0;

void collect(const aiNode* node, const std::set<const aiNode*>& needed,
             std::set<const aiNode*>& kept) {
    if (needed.count(node))
        for (const aiNode* n = node; n && kept.insert(n).second; n = n->mParent) {
        }
    for (unsigned i = 0; i < node->mNumChildren; ++i) collect(node->mChildren[i], needed, kept);
}

void order(const aiNode* node, int parent, const std::set<const aiNode*>& kept,
           ImportSkeleton& skeleton) {
    if (!kept.count(node)) return;
    const int index = static_cast<int>(skeleton.nodes.size());
    skeleton.nodes.push_back(node);
    skeleton.parents.push_back(parent);
    skeleton.index[node] = index;
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        order(node->mChildren[i], index, kept, skeleton);
}

aiVector3D lerp(const aiVector3D& a, const aiVector3D& b, float f) { return a + (b - a) * f; }

// The time within the keys' span that a time outside it maps to. Exporters leave the
// behaviour at "default" (the node's own transform) while meaning the nearest key: a
// channel whose first key comes a frame late, or that holds one key, would otherwise
// snap to the bind pose. Only repeating channels wrap.
template <typename Key>
double keyTime(const Key* keys, unsigned count, aiAnimBehaviour before, aiAnimBehaviour after,
               double time) {
    const double first = keys[0].mTime;
    const double last = keys[count - 1].mTime;
    if (time >= first && time <= last) return time;
    const aiAnimBehaviour behaviour = time < first ? before : after;
    if (behaviour == aiAnimBehaviour_REPEAT && last > first) {
        time = first + std::fmod(time - first, last - first);
        return time < first ? time + (last - first) : time;
    }
    return std::clamp(time, first, last);
}

// The two keys around time and the blend between them.
template <typename Key>
void bracket(const Key* keys, unsigned count, double time, unsigned& a, unsigned& b, float& f) {
    const Key* end = keys + count;
    const Key* upper =
        std::upper_bound(keys, end, time, [](double t, const Key& key) { return t < key.mTime; });
    if (upper == keys) {
        a = b = 0;
        f = 0;
        return;
    }
    if (upper == end) {
        a = b = count - 1;
        f = 0;
        return;
    }
    b = static_cast<unsigned>(upper - keys);
    a = b - 1;
    const double span = keys[b].mTime - keys[a].mTime;
    f = span > 0 ? static_cast<float>((time - keys[a].mTime) / span) : 0.0f;
}

aiVector3D sampleVectors(const aiVectorKey* keys, unsigned count, const aiNodeAnim& channel,
                         double time, const aiVector3D& fallback) {
    if (count == 0) return fallback;
    time = keyTime(keys, count, channel.mPreState, channel.mPostState, time);
    unsigned a, b;
    float f;
    bracket(keys, count, time, a, b, f);
    return lerp(keys[a].mValue, keys[b].mValue, f);
}

aiQuaternion sampleRotations(const aiNodeAnim& channel, double time, const aiQuaternion& fallback) {
    const unsigned count = channel.mNumRotationKeys;
    const aiQuatKey* keys = channel.mRotationKeys;
    if (count == 0) return fallback;
    time = keyTime(keys, count, channel.mPreState, channel.mPostState, time);
    unsigned a, b;
    float f;
    bracket(keys, count, time, a, b, f);
    aiQuaternion q;
    aiQuaternion::Interpolate(q, keys[a].mValue, keys[b].mValue, f);
    return q.Normalize();
}

// Translation x rotation x scale: the scale along the node's own axes. (assimp's own
// constructor from these three scales the rows instead.)
aiMatrix4x4 composeTransform(const aiVector3D& position, const aiQuaternion& rotation,
                             const aiVector3D& scaling) {
    aiMatrix4x4 m(rotation.GetMatrix());
    for (unsigned r = 0; r < 3; ++r) {
        m[r][0] *= scaling.x;
        m[r][1] *= scaling.y;
        m[r][2] *= scaling.z;
    }
    m.a4 = position.x;
    m.b4 = position.y;
    m.c4 = position.z;
    return m;
}

// The node's transform at time: channel values where it has keys, its own elsewhere.
aiMatrix4x4 channelTransform(const aiNodeAnim& channel, const aiMatrix4x4& own, double time) {
    aiVector3D scaling, position;
    aiQuaternion rotation;
    own.Decompose(scaling, rotation, position);
    position =
        sampleVectors(channel.mPositionKeys, channel.mNumPositionKeys, channel, time, position);
    rotation = sampleRotations(channel, time, rotation);
    scaling = sampleVectors(channel.mScalingKeys, channel.mNumScalingKeys, channel, time, scaling);
    return composeTransform(position, rotation, scaling);
}

void addKey(MshBoneKeys& keys, const aiMatrix4x4& local, SampleContext& context) {
    const BoneKey key = decomposeTransform(local);
    if (key.approximated) ++context.approximatedKeys;
    keys.positions.push_back(key.position);
    keys.rotations.push_back(key.rotation);
    keys.scales.push_back(key.scale);
}

double tickRate(const aiAnimation& animation, const std::string& name, SampleContext& context) {
    if (animation.mTicksPerSecond > 0) return animation.mTicksPerSecond;
    context.dropped->push_back("animation " + name + " gives no tick rate: " +
                               std::to_string(static_cast<int>(kDefaultTicksPerSecond)) +
                               " ticks a second assumed");
    return kDefaultTicksPerSecond;
}

// The ticks the animation lasts: its duration, or its last key when it gives none.
double durationTicks(const aiAnimation& animation) {
    double ticks = animation.mDuration;
    if (ticks > 0) return ticks;
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim& ch = *animation.mChannels[c];
        if (ch.mNumPositionKeys)
            ticks = std::max(ticks, ch.mPositionKeys[ch.mNumPositionKeys - 1].mTime);
        if (ch.mNumRotationKeys)
            ticks = std::max(ticks, ch.mRotationKeys[ch.mNumRotationKeys - 1].mTime);
        if (ch.mNumScalingKeys)
            ticks = std::max(ticks, ch.mScalingKeys[ch.mNumScalingKeys - 1].mTime);
    }
    return ticks;
}

// The ticks before the animation's first key: Blender's exporters start an action
// at its first frame, 1/24 s in, and the loop should not hold its first pose that long.
double leadTicks(const aiAnimation& animation, double duration) {
    double first = duration;
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim& ch = *animation.mChannels[c];
        if (ch.mNumPositionKeys) first = std::min(first, ch.mPositionKeys[0].mTime);
        if (ch.mNumRotationKeys) first = std::min(first, ch.mRotationKeys[0].mTime);
        if (ch.mNumScalingKeys) first = std::min(first, ch.mScalingKeys[0].mTime);
    }
    return first > 0 && first < duration ? first : 0.0;
}

std::string nameOf(const aiAnimation& animation, int fallbackIndex) {
    if (animation.mName.length > 0) return "\"" + std::string(animation.mName.C_Str()) + "\"";
    return "#" + std::to_string(fallbackIndex);
}

// The channel of each bone (null where none); notes what the bones cannot take.
std::vector<const aiNodeAnim*> channelsByBone(const aiAnimation& animation, const std::string& name,
                                              SampleContext& context) {
    const ImportSkeleton& skeleton = *context.skeleton;
    std::vector<const aiNodeAnim*> channels(skeleton.nodes.size(), nullptr);
    std::map<std::string, int> boneByName;
    for (size_t i = skeleton.nodes.size(); i-- > 0;)
        boneByName[skeleton.nodes[i]->mName.C_Str()] = static_cast<int>(i);
    bool linear = false;
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
        const aiNodeAnim* channel = animation.mChannels[c];
        const auto found = boneByName.find(channel->mNodeName.C_Str());
        if (found == boneByName.end()) {
            context.dropped->push_back("animation " + name + ": keys of node \"" +
                                       channel->mNodeName.C_Str() + "\", which moves no geometry");
            continue;
        }
        if (channels[static_cast<size_t>(found->second)]) {
            context.dropped->push_back("animation " + name + ": a second channel for node \"" +
                                       std::string(channel->mNodeName.C_Str()) + "\"");
            continue;
        }
        channels[static_cast<size_t>(found->second)] = channel;
        linear = linear || channel->mPreState == aiAnimBehaviour_LINEAR ||
                 channel->mPostState == aiAnimBehaviour_LINEAR;
    }
    if (linear)
        context.dropped->push_back("animation " + name +
                                   ": linear extrapolation beyond the keys (held at the end keys)");
    if (animation.mNumMeshChannels > 0)
        context.dropped->push_back("animation " + name + ": " +
                                   std::to_string(animation.mNumMeshChannels) +
                                   " vertex-animation channels");
    if (animation.mNumMorphMeshChannels > 0)
        context.dropped->push_back("animation " + name + ": " +
                                   std::to_string(animation.mNumMorphMeshChannels) +
                                   " morph-target channels");
    return channels;
}

aiMatrix4x4 boneLocal(const SampleContext& context, size_t bone, const aiMatrix4x4& local) {
    return context.skeleton->parents[bone] < 0 ? context.rootFrame * local : local;
}

}  // namespace

int ImportSkeleton::boneOf(const aiNode* node) const {
    const auto found = index.find(node);
    return found == index.end() ? -1 : found->second;
}

ImportSkeleton buildSkeleton(const aiNode* root, const std::set<const aiNode*>& needed) {
    std::set<const aiNode*> kept;
    collect(root, needed, kept);
    ImportSkeleton skeleton;
    order(root, -1, kept, skeleton);
    return skeleton;
}

void linkBones(const ImportSkeleton& skeleton, std::vector<MshBone>& bones) {
    for (size_t i = 0; i < skeleton.parents.size(); ++i)
        if (skeleton.parents[i] >= 0)
            bones[static_cast<size_t>(skeleton.parents[i])].children.push_back(
                static_cast<int32_t>(i));
}

MshRotationKey rotationKey(const aiQuaternion& q) {
    // The loader builds (cos(-angle/2), sin(-angle/2) axis): the angle goes in negated.
    const double length = std::sqrt(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z);
    MshRotationKey key;
    if (length < 1e-9) return key;  // identity: angle 0
    key.angle = static_cast<float>(-2.0 * std::atan2(length, double(q.w)));
    key.axis = {static_cast<float>(q.x / length), static_cast<float>(q.y / length),
                static_cast<float>(q.z / length)};
    return key;
}

BoneKey decomposeTransform(const aiMatrix4x4& m) {
    // The engine rebuilds a bone as scale-after-rotation (each row of the rotation
    // scaled); the rows' lengths are the scale and the rest is made orthonormal.
    double rows[3][3] = {{m.a1, m.a2, m.a3}, {m.b1, m.b2, m.b3}, {m.c1, m.c2, m.c3}};
    double scale[3];
    for (int r = 0; r < 3; ++r)
        scale[r] =
            std::sqrt(rows[r][0] * rows[r][0] + rows[r][1] * rows[r][1] + rows[r][2] * rows[r][2]);
    const double det = rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1]) -
                       rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0]) +
                       rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
    if (det < 0) scale[0] = -scale[0];  // a mirror: one negative scale, a proper rotation
    double r[3][3];
    bool degenerate = false;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(scale[i]) < 1e-12) {
            degenerate = true;
            for (int c = 0; c < 3; ++c) r[i][c] = i == c ? 1.0 : 0.0;
        } else {
            for (int c = 0; c < 3; ++c) r[i][c] = rows[i][c] / scale[i];
        }
    }
    // Gram-Schmidt: row 0, row 1 without its row-0 part, row 2 = row 0 x row 1.
    auto normalize = [](double* v) {
        const double n = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (n > 1e-12)
            for (int c = 0; c < 3; ++c) v[c] /= n;
        return n > 1e-12;
    };
    bool ok = normalize(r[0]);
    const double d = r[1][0] * r[0][0] + r[1][1] * r[0][1] + r[1][2] * r[0][2];
    for (int c = 0; c < 3; ++c) r[1][c] -= d * r[0][c];
    ok = normalize(r[1]) && ok;
    r[2][0] = r[0][1] * r[1][2] - r[0][2] * r[1][1];
    r[2][1] = r[0][2] * r[1][0] - r[0][0] * r[1][2];
    r[2][2] = r[0][0] * r[1][1] - r[0][1] * r[1][0];

    BoneKey key;
    if (!ok) {
        degenerate = true;
        for (int i = 0; i < 3; ++i)
            for (int c = 0; c < 3; ++c) r[i][c] = i == c ? 1.0 : 0.0;
    }
    double error = 0, largest = 1e-6;
    for (int i = 0; i < 3; ++i) {
        largest = std::max(largest, std::fabs(scale[i]));
        for (int c = 0; c < 3; ++c)
            error = std::max(error, std::fabs(scale[i] * r[i][c] - rows[i][c]));
    }
    key.approximated = degenerate || error > 1e-3 * largest;
    const aiMatrix3x3 rotation(static_cast<ai_real>(r[0][0]), static_cast<ai_real>(r[0][1]),
                               static_cast<ai_real>(r[0][2]), static_cast<ai_real>(r[1][0]),
                               static_cast<ai_real>(r[1][1]), static_cast<ai_real>(r[1][2]),
                               static_cast<ai_real>(r[2][0]), static_cast<ai_real>(r[2][1]),
                               static_cast<ai_real>(r[2][2]));
    key.rotation = rotationKey(aiQuaternion(rotation).Normalize());
    key.position = {m.a4, m.b4, m.c4};
    key.scale = {static_cast<float>(scale[0]), static_cast<float>(scale[1]),
                 static_cast<float>(scale[2])};
    return key;
}

int frameCountFor(double seconds) {
    if (!(seconds > 0)) return 1;
    if (seconds >= kMaxFrames * kFrameSeconds) return kMaxFrames;
    return std::max(2, static_cast<int>(std::lround(seconds / kFrameSeconds)));
}

MshAnimation sampleAnimation(const aiAnimation& animation, int index, SampleContext& context) {
    const std::string name = nameOf(animation, index);
    const double rate = tickRate(animation, name, context);
    const double end = durationTicks(animation);
    const double start = leadTicks(animation, end);
    const double ticks = end - start;
    const int frames = frameCountFor(ticks / rate);
    if (frames == kMaxFrames && ticks / rate > kMaxFrames * kFrameSeconds)
        context.dropped->push_back("animation " + name + ": everything after its first hour");
    const std::vector<const aiNodeAnim*> channels = channelsByBone(animation, name, context);

    const ImportSkeleton& skeleton = *context.skeleton;
    MshAnimation result;
    result.frameCount = frames;
    result.bones.resize(skeleton.nodes.size());
    for (size_t b = 0; b < skeleton.nodes.size(); ++b) {
        const aiMatrix4x4& own = skeleton.nodes[b]->mTransformation;
        for (int k = 0; k < frames; ++k) {
            // The loader stretches frameCount keys over frameCount x 0.1 s from the
            // first to the last: key k stands for that fraction of the duration.
            const double time = start + (frames > 1 ? ticks * k / (frames - 1) : 0.0);
            const aiMatrix4x4 local = channels[b] ? channelTransform(*channels[b], own, time) : own;
            addKey(result.bones[b], boneLocal(context, b, local), context);
        }
    }
    return result;
}

MshAnimation restPose(SampleContext& context) {
    const ImportSkeleton& skeleton = *context.skeleton;
    MshAnimation result;
    result.frameCount = 1;
    result.bones.resize(skeleton.nodes.size());
    for (size_t b = 0; b < skeleton.nodes.size(); ++b)
        addKey(result.bones[b], boneLocal(context, b, skeleton.nodes[b]->mTransformation), context);
    return result;
}

}  // namespace arvel::content
