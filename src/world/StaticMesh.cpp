#include "world/StaticMesh.h"

#include "console/Settings.h"
#include "core/Exception.h"
#include "fs/DataStream.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"

namespace arvel {

StaticMesh::StaticMesh() = default;
StaticMesh::~StaticMesh() = default;

void StaticMesh::load(DataStream& stream, ResourceRegistry* textures,
                      ResourceRegistry* techniques) {
    clear();  // a record replaces whatever the mesh held
    try {
        readBody(stream, textures, techniques);
        octree_ = std::make_unique<FaceOctree>();
        octree_->read(stream, *this);
        const int32_t count = stream.readInt32();
        for (int32_t i = 0; i < count; ++i) {
            auto mesh = std::make_unique<StaticMesh>();
            mesh->readBody(stream, textures, techniques);
            addChild(std::move(mesh));
        }
    } catch (Exception* e) {
        clear();
        throw new Exception(__LINE__, "World\\StaticMesh", e);
    }
}

void StaticMesh::buildOctree() {
    octree_ = std::make_unique<FaceOctree>();
    octree_->build(*this);
}

StaticMesh& StaticMesh::child(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= children_.size())
        throwSubscriptError(__LINE__, "World\\StaticMesh");
    return *children_[static_cast<size_t>(i)];
}

StaticMesh& StaticMesh::addChild(std::unique_ptr<StaticMesh> mesh) {
    mesh->index = static_cast<int>(children_.size());
    mesh->world = world;
    mesh->parent = this;
    children_.push_back(std::move(mesh));
    return *children_.back();
}

void queueMesh(const Mesh& mesh, RenderContext& context, TechniqueStage stage) {
    const VertexArray& array = mesh.vertexArray();
    if (!array.valid()) return;
    context.setObject(&mesh, &mesh.worldMatrix);
    queueObject(array.handle);
    setObjectState(context);
    for (const auto& batch : mesh.batches()) {
        const RenderTechnique* technique = batch->material ? batch->material->technique() : nullptr;
        if (technique) queueBatch(batch.get(), &(technique->*stage)());
    }
}

void StaticMesh::draw(RenderContext& context, TechniqueStage stage) const {
    queueMesh(*this, context, stage);
    drawDebug();
}

void StaticMesh::drawDebug() const {
    Settings& s = settings();
    if (s.dbgDrawBboxes.flag && octree_) octree_->drawBoxes();
    if (s.dbgDrawTangentspace.flag) drawTangentSpace();
    if (s.dbgDrawEdges.flag) drawEdges();
}

void StaticMesh::clear() {
    octree_.reset();
    children_.clear();
    Mesh::clear();
}

}  // namespace arvel
