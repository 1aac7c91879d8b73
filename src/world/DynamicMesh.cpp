#include "world/DynamicMesh.h"

#include <algorithm>

#include "core/Exception.h"
#include "fs/DataStream.h"
#include "render/Material.h"
#include "render/RenderBatch.h"

namespace arvel {

namespace {

constexpr const char* kSource = "World\\DynamicMesh";

// Smallest size of each record, to refuse a count the remaining bytes cannot hold
// before anything is allocated for it.
constexpr int64_t kBoneBytes = 6 * 4 + 12 * 4 + 4;
constexpr int64_t kKeyFrameBytes = 12 + 16 + 12;  // position, rotation, scale key
constexpr int64_t kMaterialBytes = 1 + 1 + 1 + 4;
constexpr int64_t kPositionBytes = 12 + 4;
constexpr int64_t kInfluenceBytes = 4 + 4;
constexpr int64_t kVertexBytes = 4 + 8 + 12 + 12;
constexpr int64_t kTriangleBytes = 4 * 4;

void requireRecords(const DataStream& stream, int64_t count, int64_t recordBytes) {
    if (count > 0 && count * recordBytes > stream.remaining())
        throw new Exception(__LINE__, kSource, "Read past the end of a data stream\n");
}

// The bad index is named in the mesh's own words rather than as a container error.
void requireIndex(int32_t index, int count, int line, const char* what, int owner,
                  const char* target) {
    if (index < 0 || index >= count)
        throw new Exception(line, kSource, "%s %d refers to %s %d, but there are %d\n", what, owner,
                            target, index, count);
}

}  // namespace

void Bone::resetPose() {
    position = {};
    orientation = {};
    scale = {1.0f, 1.0f, 1.0f, 0.0f};
}

// ---- animation --------------------------------------------------------------------

int Track::keyCount() const {
    return static_cast<int>(target == Target::kRotation ? rotations.size() : vectorKeys.size());
}

void Track::evaluate(uint32_t elapsedMs) const {
    const int count = keyCount();
    if (count == 0 || !bone) return;
    switch (target) {
        case Target::kPosition:
            bone->position = sampleKeys(vectorKeys.data(), count, elapsedMs);
            break;
        case Target::kRotation:
            bone->orientation = sampleKeys(rotations.data(), count, elapsedMs);
            break;
        case Target::kScale:
            bone->scale = sampleKeys(vectorKeys.data(), count, elapsedMs);
            break;
    }
}

void Animation::evaluate(uint32_t elapsedMs) const {
    for (const Track& track : tracks) track.evaluate(elapsedMs);
}

// ---- loading ----------------------------------------------------------------------

DynamicMesh::DynamicMesh(std::string fileName, ResourceRegistry* textures,
                         ResourceRegistry* techniques)
    : Resource(std::move(fileName)), textures_(textures), techniques_(techniques) {}

DynamicMesh::~DynamicMesh() = default;

Bone& DynamicMesh::bone(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= bones_.size()) throwSubscriptError(__LINE__, kSource);
    return *bones_[static_cast<size_t>(i)];
}

const Animation& DynamicMesh::animation(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= animations_.size())
        throwSubscriptError(__LINE__, kSource);
    return animations_[static_cast<size_t>(i)];
}

void DynamicMesh::stream() {
    try {
        load(name().c_str());
    } catch (Exception* cause) {
        clear();
        throw new Exception(__LINE__, kSource, cause, "Couldn't stream dynamic mesh %s\n",
                            name().c_str());
    }
}

void DynamicMesh::parse(const void* bytes, int size) {
    FileBytes owned(bytes);
    DataStream stream(bytes, size);
    read(stream);
}

void DynamicMesh::read(DataStream& stream) {
    clear();
    try {
        readBones(stream);
        orderBones();
        readAnimations(stream);
        readMaterials(stream);
        readPositions(stream);
        readVertices(stream);
        readTriangles(stream);
        postProcess();
    } catch (Exception*) {
        clear();
        throw;
    }
}

