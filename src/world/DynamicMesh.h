// An animated, skinned triangle mesh loaded from a ".msh" file and shared by name
// through the world's dynamic-mesh registry. It holds what every instance has in
// common: topology, skeleton, animations, materials, the face batches and the edge
// polygon batches that let a vertex program extrude shadow volumes. Instances
// (MeshInstance) pose the skeleton and skin their own copies every frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fs/FileLoader.h"
#include "render/Resource.h"
#include "world/Mesh.h"
#include "world/Skinning.h"

namespace arvel {

class DataStream;
class ResourceRegistry;

// A joint of the skeleton. Animation tracks write its position, orientation and
// scale; posing turns its local matrix into its model-space matrix.
class Bone : public SceneNode {
public:
    Matrix4 inverseBindMatrix;   // identity until loaded
    Bone* parentBone = nullptr;  // none for roots
    std::vector<Bone*> children;

    // Position 0, no rotation, scale 1: the bind pose.
    void resetPose();
};

// Keys of one bone property, 0.1 s apart.
struct Track {
    enum class Target { kPosition, kRotation, kScale };

    Target target = Target::kPosition;
    Bone* bone = nullptr;
    std::vector<Vector4> vectorKeys;    // position and scale tracks (w = 0)
    std::vector<Quaternion> rotations;  // rotation tracks, unit quaternions

    int keyCount() const;
    float length() const { return static_cast<float>(keyCount()) * 0.1f; }
    // Writes the sampled key into the bone; a track without keys leaves it alone.
    void evaluate(uint32_t elapsedMs) const;
};

struct Animation {
    int frameCount = 0;
    std::vector<Track> tracks;  // position, rotation, scale for each bone in bone order

    float length() const { return static_cast<float>(frameCount) * 0.1f; }
    void evaluate(uint32_t elapsedMs) const;
};

// Shared by every instance and read-only after loading: what skinning needs in the
// flat layout of SkinJob.
struct SkinSource {
    std::vector<RenderPosition> bindPositions;
    std::vector<int32_t> influenceStart;  // positionCount + 1
    std::vector<SkinInfluence> influences;
    std::vector<int32_t> vertexStart;  // positionCount + 1
    std::vector<SkinVertexSource> vertexSources;
};

class DynamicMesh : public Mesh, public Resource, public FileLoader {
public:
    // Position, normal, tangent and texture coordinates, rewritten every frame.
    static constexpr int kVertexFormat = dcode::kVertexPosition | dcode::kVertexNormal |
                                         dcode::kVertexTangent | dcode::kVertexTexCoord0;
    static constexpr int kMemoryKind = dcode::kMemoryDynamic;

    // Materials resolve techniques and textures through the registries (null: owned).
    DynamicMesh(std::string fileName, ResourceRegistry* textures, ResourceRegistry* techniques);
    ~DynamicMesh() override;

    // Loads the file named after the mesh through the file system. A missing file
    // leaves the mesh empty; any failure is rethrown as "Couldn't stream dynamic mesh
    // %s\n" wrapping the cause, with the mesh left empty.
    void stream();
    // Reads a whole ".msh" and post-processes it. On failure the mesh is emptied and
    // the Exception passes on as it is.
    void read(DataStream& stream);

    int boneCount() const { return static_cast<int>(bones_.size()); }
    Bone& bone(int i) const;
    const std::vector<Bone*>& rootBones() const { return roots_; }
    int animationCount() const { return static_cast<int>(animations_.size()); }
    const Animation& animation(int i) const;

    const std::vector<std::unique_ptr<RenderBatch>>& faceBatches() const { return batches(); }
    const std::vector<std::unique_ptr<RenderBatch>>& edgeBatches() const { return edgeBatches_; }
    const SkinSource& skinSource() const { return skin_; }

    // Puts every bone back into the bind pose, lets animation (if any) drive them,
    // then turns each bone's local matrix into its model-space matrix, parents first,
    // and places the bones under the mesh node for their world matrices.
    void pose(const Animation* animation, uint32_t elapsedMs);

    void clear() override;

protected:
    void parse(const void* bytes, int size) override;

private:
    void readBones(DataStream& stream);
    void orderBones();
    void readAnimations(DataStream& stream);
    void readMaterials(DataStream& stream);
    void readPositions(DataStream& stream);
    void readVertices(DataStream& stream);
    void readTriangles(DataStream& stream);
    void postProcess();
    void growBoneBoxes();
    void buildEdgePolygonBatches();
    void buildSkinSource();

    ResourceRegistry* textures_;
    ResourceRegistry* techniques_;
    std::vector<std::unique_ptr<Bone>> bones_;
    std::vector<Bone*> roots_;
    std::vector<Bone*> boneOrder_;  // parents before their children
    std::vector<Animation> animations_;
    std::vector<std::unique_ptr<RenderBatch>> edgeBatches_;
    SkinSource skin_;
};

}  // namespace arvel
