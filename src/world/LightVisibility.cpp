// Front end of the light stage: what a light reaches and which shadows can be seen.
#include <cmath>

#include "console/Settings.h"
#include "core/math/OrientedBox.h"
#include "world/Light.h"
#include "world/LightRenderer.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/ShadowGeometry.h"
#include "world/StaticMesh.h"

namespace arvel {

namespace {

void setBits(SceneNode& node, int bits) { node.setFlags(node.getFlags() | bits); }
void clearBits(SceneNode& node, int bits) { node.setFlags(node.getFlags() & ~bits); }

bool usesPrecomputedData(const Light& light) {
    return light.precomputed && !settings().gfxForceDynamic.flag;
}

// The sector a light stands in: where its pieces start, else wherever it is found.
// Like the camera's, the sector found last is asked first: a search tests every
// sector of a map with a ray, which would make a frame's cost grow with the map.
Sector* lightSector(const LightFrame& frame, Light& light) {
    if (light.homeSector) return light.homeSector;
    if (light.foundSector && light.foundSector->containsPoint(light.position))
        return light.foundSector;
    light.foundSector = nullptr;
    for (Map* map : frame.maps) {
        if (Sector* sector = map ? map->findSector(light.position) : nullptr) {
            light.foundSector = sector;
            return sector;
        }
    }
    return nullptr;
}

// A walk with nothing but the radius to stop it, ended at once (walk bits cleared).
void walkFromLight(const LightFrame& frame, Light& light, VisibleSet& reach) {
    ViewVolume everywhere;
    everywhere.viewpoint = light.position;
    everywhere.finish();
    if (Sector* start = lightSector(frame, light)) {
        start->walk(light.position, everywhere, reach, light.outerRadius);
    } else {
        for (Map* map : frame.maps)
            if (map) map->walk(light.position, nullptr, everywhere, reach, light.outerRadius);
    }
    for (Sector* sector : reach.sectors) {
        clearBits(*sector, frameflag::kVisited);
        for (Portal* portal : sector->portals())
            if (portal) clearBits(*portal, frameflag::kVisited);
    }
}

void takePieceSectors(const Light& light, VisibleSet& reach) {
    for (const LightPiece& piece : light.pieces)
        if (piece.sector) reach.sectors.push_back(piece.sector);
}

// Every instance standing in a reached sector, once.
void collectInstances(VisibleSet& reach) {
    for (Sector* sector : reach.sectors) {
        for (MeshInstance* instance : sector->instances()) {
            if (!instance || (instance->getFlags() & frameflag::kCollected)) continue;
            setBits(*instance, frameflag::kCollected);
            reach.instances.push_back(instance);
        }
    }
    for (MeshInstance* instance : reach.instances) clearBits(*instance, frameflag::kCollected);
}

void markLit(const Light& light, const VisibleSet& reach) {
    for (MeshInstance* instance : reach.instances) {
        if (!(instance->getFlags() & frameflag::kVisible)) continue;
        if (instance->orientedBox().distance(light.position) < light.outerRadius)
            setBits(*instance, frameflag::kLit);
    }
    for (Sector* sector : reach.sectors)
        if (sector->getFlags() & frameflag::kVisible) setBits(*sector, frameflag::kLit);
}

}  // namespace

bool boxShadowVisible(const BoundingVolume& box, const Light& light, const ViewVolume& camera) {
    if (box.contains(light.position)) return true;
    Mesh boxMesh;
    appendBox(boxMesh, box);
    boxMesh.buildEdges();
    ClosedVolumeInput input;
    input.light = light.position;
    input.radius = light.outerRadius;
    input.backFaces = true;
    const std::unique_ptr<Mesh> volume = closedShadowVolume(boxMesh, input);
    return volume && !selectFaces(*volume, camera).empty();
}

bool lightVisible(const LightFrame& frame, Light& light, LightReach& reach) {
    reach.clear();
    if (!frame.cameraVolume || !light.reaches(*frame.cameraVolume)) return false;

    if (usesPrecomputedData(light))
        takePieceSectors(light, reach.walk);
    else
        walkFromLight(frame, light, reach.walk);
    collectInstances(reach.walk);
    markLit(light, reach.walk);

    for (MeshInstance* instance : reach.walk.instances) {
        if (frame.updateInstance) frame.updateInstance(*instance);
        if (!boxShadowVisible(instance->orientedBox(), light, *frame.cameraVolume)) continue;
        if (frame.prepareShadow) frame.prepareShadow(*instance);
        reach.casters.push_back(instance);
    }
    for (Sector* sector : reach.walk.sectors) {
        if (frame.updateMesh) frame.updateMesh(sector->staticMesh());
        reach.sectors.push_back(sector);
    }
    return true;
}

}  // namespace arvel