void DynamicMesh::readBones(DataStream& stream) {
    const int32_t count = stream.readInt32();
    requireRecords(stream, count, kBoneBytes);
    // All bones exist first: a child may be named before its own record.
    for (int32_t i = 0; i < count; ++i) {
        bones_.push_back(std::make_unique<Bone>());
        bones_.back()->index = i;
    }
    for (int32_t i = 0; i < count; ++i) {
        Bone& bone = *bones_[static_cast<size_t>(i)];
        const Vector4 low = stream.readVec3();
        const Vector4 high = stream.readVec3();
        bone.boundingBox.set(low, high);

        // Rows 0 to 2 of the bind matrix; row 3 is (0, 0, 0, 1).
        Matrix4 bind;
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column)
                bind.m[4 * column + row] = stream.readFloat();
        if (!bind.invert(bone.inverseBindMatrix))
            throw new Exception(__LINE__, kSource, "Bone %d has a bind matrix without inverse\n",
                                i);

        const int32_t childCount = stream.readInt32();
        requireRecords(stream, childCount, 4);
        for (int32_t c = 0; c < childCount; ++c) {
            const int32_t childIndex = stream.readInt32();
            requireIndex(childIndex, count, __LINE__, "Bone", i, "child bone");
            Bone* child = bones_[static_cast<size_t>(childIndex)].get();
            // One parent per bone keeps the skeleton a tree that posing can walk.
            if (child == &bone)
                throw new Exception(__LINE__, kSource, "Bone %d names itself as its child\n", i);
            if (child->parentBone)
                throw new Exception(__LINE__, kSource,
                                    "Bone %d names bone %d as its child, which already has a "
                                    "parent\n",
                                    i, childIndex);
            child->parentBone = &bone;
            bone.children.push_back(child);
        }
    }
}

// Roots in bone order, then every bone after its parent. A bone left out can only
// sit on a loop of parents, which no pose can be computed for.
void DynamicMesh::orderBones() {
    for (const auto& bone : bones_)
        if (!bone->parentBone) roots_.push_back(bone.get());
    std::vector<Bone*> pending(roots_.rbegin(), roots_.rend());
    while (!pending.empty()) {
        Bone* bone = pending.back();
        pending.pop_back();
        boneOrder_.push_back(bone);
        for (auto child = bone->children.rbegin(); child != bone->children.rend(); ++child)
            pending.push_back(*child);
    }
    if (boneOrder_.size() == bones_.size()) return;
    for (const auto& bone : bones_) {
        if (std::find(boneOrder_.begin(), boneOrder_.end(), bone.get()) == boneOrder_.end())
            throw new Exception(__LINE__, kSource, "Bone %d is its own ancestor\n", bone->index);
    }
}

void DynamicMesh::readAnimations(DataStream& stream) {
    const int32_t count = stream.readInt32();
    requireRecords(stream, count, 4);
    for (int32_t a = 0; a < count; ++a) {
        Animation animation;
        animation.frameCount = std::max(stream.readInt32(), 0);
        const int64_t frames = animation.frameCount;
        requireRecords(stream, frames * static_cast<int64_t>(bones_.size()), kKeyFrameBytes);
        animation.tracks.reserve(3 * bones_.size());
        for (const auto& bone : bones_) {
            Track position{Track::Target::kPosition, bone.get(), {}, {}};
            Track rotation{Track::Target::kRotation, bone.get(), {}, {}};
            Track scale{Track::Target::kScale, bone.get(), {}, {}};
            for (int64_t k = 0; k < frames; ++k) position.vectorKeys.push_back(stream.readVec3());
            for (int64_t k = 0; k < frames; ++k) {
                const float angle = stream.readFloat();
                rotation.rotations.push_back(Quaternion::fromAngleAxis(angle, stream.readVec3()));
            }
            for (int64_t k = 0; k < frames; ++k) scale.vectorKeys.push_back(stream.readVec3());
            animation.tracks.push_back(std::move(position));
            animation.tracks.push_back(std::move(rotation));
            animation.tracks.push_back(std::move(scale));
        }
        animations_.push_back(std::move(animation));
    }
}

void DynamicMesh::readMaterials(DataStream& stream) {
    const int32_t count = stream.readInt32();
    requireRecords(stream, count, kMaterialBytes);
    for (int32_t i = 0; i < count; ++i) {
        auto material = std::make_unique<Material>(textures_, techniques_);
        material->loadMaterial(stream);
        addMaterial(std::move(material));
    }
}

