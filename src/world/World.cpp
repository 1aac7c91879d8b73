#include "world/World.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "console/Settings.h"
#include "core/Exception.h"
#include "core/math/OrientedBox.h"
#include "driver/Driver.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"
#include "world/Camera.h"
#include "world/Light.h"
#include "world/LightCache.h"
#include "world/LightRenderer.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"
#include "world/ViewVolume.h"

namespace arvel {

namespace {

constexpr const char* kSource = "World\\World";
constexpr const char* kDefaultTextureFile = "default.fpf";
constexpr const char* kTechniqueFiles[World::kDefaultTechniqueCount] = {
    "static_default.rt",           "dynamic_default.rt",
    "optimized_shadow_volumes.rt", "vertex_program_shadow_volumes.rt",
    "cpu_shadow_volumes.rt",       "debug.rt"};

// The camera's walk is limited by portals only.
constexpr float kNoDistanceLimit = 3.4028235e38f;
// Every bit a frame sets on the objects it touches.
constexpr int kFrameBits = frameflag::kVisited | frameflag::kVisible | frameflag::kLit |
                           frameflag::kCollected | frameflag::kUpdated | frameflag::kShadowReady;

int gVisibleLights = 0;

// Grows into by box's rectangle; a box without extent adds nothing (its corners would
// be the empty box's huge values).
void unite(BoundingBox& into, const BoundingBox& box) {
    if (box.min.x > box.max.x || box.min.y > box.max.y) return;
    into.extend(box.min);
    into.extend(box.max);
}

// What the reset before a walk would find: nothing set.
[[maybe_unused]] bool contentFlagsClear(const std::vector<std::unique_ptr<Map>>& maps) {
    for (const auto& map : maps) {
        for (int i = 0; i < map->sectorCount(); ++i)
            if (map->sector(i).getFlags()) return false;
        for (int i = 0; i < map->portalCount(); ++i)
            if (map->portal(i).getFlags()) return false;
        for (int i = 0; i < map->lightCount(); ++i)
            if (map->light(i).flags) return false;
    }
    return true;
}

template <typename Node>
void clearBits(Node& node, int bits) {
    node.setFlags(node.getFlags() & ~bits);
}

template <typename Node>
void setBits(Node& node, int bits) {
    node.setFlags(node.getFlags() | bits);
}

}  // namespace

float nearPlaneDistance(float setting) {
    // A near plane at or behind the eye has no projection; keep the default instead.
    return (std::isfinite(setting) && setting > 0.0f) ? setting : 1.0f;
}

Matrix4 frameProjection(float nearPlane, const FrameShape& shape) {
    const float n = nearPlaneDistance(nearPlane);
    const float right = shape.slopeX * n, top = shape.slopeY * n;
    const float left = -right, bottom = -top;
    const float epsilon = 0.001f;
    Matrix4 p;
    for (float& element : p.m) element = 0.0f;
    p.m[0] = 2.0f * n / (right - left);
    p.m[8] = (right + left) / (right - left);
    p.m[5] = 2.0f * n / (top - bottom);
    p.m[9] = (top + bottom) / (top - bottom);
    p.m[10] = epsilon - 1.0f;
    p.m[14] = n * (epsilon - 2.0f);
    p.m[11] = -1.0f;
    return p;
}

int visibleLightCount() { return gVisibleLights; }

// Construction and destruction

World::World(Console* console, float width, float height)
    : console_(console),
      width_(width),
      height_(height),
      halfWidth_(width * 0.5f),
      halfHeight_(height * 0.5f),
      shape_(FrameShape::ofWindow(width, height)),
      meshes_(std::make_unique<ResourceRegistry>()),
      programs_(std::make_unique<ResourceRegistry>()),
      textures_(std::make_unique<ResourceRegistry>()) {
    queryCapacity_ = kInitialQueryCapacity;
    queries_ = gDriver.dGenOcclusionQueries(kInitialQueryCapacity);
    try {
        createResources();
    } catch (Exception* e) {
        destroyResources();
        if (queries_) gDriver.dDeleteOcclusionQueries(queryCapacity_, queries_);
        queries_ = nullptr;
        throw new Exception(__LINE__, kSource, e,
                            "Couldn't create world due to missing/invalid basic resources\n");
    }
}

void World::setWindowSize(float width, float height) {
    width_ = width;
    height_ = height;
    halfWidth_ = width * 0.5f;
    halfHeight_ = height * 0.5f;
    shape_ = FrameShape::ofWindow(width, height);
}

void World::createResources() {
    auto* texture = new Texture(kDefaultTextureFile, true, true, true);
    defaultTexture_ = texture;
    for (int i = 0; i < kDefaultTechniqueCount; ++i)
        techniques_[i] = new RenderTechnique(kTechniqueFiles[i], programs_.get(), textures_.get());

    texture->stream();
    textures_->add(texture);
    defaultTexture_ = nullptr;  // the registry has it now
    for (RenderTechnique* technique : techniques_) technique->load();
}

void World::destroyResources() {
    for (RenderTechnique*& technique : techniques_) {
        delete technique;
        technique = nullptr;
    }
    delete defaultTexture_;
    defaultTexture_ = nullptr;
}

World::~World() {
    RenderContext& context = renderContext();
    context.setObject(nullptr, nullptr);
    context.setLight(nullptr, nullptr, nullptr, nullptr);
    context.setCameraView(nullptr, nullptr, nullptr);

    dropLevel();
    destroyResources();
    // What is shared by name refers to what comes later: dynamic meshes to techniques
    // and textures, techniques to programs and textures.
    meshes_.reset();
    programs_.reset();
    textures_.reset();
    if (queries_) gDriver.dDeleteOcclusionQueries(queryCapacity_, queries_);
}

// Loading

Map* World::loadMap(const std::string& fileName) {
    maps_.push_back(std::make_unique<Map>(fileName, textures_.get(), programs_.get(), this));
    flagsClear_ = false;
    Map* map = maps_.back().get();
    map->stream();
    return map;
}

std::unique_ptr<Map> World::readMap(const std::string& fileName) {
    auto map = std::make_unique<Map>(fileName, textures_.get(), programs_.get(), this);
    map->stream();
    return map;
}

void World::dropLevel() {
    // The cache keys its volumes by mesh and light address, and the last frame's lists
    // point into the level.
    lightCache().clear();
    cameraSector_ = nullptr;
    cameraMap_ = nullptr;
    visible_.clear();
    touched_.clear();
    walked_.clear();
    // Sectors list instances they do not own; instances hold references on meshes.
    maps_.clear();
    instances_.clear();
}

Map* World::replaceLevel(std::unique_ptr<Map> map) {
    dropLevel();
    meshes_->clear();
    maps_.push_back(std::move(map));
    flagsClear_ = false;
    return maps_.back().get();
}

MeshInstance* World::loadDynamicMesh(const std::string& fileName) {
    std::unique_ptr<MeshInstance> instance =
        arvel::loadDynamicMesh(*meshes_, textures_.get(), programs_.get(), fileName.c_str());
    instance->world = this;
    instances_.push_back(std::move(instance));
    return instances_.back().get();
}

// Per-object frame work

void World::updateSectorMesh(StaticMesh& mesh) {
    if (mesh.getFlags() & frameflag::kUpdated) return;
    setBits(mesh, frameflag::kUpdated);
    touched_.push_back(&mesh);
}

void World::updateInstance(MeshInstance& instance) {
    if (instance.getFlags() & frameflag::kUpdated) return;
    instance.updateLocalMatrix();
    instance.updateWorldMatrix();
    instance.update();
    setBits(instance, frameflag::kUpdated);
    touched_.push_back(&instance);
}

void World::prepareShadowData(MeshInstance& instance) {
    updateInstance(instance);
    if (instance.getFlags() & frameflag::kShadowReady) return;
    instance.skin();
    setBits(instance, frameflag::kShadowReady);
}

BoundingBox World::screenBoxOf(const BoundingVolume& worldVolume) const {
    if (!camera_) return BoundingBox();
    const std::unique_ptr<OrientedBox> eyeVolume = worldVolume.transformed(camera_->viewMatrix());
    BoundingBox eyeBox;
    for (const Vector4& corner : eyeVolume->corners()) eyeBox.extend(corner);
    return eyeBox.screenRect(projection_);
}

// Scissor rectangles

void World::setScissor(const BoundingBox& screenBox) { setScissorFromBox(screenBox, lightFrame_); }

void World::clearScissor() { renderContext().clearScissor(); }

// The frame

void World::render(const CameraView& camera) {
    camera_ = &camera;
    touched_.clear();
    visible_.clear();

    setUpMatrices(camera);
    gDriver.dWireframe(settings().gfxWireframe.flag ? 1 : 0);
    findCameraSector(camera.position);
    walk(camera);
    boxSectors();
    collectLights();
    collectInstances();
    boxInstances();
    ambientStage();
    markVisible();
    gVisibleLights = static_cast<int>(visible_.lights.size());
    renderLights();
    gDriver.dDisableStencil();
    endFrame();
}

void World::setUpMatrices(const CameraView& camera) {
    projection_ = frameProjection(static_cast<float>(settings().gfxNearClipplane.number), shape_);
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dMatrix(projection_.m);
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dLoadIdentity();
    gDriver.dMatrix(camera.viewMatrix().m);

    RenderContext& context = renderContext();
    context.projection = projection_;
    context.modelView = camera.viewMatrix();
    context.setCameraView(&camera, &camera.position, &camera.viewMatrix());
    viewProjection_ = projection_ * camera.viewMatrix();
    prepareLightFrame();
}

void World::prepareLightFrame() {
    LightFrame& f = lightFrame_;
    f.cameraPosition = camera_->position;
    f.view = camera_->viewMatrix();
    f.cameraToWorld = camera_->cameraToWorld();
    f.projection = projection_;
    f.viewProjection = viewProjection_;
    f.halfWidth = halfWidth_;
    f.halfHeight = halfHeight_;
    f.shape = shape_;
    f.nearPlane = nearPlaneDistance(static_cast<float>(settings().gfxNearClipplane.number));
    f.cameraVolume = nullptr;  // made by the walk
    f.visible = &visible_;
    f.maps.clear();
    for (const auto& map : maps_) f.maps.push_back(map.get());
    f.cpuVolumes = techniques_[kCpuShadowVolumes];
    f.optimizedVolumes = techniques_[kOptimizedShadowVolumes];
    f.programVolumes = techniques_[kVertexProgramShadowVolumes];
    f.debug = techniques_[kDebug];
    if (!f.updateMesh) {
        f.updateMesh = [this](StaticMesh& mesh) { updateSectorMesh(mesh); };
        f.updateInstance = [this](MeshInstance& instance) { updateInstance(instance); };
        f.prepareShadow = [this](MeshInstance& instance) { prepareShadowData(instance); };
    }
}

void World::findCameraSector(const Vector4& position) {
    if (cameraSector_ && cameraSector_->containsPoint(position)) return;
    cameraSector_ = nullptr;
    cameraMap_ = nullptr;
    for (const auto& map : maps_) {
        if (Sector* sector = map->findSector(position)) {
            cameraSector_ = sector;
            cameraMap_ = map.get();
            return;
        }
    }
}

void World::walk(const CameraView& camera) {
    if (!flagsClear_)
        for (const auto& map : maps_) map->setContentFlags(0);
    assert(contentFlagsClear(maps_));
    flagsClear_ = false;  // until this frame has cleared up after itself

    cameraVolume_ = std::make_unique<ViewVolume>(camera.worldVolume(shape_));
    lightFrame_.cameraVolume = cameraVolume_.get();
    if (cameraSector_ && !settings().dbgWalkAll.flag) {
        cameraMap_->walk(camera.position, cameraSector_, *cameraVolume_, visible_,
                         kNoDistanceLimit);
    } else {
        for (const auto& map : maps_)
            map->walk(camera.position, nullptr, *cameraVolume_, visible_, kNoDistanceLimit);
    }
    walked_.assign(visible_.sectors.begin(), visible_.sectors.end());
}

void World::boxSectors() {
    for (Sector* sector : visible_.sectors) {
        BoundingBox box;
        for (const ViewVolume* volume : sector->viewVolumes())
            if (volume) unite(box, volume->screenBox(viewProjection_));
        visible_.sectorBoxes.push_back(box);
        updateSectorMesh(sector->staticMesh());
    }
}

void World::collectLights() {
    for (Sector* sector : visible_.sectors) {
        for (Light* light : sector->lights()) {
            if (!light || (light->flags & frameflag::kCollected)) continue;
            light->flags |= frameflag::kCollected;
            visible_.lights.push_back(light);
        }
    }
    for (Light* light : visible_.lights) light->flags &= ~frameflag::kCollected;
}

void World::collectInstances() {
    for (size_t i = 0; i < visible_.sectors.size(); ++i) {
        const BoundingBox& sectorBox = visible_.sectorBoxes[i];
        for (MeshInstance* instance : visible_.sectors[i]->instances()) {
            if (!instance) continue;
            if (instance->getFlags() & frameflag::kCollected) {
                const auto at =
                    std::find(visible_.instances.begin(), visible_.instances.end(), instance);
                unite(visible_.instanceBoxes[static_cast<size_t>(at - visible_.instances.begin())],
                      sectorBox);
                continue;
            }
            setBits(*instance, frameflag::kCollected);
            visible_.instances.push_back(instance);
            visible_.instanceBoxes.push_back(sectorBox);
        }
    }
    for (MeshInstance* instance : visible_.instances) clearBits(*instance, frameflag::kCollected);
}

void World::boxInstances() {
    for (size_t i = 0; i < visible_.instances.size();) {
        MeshInstance& instance = *visible_.instances[i];
        updateInstance(instance);
        BoundingBox box = screenBoxOf(instance.orientedBox());
        box.intersect(visible_.instanceBoxes[i]);
        if (!isEmptyScreenBox(box) && !(instance.getFlags() & frameflag::kShadowReady)) {
            // Skinning moves the vertices: the box of the skinned pose decides.
            prepareShadowData(instance);
            box = screenBoxOf(instance.orientedBox());
            box.intersect(visible_.instanceBoxes[i]);
        }
        if (!!isEmptyScreenBox(box)) {
            visible_.removeInstance(i);
            continue;
        }
        visible_.instanceBoxes[i] = box;
        ++i;
    }
}

bool World::occlusionCullingOn() const {
    return gDriver.dOcclusionCulling() && settings().gfxHwOcclusionCulling.flag;
}

template <typename Entry, typename Draw>
void World::drawAmbient(std::vector<Entry*>& entries, std::vector<BoundingBox>& boxes, Draw draw) {
    bool useQueries = occlusionCullingOn();
    const int count = static_cast<int>(entries.size());
    if (useQueries && count > 0 && (count >= queryCapacity_ || !queries_)) {
        if (queries_) gDriver.dDeleteOcclusionQueries(queryCapacity_, queries_);
        queries_ = gDriver.dGenOcclusionQueries(count);
        queryCapacity_ = count;
    }
    // Without an array (the driver ran out) nothing can be counted, so nothing is culled.
    if (!queries_) useQueries = false;

    RenderContext& context = renderContext();
    for (int i = 0; i < count; ++i) {
        setScissor(boxes[static_cast<size_t>(i)]);
        if (useQueries) context.setOcclusionQuery(i, queries_);
        draw(*entries[static_cast<size_t>(i)]);
        context.clearOcclusionQuery();
        clearScissor();
    }
    flushRenderQueue();
    if (!useQueries) return;

    std::vector<Entry*> kept;
    std::vector<BoundingBox> keptBoxes;
    for (int q = 0; q < count; ++q) {
        if (gDriver.dGetVisiblePixels(q, queries_) == 0) continue;
        kept.push_back(entries[static_cast<size_t>(q)]);
        keptBoxes.push_back(boxes[static_cast<size_t>(q)]);
    }
    entries.swap(kept);
    boxes.swap(keptBoxes);
    gDriver.dDisableOcclusion();
}

void World::ambientStage() {
    RenderContext& context = renderContext();
    const Matrix4& view = camera_->viewMatrix();
    drawAmbient(visible_.sectors, visible_.sectorBoxes, [&](Sector& sector) {
        StaticMesh& mesh = sector.staticMesh();
        context.modelView = view * mesh.worldMatrix;
        mesh.draw(context, &RenderTechnique::ambientPasses);
    });
    drawAmbient(visible_.instances, visible_.instanceBoxes, [&](MeshInstance& instance) {
        context.modelView = view;
        // Skinned vertices carry no colour, so fixed function draws them in the current
        // one: the ambient light's, not whatever the light stage left behind.
        gDriver.dColor4(0.25f, 0.25f, 0.25f, 1.0f);
        instance.queueFaces(context, &RenderTechnique::ambientPasses);
    });
    context.modelView = view;
}

void World::markVisible() {
    for (Sector* sector : visible_.sectors) {
        // On the sector, which the light stage reads, and on its mesh, the object that
        // is drawn and touched.
        setBits(*sector, frameflag::kVisible);
        setBits(sector->staticMesh(), frameflag::kVisible);
        clearBits(*sector, frameflag::kVisited);
        for (Portal* portal : sector->portals())
            if (portal) clearBits(*portal, frameflag::kVisited);
    }
    for (MeshInstance* instance : visible_.instances) {
        setBits(*instance, frameflag::kVisible);
        clearBits(*instance, frameflag::kVisited);
    }
}

void World::renderLights() {
    for (Light* light : visible_.lights) {
        if (!light) continue;
        if (lightVisible(lightFrame_, *light, reach_)) renderLight(lightFrame_, *light, reach_);
    }
    reach_.clear();
}

void World::endFrame() {
    for (SceneNode* node : touched_) clearBits(*node, kFrameBits);
    touched_.clear();
    // Sectors are not touched objects. Those the occlusion queries dropped still carry
    // the walk's marks, and so may the portals into them: all that the reset before the
    // next walk would find is cleared here.
    for (Sector* sector : walked_) {
        sector->setFlags(0);
        for (Portal* portal : sector->portals())
            if (portal) portal->setFlags(0);
    }
    walked_.clear();
    for (Light* light : visible_.lights) light->flags = 0;
    flagsClear_ = true;

    visible_.volumes.clear();
    cameraVolume_.reset();
    lightFrame_.cameraVolume = nullptr;
    gDriver.dColorMask(1, 1, 1, 1);
    gDriver.dDepthMask(1);

    // The context must not point into this frame's camera any more.
    RenderContext& context = renderContext();
    context.setObject(nullptr, nullptr);
    context.setLight(nullptr, nullptr, nullptr, nullptr);
    context.setCameraView(nullptr, nullptr, nullptr);
    context.clearScissor();
    context.clearOcclusionQuery();
    camera_ = nullptr;
}

}  // namespace arvel
