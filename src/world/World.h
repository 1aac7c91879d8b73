// The World owns everything that is drawn (maps, dynamic-mesh instances, the default
// techniques and the registries that share techniques, programs, textures and dynamic
// meshes by file name) and draws one frame of it for a camera: visibility by portal
// walk, screen boxes turned into scissor rectangles, the ambient stage with occlusion
// culling, then every visible light (LightRenderer.h, which also lends the scissor
// helpers).
//
// The per-frame state the light code reads (camera, matrices, visible set, touched
// list) is public through accessors; it is valid only while render() runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/math/BoundingBox.h"
#include "core/math/Matrix4.h"
#include "world/FrameShape.h"
#include "world/LightRenderer.h"
#include "world/VisibleSet.h"

namespace arvel {

class BoundingVolume;
class CameraView;
class Console;
class Map;
class MeshInstance;
class ReloadState;
class RenderTechnique;
class ResourceRegistry;
class SceneNode;
class Sector;
class StaticMesh;
class Texture;
class ViewVolume;
struct DOcclusionQueries;
struct ReloadResult;

// The near plane the projection uses for the setting gfx_near_clipplane.
float nearPlaneDistance(float setting);
// The infinite-far-plane projection of a frame of that shape (FrameShape.h), near plane
// at nearPlane. The default shape is 90 degrees across at 4:3.
Matrix4 frameProjection(float nearPlane, const FrameShape& shape = FrameShape());

// Number of lights the last frame found visible, for the statistics line.
int visibleLightCount();

class World {
public:
    enum DefaultTechnique {
        kStaticDefault,
        kDynamicDefault,
        kOptimizedShadowVolumes,
        kVertexProgramShadowVolumes,
        kCpuShadowVolumes,
        kDebug,
        kDefaultTechniqueCount
    };
    static constexpr int kInitialQueryCapacity = 512;

