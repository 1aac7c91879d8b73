// The geometry of one sector: a mesh with a face octree for ray queries and the child
// meshes that lights name as their precomputed shadow pieces.
#pragma once

#include <memory>
#include <vector>

#include "render/Pass.h"
#include "world/FaceOctree.h"
#include "world/Mesh.h"

namespace arvel {

class RenderContext;
class RenderTechnique;

// A stage of a technique: ambientPasses, lightPasses or postShadePasses.
using TechniqueStage = const PassList& (RenderTechnique::*)() const;

class StaticMesh : public Mesh {
public:
    StaticMesh();
    ~StaticMesh() override;

    // Reads a static mesh record: the body, the octree, then the children (bodies
    // without octree or children). On failure the mesh is emptied and the Exception
    // is passed on with this class's location added.
    void load(DataStream& stream, ResourceRegistry* textures, ResourceRegistry* techniques);

    // Replaces the octree by one built from the faces.
    void buildOctree();
    const FaceOctree* octree() const override { return octree_.get(); }
    int leafCount() const { return octree_ ? octree_->leafCount() : 0; }

    StaticMesh& child(int i) const;
    int childCount() const { return static_cast<int>(children_.size()); }
    StaticMesh& addChild(std::unique_ptr<StaticMesh> mesh);

    // Queues the mesh with context (this mesh and its world matrix as the object) and
    // every batch with its material's passes of stage, then draws what the debug
    // settings ask for at once.
    void draw(RenderContext& context, TechniqueStage stage) const;
    // Octree boxes, tangent frames and edges, as dbg_draw_bboxes,
    // dbg_draw_tangentspace and dbg_draw_edges say.
    void drawDebug() const;

    void clear() override;

private:
    std::unique_ptr<FaceOctree> octree_;
    std::vector<std::unique_ptr<StaticMesh>> children_;
};

// Queues mesh's vertex array with context and each batch that has a technique with
// the passes of stage. Nothing is queued when the mesh has no vertex array.
void queueMesh(const Mesh& mesh, RenderContext& context, TechniqueStage stage);

}  // namespace arvel