void DynamicMesh::readPositions(DataStream& stream) {
    const int32_t count = stream.readInt32();
    requireRecords(stream, count, kPositionBytes);
    const int bones = boneCount();
    for (int32_t i = 0; i < count; ++i) {
        auto position = std::make_unique<MeshPosition>(stream.readVec3());
        const int32_t influenceCount = stream.readInt32();
        requireRecords(stream, influenceCount, kInfluenceBytes);
        for (int32_t k = 0; k < influenceCount; ++k) {
            const int32_t boneIndex = stream.readInt32();
            requireIndex(boneIndex, bones, __LINE__, "Position", i, "bone");
            position->bones.push_back(bones_[static_cast<size_t>(boneIndex)].get());
            position->weights.push_back(stream.readFloat());
        }
        addPosition(std::move(position));
    }
}

void DynamicMesh::readVertices(DataStream& stream) {
    const int32_t count = stream.readInt32();
    requireRecords(stream, count, kVertexBytes);
    for (int32_t i = 0; i < count; ++i) {
        auto vertex = std::make_unique<MeshVertex>();
        const int32_t positionIndex = stream.readInt32();
        requireIndex(positionIndex, positionCount(), __LINE__, "Vertex", i, "position");
        vertex->setPosition(&position(positionIndex));
        readVertexAttributes(stream, *vertex);
        addVertex(std::move(vertex));
    }
}

void DynamicMesh::readTriangles(DataStream& stream) {
    const int32_t count = stream.readInt32();
    requireRecords(stream, count, kTriangleBytes);
    for (int32_t i = 0; i < count; ++i) {
        auto face = std::make_unique<MeshFace>();
        for (int c = 0; c < 3; ++c) {
            const int32_t vertexIndex = stream.readInt32();
            requireIndex(vertexIndex, vertexCount(), __LINE__, "Triangle", i, "vertex");
            face->corners.push_back(&vertex(vertexIndex));
        }
        const int32_t materialIndex = stream.readInt32();
        requireIndex(materialIndex, materialCount(), __LINE__, "Triangle", i, "material");
        face->material = &material(materialIndex);
        face->computePlane();
        face->collectBones();
        addFace(std::move(face));
    }
}

// ---- post-processing --------------------------------------------------------------

void DynamicMesh::postProcess() {
    growBoneBoxes();
    computeBoundingBox();
    buildEdges();
    buildEdgePolygonBatches();
    buildVertexArray(kVertexFormat, kMemoryKind);
    buildRenderBatches();
    buildSkinSource();
}

// Each bone's box also takes every position it moves, seen from the bone.
void DynamicMesh::growBoneBoxes() {
    for (int i = 0; i < positionCount(); ++i) {
        const MeshPosition& p = position(i);
        for (SceneNode* node : p.bones) {
            Bone* bone = static_cast<Bone*>(node);
            bone->boundingBox.extend(bone->inverseBindMatrix.transformPoint(p.point()));
        }
    }
}

namespace {

// The corner of face at which its side along edge starts, or -1.
int sideOf(const MeshFace& face, const MeshEdge& edge) {
    for (size_t i = 0; i < face.edges.size(); ++i)
        if (face.edges[i] == &edge) return static_cast<int>(i);
    return -1;
}

}  // namespace