    // Loads "default.fpf" and compiles the six default techniques. Throws
    // "Couldn't create world due to missing/invalid basic resources\n" wrapping the
    // cause when a script is missing or does not compile (a missing "default.fpf"
    // only stays unloaded).
    World(Console* console, float width, float height);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Reads the OTM file into a new map (kept even when the file is missing or bad:
    // then it is empty) and returns it.
    Map* loadMap(const std::string& fileName);
    // A new instance of the named ".msh" mesh, loaded once and shared by name. The
    // loader's Exception passes on; the instance list is then unchanged.
    MeshInstance* loadDynamicMesh(const std::string& fileName);
    // Reads an OTM file into a map the world does not draw yet; see Map::found() and
    // Map::failed() for how it went.
    std::unique_ptr<Map> readMap(const std::string& fileName);
    // Drops every map, every mesh instance and the dynamic meshes they shared (read anew
    // by the next level, so an edited mesh is seen), then draws map alone. Techniques,
    // programs and textures stay shared.
    Map* replaceLevel(std::unique_ptr<Map> map);

    // Draws one frame seen from camera; the caller swaps buffers.
    void render(const CameraView& camera);

    // Reads again, in place, every technique, program and texture whose file changed
    // since the last call (world/WorldReload.h, WorldReload.cpp). Between frames.
    ReloadResult reloadChanged();
    // A technique the application owns (the overlay font) is checked with the world's
    // own until it is unwatched.
    void watchTechnique(RenderTechnique* technique);
    void unwatchTechnique(RenderTechnique* technique);

    const std::vector<std::unique_ptr<Map>>& maps() const { return maps_; }
    const std::vector<std::unique_ptr<MeshInstance>>& instances() const { return instances_; }
    ResourceRegistry& meshRegistry() const { return *meshes_; }
    ResourceRegistry& programRegistry() const { return *programs_; }
    ResourceRegistry& textureRegistry() const { return *textures_; }
    const RenderTechnique& technique(DefaultTechnique which) const { return *techniques_[which]; }
    Console* console() const { return console_; }
    float width() const { return width_; }
    float height() const { return height_; }
    const FrameShape& shape() const { return shape_; }
    // The window's new drawing area, in pixels: the next frame projects, boxes and
    // scissors for it.
    void setWindowSize(float width, float height);

    // Occlusion queries: the array (null where unsupported) and its size.
    DOcclusionQueries* queries() const { return queries_; }
    int queryCapacity() const { return queryCapacity_; }
    // The sector holding the camera as of the last frame, and its map.
    Sector* cameraSector() const { return cameraSector_; }
    Map* cameraMap() const { return cameraMap_; }

    // The frame being drawn.
    const CameraView* camera() const { return camera_; }
    const Matrix4& projection() const { return projection_; }
    const Matrix4& viewProjection() const { return viewProjection_; }
    const ViewVolume* cameraVolume() const { return cameraVolume_.get(); }
    VisibleSet& visibleSet() { return visible_; }
    const std::vector<SceneNode*>& touched() const { return touched_; }

    // Once per frame each: the sector mesh's and the instance's per-frame update, and
    // the instance's skinned shadow data. Each object so handled joins the touched
    // list, whose frame bits are cleared when the frame ends.
    void updateSectorMesh(StaticMesh& mesh);
    void updateInstance(MeshInstance& instance);
    void prepareShadowData(MeshInstance& instance);

    // The current render context's scissor from a screen box (and the box drawn when
    // dbg_draw_sboxes is on); clearScissor drops it. Only while render() runs.
    void setScissor(const BoundingBox& screenBox);
    void clearScissor();
    // Where a world-space volume lands on the screen this frame: carried into the
    // camera's space, boxed, projected.
    BoundingBox screenBoxOf(const BoundingVolume& worldVolume) const;

private:
    void createResources();
    void destroyResources();
    // Forgets every map and mesh instance, and what the last frame kept of them.
    void dropLevel();

    // Frame steps.
    void setUpMatrices(const CameraView& camera);
    void prepareLightFrame();
    void findCameraSector(const Vector4& position);
    void walk(const CameraView& camera);
    void boxSectors();
    void collectLights();
    void collectInstances();
    void boxInstances();
    void ambientStage();
    void markVisible();
    void renderLights();
    void endFrame();

    // The ambient stage of one list (sectors or instances) with its parallel boxes.
    // draw queues entry i; entries whose queries count no pixels are dropped.
    template <typename Entry, typename Draw>
    void drawAmbient(std::vector<Entry*>& entries, std::vector<BoundingBox>& boxes, Draw draw);
    bool occlusionCullingOn() const;

    Console* console_;
    float width_, height_;
    float halfWidth_, halfHeight_;
    FrameShape shape_;

    std::unique_ptr<ResourceRegistry> meshes_;
    std::unique_ptr<ResourceRegistry> programs_;
    std::unique_ptr<ResourceRegistry> textures_;
    RenderTechnique* techniques_[kDefaultTechniqueCount] = {};
    Texture* defaultTexture_ = nullptr;  // owned by the texture registry once loaded

    std::vector<std::unique_ptr<Map>> maps_;
    std::vector<std::unique_ptr<MeshInstance>> instances_;

    struct ReloadStateDeleter {
        void operator()(ReloadState* state) const;
    };
    std::unique_ptr<ReloadState, ReloadStateDeleter> reload_;  // made by the first check

    int queryCapacity_ = kInitialQueryCapacity;
    DOcclusionQueries* queries_ = nullptr;

    Sector* cameraSector_ = nullptr;
    Map* cameraMap_ = nullptr;

    // Every map's flags are reset before the walk. A frame that ran to its end has
    // cleared every flag it set (walked_ lists the sectors its walk reached, culled or
    // not), so the reset, which would touch every sector, portal and light of the maps,
    // is needed only after loading a map or after a frame that did not finish.
    bool flagsClear_ = false;
    std::vector<Sector*> walked_;

    const CameraView* camera_ = nullptr;
    Matrix4 projection_;
    Matrix4 viewProjection_;
    std::unique_ptr<ViewVolume> cameraVolume_;
    VisibleSet visible_;
    std::vector<SceneNode*> touched_;
    LightFrame lightFrame_;  // what the light stage reads, refreshed every frame
    LightReach reach_;       // reused from light to light
};

}  // namespace arvel
