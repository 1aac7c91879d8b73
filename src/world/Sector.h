// A closed piece of a map with its own static mesh, joined to its neighbours by
// portals. Visibility walks from the viewpoint's sector through the portals the view
// can see, narrowing the view volume at each.
#pragma once

#include <memory>
#include <vector>

#include "core/math/Vector4.h"
#include "world/SceneNode.h"

namespace arvel {

class Light;
class Map;
class MeshInstance;
class Portal;
class StaticMesh;
class ViewVolume;
struct VisibleSet;

class Sector : public SceneNode {
public:
    static constexpr int kVisited = 1;  // flags bit: reached by the current walk

    Sector(Map* map, int index);
    ~Sector() override;

    Map* map() const { return map_; }
    StaticMesh& staticMesh() const { return *mesh_; }

    // Not owned, in file order; a light or portal named twice is listed twice.
    const std::vector<Light*>& lights() const { return lights_; }
    const std::vector<Portal*>& portals() const { return portals_; }
    void addLight(Light* light) { lights_.push_back(light); }
    void addPortal(Portal* portal) { portals_.push_back(portal); }

    // Dynamic-mesh instances placed here, in the order added (not owned).
    const std::vector<MeshInstance*>& instances() const { return instances_; }
    // Lists the instance here and this sector in the instance's own list.
    void addInstance(MeshInstance& instance);

    // The volumes through which the current walk reached this sector; valid from the
    // walk's first visit until the next walk visits it again.
    const std::vector<const ViewVolume*>& viewVolumes() const { return viewVolumes_; }

    // Cast straight down from p: inside when no portal is crossed an odd number of
    // times before the nearest face, and that face is met from its front. Without a
    // face below, p is outside.
    bool containsPoint(const Vector4& p) const;

    // Visits this sector with volume, then every sector behind a portal that lies
    // nearer than limit and survives clipping, depth first in portal order. Adds the
    // sectors first reached to result's sector list and the volumes it makes to its
    // volume list. Each portal is crossed once per walk (its visited bit); the caller
    // clears the bits.
    void walk(const Vector4& viewpoint, const ViewVolume& volume, VisibleSet& result, float limit);

    // The mesh's box, copied once the record is read.
    void takeMeshBox();

private:
    // First visit of a walk: marks and lists the sector and forgets old volumes.
    void enter(const ViewVolume& volume, VisibleSet& result);

    Map* map_;
    std::unique_ptr<StaticMesh> mesh_;
    std::vector<Light*> lights_;
    std::vector<Portal*> portals_;
    std::vector<MeshInstance*> instances_;
    std::vector<const ViewVolume*> viewVolumes_;
};

}  // namespace arvel