// For every edge between two faces, a polygon through the vertices the faces use at
// its ends: degenerate in any pose, it opens into a side of the shadow volume when a
// vertex program pushes one face's vertices away from the light. The corners run
// (first end of face 0, first end of face 1, second end of face 1, second end of
// face 0), so the side is wound against whichever face stays put; an end where both
// faces use the same vertex gives one corner.
void DynamicMesh::buildEdgePolygonBatches() {
    edgeBatches_.clear();
    std::vector<MeshFace> polygons;
    for (int e = 0; e < edgeCount(); ++e) {
        const MeshEdge& edge = this->edge(e);
        if (edge.faceCount != 2) continue;
        const MeshFace& f0 = *edge.faces[0];
        const MeshFace& f1 = *edge.faces[1];
        const int i = sideOf(f0, edge), j = sideOf(f1, edge);
        if (i < 0 || j < 0) continue;
        MeshVertex* a0 = f0.corners[static_cast<size_t>(i)];
        MeshVertex* b0 = f0.corners[static_cast<size_t>((i + 1) % f0.cornerCount())];
        MeshVertex* b1 = f1.corners[static_cast<size_t>(j)];
        MeshVertex* a1 = f1.corners[static_cast<size_t>((j + 1) % f1.cornerCount())];
        if (a0 == a1 && b0 == b1) continue;

        MeshFace polygon;
        polygon.corners.push_back(a0);
        if (a1 != a0) polygon.corners.push_back(a1);
        polygon.corners.push_back(b1);
        if (b0 != b1) polygon.corners.push_back(b0);
        polygon.collectBones();
        polygons.push_back(std::move(polygon));
    }
    if (polygons.empty()) return;

    std::vector<std::vector<uint32_t>> corners(polygons.size());
    std::vector<BatchFace> faces(polygons.size());
    for (size_t p = 0; p < polygons.size(); ++p) {
        for (const MeshVertex* corner : polygons[p].corners)
            corners[p].push_back(static_cast<uint32_t>(corner->index));
        faces[p].corners = corners[p].data();
        faces[p].cornerCount = polygons[p].cornerCount();
        faces[p].bones = polygons[p].bones.data();
        faces[p].boneCount = static_cast<int>(polygons[p].bones.size());
    }
    arvel::buildRenderBatches(faces.data(), static_cast<int>(faces.size()), edgeBatches_);
}

// Flat copies for the per-frame loop: influences by bone index, and the vertices
// grouped by the position they stand on (in vertex order within a position).
void DynamicMesh::buildSkinSource() {
    skin_ = SkinSource{};
    const int positions = positionCount();
    skin_.bindPositions.reserve(static_cast<size_t>(positions));
    skin_.influenceStart.reserve(static_cast<size_t>(positions) + 1);
    skin_.influenceStart.push_back(0);
    for (int i = 0; i < positions; ++i) {
        const MeshPosition& p = position(i);
        skin_.bindPositions.push_back({p.x, p.y, p.z, 0.0f});
        for (int k = 0; k < p.influenceCount(); ++k)
            skin_.influences.push_back(
                {p.bones[static_cast<size_t>(k)]->index, p.weights[static_cast<size_t>(k)]});
        skin_.influenceStart.push_back(static_cast<int32_t>(skin_.influences.size()));
    }

    skin_.vertexStart.assign(static_cast<size_t>(positions) + 1, 0);
    for (int v = 0; v < vertexCount(); ++v)
        ++skin_.vertexStart[static_cast<size_t>(vertex(v).meshPosition()->index) + 1];
    for (int i = 0; i < positions; ++i)
        skin_.vertexStart[static_cast<size_t>(i) + 1] += skin_.vertexStart[static_cast<size_t>(i)];
    skin_.vertexSources.resize(static_cast<size_t>(vertexCount()));
    std::vector<int32_t> next(skin_.vertexStart.begin(), skin_.vertexStart.end() - 1);
    for (int v = 0; v < vertexCount(); ++v) {
        const MeshVertex& vertex = this->vertex(v);
        SkinVertexSource& source = skin_.vertexSources[static_cast<size_t>(
            next[static_cast<size_t>(vertex.meshPosition()->index)]++)];
        source.vertex = v;
        std::copy(vertex.normal, vertex.normal + 3, source.normal);
        std::copy(vertex.tangent, vertex.tangent + 3, source.tangent);
    }
}

// ---- posing -----------------------------------------------------------------------

void DynamicMesh::pose(const Animation* animation, uint32_t elapsedMs) {
    // The bones are shared by every instance: start each pose from the bind pose so
    // that one instance's animation never shows on another.
    for (const auto& bone : bones_) bone->resetPose();
    if (animation) animation->evaluate(elapsedMs);
    for (Bone* bone : boneOrder_) {
        bone->updateLocalMatrix();
        if (bone->parentBone)
            bone->setLocalMatrix(multiply(bone->parentBone->localMatrix, bone->localMatrix));
    }
    for (Bone* bone : boneOrder_) {
        bone->setParent(this);
        bone->updateWorldMatrix();
    }
}

void DynamicMesh::clear() {
    edgeBatches_.clear();
    skin_ = SkinSource{};
    animations_.clear();
    boneOrder_.clear();
    roots_.clear();
    Mesh::clear();  // faces and positions refer to bones: they go first
    bones_.clear();
}

}  // namespace arvel
