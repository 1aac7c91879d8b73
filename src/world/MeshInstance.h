// One placement of a DynamicMesh in the world: its own transform and animation clock,
// its own skinned copies of the mesh's positions and vertices, the vertex array they
// are drawn from and the per-bone skin matrices of the last update. Topology,
// skeleton, animations and materials stay with the shared mesh.
#pragma once

#include <memory>
#include <vector>

#include "core/math/OrientedBox.h"
#include "world/DynamicMesh.h"
#include "world/StaticMesh.h"

namespace arvel {

class RenderContext;
class ResourceRegistry;
class Sector;

class MeshInstance : public SceneNode {
public:
    // With a registry the instance holds a reference on mesh in it for its lifetime;
    // without one the caller keeps mesh alive longer than the instance.
    MeshInstance(DynamicMesh& mesh, ResourceRegistry* meshes);
    ~MeshInstance() override;

    DynamicMesh& mesh() const { return *mesh_; }

    void setPosition(float x, float y, float z, float w) { position = {x, y, z, w}; }

    // Selects the mesh's animation by index and starts it at the current frame's tick.
    // An index the mesh does not have throws an Exception naming it and changes
    // nothing.
    void setAnimation(int index);
    int animationIndex() const { return animation_; }  // -1 while none is set
    uint32_t animationStartMs() const { return animationStartMs_; }

    // Once per frame before drawing, after the node's local and world matrices: poses
    // the mesh's skeleton for this instance at the frame's tick and keeps the skin
    // matrices, the box of the posed bones and the oriented box around it.
    void update();
    // Skins the copies with the last update's matrices, grows the box by them and
    // rewrites positions, normals and tangents of the instance's vertex array.
    void skin();

    // Queues the skinned vertex array, with a copy of context whose model-view (taken
    // to be the view) is multiplied by this instance's world matrix, and every face
    // batch with stage of its material's technique.
    void queueFaces(const RenderContext& context, TechniqueStage stage) const;
    // The same with one pass list for every face batch and, when asked, every edge
    // polygon batch: the shadow volume a vertex program extrudes.
    void queueWithPasses(const RenderContext& context, const PassList& passes,
                         bool edgePolygons) const;

    // Per bone: posed model-space matrix x inverse bind matrix, and the same from the
    // bone's world matrix.
    const std::vector<Matrix4>& modelSkinMatrices() const { return modelSkin_; }
    const std::vector<Matrix4>& worldSkinMatrices() const { return worldSkin_; }
    const OrientedBox& orientedBox() const { return orientedBox_; }

    const std::vector<RenderPosition>& positions() const { return positions_; }
    const std::vector<RenderVertex>& vertices() const { return vertices_; }
    const VertexArray& vertexArray() const { return vertexArray_; }

    // Sector bookkeeping: the sectors this instance has been added to, in order.
    void addSector(Sector* sector) { sectors_.push_back(sector); }
    const std::vector<Sector*>& sectors() const { return sectors_; }

private:
    void updateOrientedBox();
    void queue(const RenderContext& context) const;

    DynamicMesh* mesh_;
    ResourceRegistry* meshes_;
    int animation_ = -1;
    uint32_t animationStartMs_ = 0;
    std::vector<Matrix4> modelSkin_;
    std::vector<Matrix4> worldSkin_;
    std::vector<RenderPosition> positions_;
    std::vector<RenderVertex> vertices_;  // each points at the copied position it stands on
    VertexArray vertexArray_;
    OrientedBox orientedBox_;
    std::vector<Sector*> sectors_;
};

// Finds the dynamic mesh called name in meshes, or creates, streams and registers it,
// then returns a new instance of it (the caller keeps it). Two instances of one file
// share one mesh. Stream failures pass on as DynamicMesh::stream throws them, and
// nothing is registered then.
std::unique_ptr<MeshInstance> loadDynamicMesh(ResourceRegistry& meshes, ResourceRegistry* textures,
                                              ResourceRegistry* techniques, const char* name);

}  // namespace arvel
