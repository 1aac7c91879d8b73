#include "world/MeshInstance.h"

#include "core/Clock.h"
#include "core/Exception.h"
#include "driver/DriverTypes.h"
#include "render/Material.h"
#include "render/RenderBatch.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"

namespace arvel {

namespace {

constexpr const char* kSource = "World\\MeshInstance";
// Positions, normals and tangents: what skinning changes.
constexpr int kSkinnedAttributes =
    dcode::kVertexPosition | dcode::kVertexNormal | dcode::kVertexTangent;

}  // namespace

MeshInstance::MeshInstance(DynamicMesh& mesh, ResourceRegistry* meshes)
    : mesh_(&mesh), meshes_(meshes) {
    if (meshes_) meshes_->addRef(mesh_);
    const int bones = mesh.boneCount();
    modelSkin_.resize(static_cast<size_t>(bones));
    worldSkin_.resize(static_cast<size_t>(bones));

    positions_ = mesh.skinSource().bindPositions;
    vertices_.reserve(static_cast<size_t>(mesh.vertexCount()));
    for (int v = 0; v < mesh.vertexCount(); ++v) {
        RenderVertex copy = mesh.vertex(v);
        copy.position = &positions_[static_cast<size_t>(mesh.vertex(v).meshPosition()->index)];
        vertices_.push_back(copy);
    }
    if (!vertices_.empty())
        vertexArray_.create(vertices_.data(), static_cast<int>(vertices_.size()),
                            DynamicMesh::kVertexFormat, DynamicMesh::kMemoryKind);
    updateOrientedBox();
}

MeshInstance::~MeshInstance() {
    vertexArray_.release();
    if (meshes_) meshes_->release(mesh_);
}

void MeshInstance::setAnimation(int index) {
    if (index < 0 || index >= mesh_->animationCount())
        throw new Exception(__LINE__, kSource,
                            "Dynamic mesh %s has no animation %d, only %d animations\n",
                            mesh_->name().c_str(), index, mesh_->animationCount());
    animation_ = index;
    animationStartMs_ = frameClock().tickMs;
}

void MeshInstance::update() {
    DynamicMesh& mesh = *mesh_;
    mesh.setLocalMatrix(localMatrix);
    mesh.setParent(parent);
    mesh.setWorldMatrix(worldMatrix);

    const Animation* animation = animation_ >= 0 ? &mesh.animation(animation_) : nullptr;
    mesh.pose(animation, elapsedSince(animationStartMs_, frameClock().tickMs));

    boundingBox.makeEmpty();
    for (int i = 0; i < mesh.boneCount(); ++i) {
        const Bone& bone = mesh.bone(i);
        modelSkin_[static_cast<size_t>(i)] = multiply(bone.localMatrix, bone.inverseBindMatrix);
        worldSkin_[static_cast<size_t>(i)] = multiply(bone.worldMatrix, bone.inverseBindMatrix);
        if (bone.boundingBox.isEmpty()) continue;
        for (const Vector4& corner : bone.boundingBox.corners())
            boundingBox.extend(bone.localMatrix.transformPoint(corner));
    }
    updateOrientedBox();
}

void MeshInstance::skin() {
    const SkinSource& source = mesh_->skinSource();
    SkinJob job;
    job.positionCount = static_cast<int>(positions_.size());
    job.bindPositions = source.bindPositions.data();
    job.influenceStart = source.influenceStart.data();
    job.influences = source.influences.data();
    job.skinMatrices = modelSkin_.data();
    job.vertexStart = source.vertexStart.data();
    job.vertexSources = source.vertexSources.data();
    job.positions = positions_.data();
    job.vertices = vertices_.data();
    job.boundsMin = boundingBox.min;
    job.boundsMax = boundingBox.max;
    skinMesh(job);
    boundingBox.set(job.boundsMin, job.boundsMax);

    vertexArray_.update(vertices_.data(), static_cast<int>(vertices_.size()), kSkinnedAttributes);
    updateOrientedBox();
}

// An instance with nothing to bound is a point at its own origin rather than the
// infinite box an empty one would turn into.
void MeshInstance::updateOrientedBox() {
    BoundingBox box = boundingBox;
    if (box.isEmpty()) box.set({}, {});
    orientedBox_.setMatrix(multiply(localMatrix, box.matrix()));
}

void MeshInstance::queue(const RenderContext& context) const {
    RenderContext placed = context;
    placed.modelView = multiply(context.modelView, worldMatrix);
    placed.setObject(this, &worldMatrix);
    queueObject(vertexArray_.handle);
    setObjectState(placed);
}

void MeshInstance::queueFaces(const RenderContext& context, TechniqueStage stage) const {
    if (!vertexArray_.valid()) return;
    queue(context);
    for (const auto& batch : mesh_->faceBatches()) {
        const RenderTechnique* technique = batch->material ? batch->material->technique() : nullptr;
        if (technique) queueBatch(batch.get(), &(technique->*stage)());
    }
}

void MeshInstance::queueWithPasses(const RenderContext& context, const PassList& passes,
                                   bool edgePolygons) const {
    if (!vertexArray_.valid()) return;
    queue(context);
    for (const auto& batch : mesh_->faceBatches()) queueBatch(batch.get(), &passes);
    if (!edgePolygons) return;
    for (const auto& batch : mesh_->edgeBatches()) queueBatch(batch.get(), &passes);
}

std::unique_ptr<MeshInstance> loadDynamicMesh(ResourceRegistry& meshes, ResourceRegistry* textures,
                                              ResourceRegistry* techniques, const char* name) {
    auto* mesh = dynamic_cast<DynamicMesh*>(meshes.find(name));
    if (!mesh) {
        auto loaded = std::make_unique<DynamicMesh>(name, textures, techniques);
        loaded->stream();
        mesh = loaded.release();
        meshes.add(mesh);
    }
    return std::make_unique<MeshInstance>(*mesh, &meshes);
}

}  // namespace arvel
