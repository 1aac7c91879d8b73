// What one viewpoint sees in one frame: the sectors a portal walk reached (with the
// view volumes the walk made), the dynamic-mesh instances in them and the lights that
// touch them. Built per frame for the camera and per light; the screen-box lists run
// parallel to the sector and instance lists and stay empty for lights.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "core/math/BoundingBox.h"
#include "world/ViewVolume.h"

namespace arvel {

class Light;
class MeshInstance;
class Sector;

struct VisibleSet {
    std::vector<Sector*> sectors;                      // in the order first reached
    std::vector<BoundingBox> sectorBoxes;              // normalized device coordinates
    std::vector<std::unique_ptr<ViewVolume>> volumes;  // made by the walk; owned
    std::vector<MeshInstance*> instances;
    std::vector<BoundingBox> instanceBoxes;  // normalized device coordinates
    std::vector<Light*> lights;

    // Keeps a volume the walk made alive until clear(); returns it.
    ViewVolume* keep(std::unique_ptr<ViewVolume> volume) {
        volumes.push_back(std::move(volume));
        return volumes.back().get();
    }

    // Drops entry i of the sector list and its box together.
    void removeSector(std::size_t i) {
        sectors.erase(sectors.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < sectorBoxes.size())
            sectorBoxes.erase(sectorBoxes.begin() + static_cast<std::ptrdiff_t>(i));
    }
    // Drops entry i of the instance list and its box together.
    void removeInstance(std::size_t i) {
        instances.erase(instances.begin() + static_cast<std::ptrdiff_t>(i));
        if (i < instanceBoxes.size())
            instanceBoxes.erase(instanceBoxes.begin() + static_cast<std::ptrdiff_t>(i));
    }

    void clear() {
        sectors.clear();
        sectorBoxes.clear();
        volumes.clear();
        instances.clear();
        instanceBoxes.clear();
        lights.clear();
    }
};

}  // namespace arvel
