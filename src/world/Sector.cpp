#include "world/Sector.h"

#include "world/MeshInstance.h"
#include "world/Portal.h"
#include "world/StaticMesh.h"
#include "world/ViewVolume.h"
#include "world/VisibleSet.h"

namespace arvel {

Sector::Sector(Map* map, int index) : map_(map), mesh_(std::make_unique<StaticMesh>()) {
    this->index = index;
    mesh_->parent = this;
}

Sector::~Sector() = default;

void Sector::takeMeshBox() { boundingBox = mesh_->boundingBox; }

void Sector::addInstance(MeshInstance& instance) {
    instances_.push_back(&instance);
    instance.addSector(this);
}

bool Sector::containsPoint(const Vector4& p) const {
    Ray down = Ray::fromDirection(p, {0.0f, -1.0f, 0.0f, 0.0f});
    down.twoSided = 1;  // a face met from behind still ends the ray: that means outside

    MeshFace* floor = nullptr;
    const float floorDistance = mesh_->rayHit(down, true, &floor);

    int crossed = 0;
    for (const Portal* portal : portals_) {
        if (portal->rayHit(down, false) < floorDistance) ++crossed;
    }
    if (crossed % 2 != 0) return false;
    return floor && dot3(down.direction, floor->plane.normal) < 0.0f;
}

void Sector::enter(const ViewVolume& volume, VisibleSet& result) {
    if (!(flags & kVisited)) {
        flags |= kVisited;
        result.sectors.push_back(this);
        viewVolumes_.clear();
    }
    viewVolumes_.push_back(&volume);
}

void Sector::walk(const Vector4& viewpoint, const ViewVolume& volume, VisibleSet& result,
                  float limit) {
    // Depth first with an explicit stack: a long chain of rooms must not run the
    // program's stack out.
    struct Step {
        Sector* sector;
        const ViewVolume* volume;
        size_t nextPortal;
    };
    std::vector<Step> stack;
    enter(volume, result);
    stack.push_back({this, &volume, 0});

    while (!stack.empty()) {
        Step& step = stack.back();
        if (step.nextPortal >= step.sector->portals_.size()) {
            stack.pop_back();
            continue;
        }
        Portal* portal = step.sector->portals_[step.nextPortal++];
        if (portal->flags & Portal::kCrossed) continue;
        if (!(portal->distanceTo(viewpoint) < limit)) continue;
        const PortalPolygon polygon = portal->clipPolygon();
        if (polygon.count == 0) continue;
        std::unique_ptr<ViewVolume> narrowed =
            step.volume->clipByPortal(viewpoint, polygon, PortalCap::kFarSide);
        if (!narrowed) continue;

        const ViewVolume* through = result.keep(std::move(narrowed));
        portal->flags |= Portal::kCrossed;
        Sector* next = portal->otherSide(step.sector);
        if (!next) continue;
        next->enter(*through, result);
        stack.push_back({next, through, 0});  // step is not used past this point
    }
}

}  // namespace arvel
