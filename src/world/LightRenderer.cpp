// Back end of the light stage: stencil clear, shadow volumes, light stage.
#include "world/LightRenderer.h"

#include <algorithm>
#include <cmath>

#include "console/Settings.h"
#include "core/math/OrientedBox.h"
#include "driver/Driver.h"
#include "render/Material.h"
#include "render/Pass.h"
#include "render/RenderContext.h"
#include "render/RenderQueue.h"
#include "render/RenderTechnique.h"
#include "world/Light.h"
#include "world/LightCache.h"
#include "world/MeshInstance.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/ShadowGeometry.h"
#include "world/StaticMesh.h"

namespace arvel {

namespace {

constexpr float kMinimumExtent = 1e-6f;

void clearBits(SceneNode& node, int bits) { node.setFlags(node.getFlags() & ~bits); }

bool shadowsOn() { return settings().gfxDshadows.flag; }

void clearStencil() {
    gDriver.dStencilMaxVal();
    gDriver.dEnableStencil();
    gDriver.dDisableScissor();
    gDriver.dClearStencil(0);
    gDriver.dSetClear(dcode::kClearStencil);
    gDriver.dClearBuffer();
}

// The part of a node's screen box that the light's box also covers, or nothing when
// the light does not reach the node.
bool litPart(const SceneNode& node, const BoundingBox& box, const BoundingBox& lightBox,
             BoundingBox& out) {
    if (!(node.getFlags() & frameflag::kLit)) return false;
    out = box;
    out.intersect(lightBox);
    return !isEmptyScreenBox(out);
}

void setScissor(const LightFrame& frame, const BoundingBox& box) { setScissorFromBox(box, frame); }

// ---- shadow volumes -------------------------------------------------------------------

// The shortest a unit vector of the matrix's space becomes, for a matrix without shear.
float smallestScale(const Matrix4& m) {
    return std::min({length3(m.transformDirection({1, 0, 0, 0})),
                     length3(m.transformDirection({0, 1, 0, 0})),
                     length3(m.transformDirection({0, 0, 1, 0}))});
}

void queueProgramVolumes(const LightFrame& frame, const Light& light, const LightReach& reach,
                         const BoundingBox& litBox) {
    if (!frame.programVolumes) return;
    RenderContext& context = renderContext();
    gDriver.dColor4(0.0f, 0.0f, 1.0f, 0.75f);
    for (MeshInstance* caster : reach.casters) {
        setScissor(frame, litBox);
        // Beyond the light's reach a volume only costs fill. The programs extrude in the
        // caster's own space, where its smallest scale shortens distances the most.
        const float distance =
            shadowVolumeReach(caster->orientedBox(), light.position, light.outerRadius) /
            smallestScale(caster->worldMatrix);
        context.shadowExtrusion = std::isfinite(distance) ? distance : 0.0f;
        caster->queueWithPasses(context, frame.programVolumes->ambientPasses(), true);
        context.clearScissor();
    }
    context.shadowExtrusion = 0.0f;
    flushRenderQueue();
}

// The technique's ambient stage counts behind the surfaces, its light stage in front; a
// technique without the latter always counts behind.
void queueCpuVolume(const LightFrame& frame, const Light& light, const LightCacheEntry& entry) {
    if (!entry.vertexArray.valid() || entry.volume.indices.empty()) return;
    const PassList& inFront = frame.cpuVolumes->lightPasses();
    const VolumeCount count = inFront.empty()
                                  ? VolumeCount::kBehind
                                  : chooseVolumeCount(entry.bounds, frame.cameraPosition,
                                                      nearPlaneReach(frame.nearPlane, frame.shape),
                                                      light.position, light.outerRadius);
    RenderContext& context = renderContext();
    context.setObject(entry.mesh, &entry.mesh->worldMatrix);
    queueObject(entry.vertexArray.handle);
    setObjectState(context);
    if (count == VolumeCount::kBehind)
        queueBatch(&entry.volume, &frame.cpuVolumes->ambientPasses());
    else if (count == VolumeCount::kInFront)
        queueBatch(&entry.volume, &inFront);
    else if (!entry.openVolume.indices.empty())
        queueBatch(&entry.openVolume, &inFront);
}

void queueCpuVolumes(const LightFrame& frame, const Light& light, const LightReach& reach,
                     const BoundingBox& litBox) {
    if (!frame.cpuVolumes) return;
    RenderContext& context = renderContext();
    gDriver.dColor4(1.0f, 1.0f, 1.0f, 1.0f);
    for (Sector* sector : reach.sectors) {
        context.modelView = frame.view;
        setScissor(frame, litBox);
        queueCpuVolume(frame, light,
                       lightCache().fetch(sector->staticMesh(), light, lightCacheCapacity()));
        context.clearScissor();
    }
    flushRenderQueue();
}

// ---- light stage ----------------------------------------------------------------------

bool lightStandsIn(const Light& light, const Sector& sector) {
    return &sector == light.homeSector || &sector == light.foundSector ||
           sector.containsPoint(light.position);
}

// The lit faces worth drawing: without shadows everything within reach is lit, and
// so is everything in the light's own sector.
const std::vector<std::unique_ptr<RenderBatch>>& litGroupsOf(const Light& light,
                                                             const Sector& sector,
                                                             LightCacheEntry& entry) {
    if (!shadowsOn() || lightStandsIn(light, sector)) return entry.litGroups;
    if (!entry.throughReady) {
        entry.throughReady = true;
        FaceList kept;
        if (facesThroughOpenings(sector, light.position, entry.litFaces, kept))
            buildLitGroups(kept, entry.throughGroups);
        else
            entry.throughAll = true;
    }
    return entry.throughAll ? entry.litGroups : entry.throughGroups;
}

void queueLitGroups(const StaticMesh& mesh,
                    const std::vector<std::unique_ptr<RenderBatch>>& groups) {
    if (!mesh.vertexArray().valid()) return;
    RenderContext& context = renderContext();
    context.setObject(&mesh, &mesh.worldMatrix);
    queueObject(mesh.vertexArray().handle);
    setObjectState(context);
    for (const auto& group : groups) {
        const RenderTechnique* technique = group->material ? group->material->technique() : nullptr;
        if (technique) queueBatch(group.get(), &technique->lightPasses());
    }
}

// Where the light's precomputed lit piece of mesh is, else the whole mesh.
const StaticMesh& litPiece(const Light& light, const Sector& sector) {
    for (const LightPiece& piece : light.pieces)
        if (piece.sector == &sector && piece.mesh) return *piece.mesh;
    return sector.staticMesh();
}

// Sectors and instances of the camera's set that the light reaches, each clipped to
// the light's box. Sectors under a dynamic light draw only the faces it reaches.
void queueLitSectors(const LightFrame& frame, const Light& light, const BoundingBox& lightBox,
                     bool precomputed) {
    const VisibleSet& visible = *frame.visible;
    RenderContext& context = renderContext();
    gDriver.dColor4(1.0f, 1.0f, 1.0f, 1.0f);
    for (size_t i = 0; i < visible.sectors.size(); ++i) {
        Sector& sector = *visible.sectors[i];
        BoundingBox box;
        if (i >= visible.sectorBoxes.size() ||
            !litPart(sector, visible.sectorBoxes[i], lightBox, box))
            continue;
        context.modelView = frame.view;
        setScissor(frame, box);
        if (precomputed) {
            queueMesh(litPiece(light, sector), context, &RenderTechnique::lightPasses);
        } else {
            LightCacheEntry& entry =
                lightCache().fetch(sector.staticMesh(), light, lightCacheCapacity());
            queueLitGroups(sector.staticMesh(), litGroupsOf(light, sector, entry));
        }
        context.clearScissor();
    }
}

void queueLitInstance(const LightFrame& frame, MeshInstance& instance,
                      const BoundingBox& instanceBox, const BoundingBox& lightBox) {
    BoundingBox box;
    if (!litPart(instance, instanceBox, lightBox, box)) return;
    RenderContext& context = renderContext();
    context.modelView = frame.view;
    setScissor(frame, box);
    instance.queueFaces(context, &RenderTechnique::lightPasses);
    context.clearScissor();
}

void queueLitInstances(const LightFrame& frame, const BoundingBox& lightBox) {
    const VisibleSet& visible = *frame.visible;
    gDriver.dColor4(1.0f, 1.0f, 1.0f, 1.0f);
    for (size_t i = 0; i < visible.instances.size() && i < visible.instanceBoxes.size(); ++i)
        queueLitInstance(frame, *visible.instances[i], visible.instanceBoxes[i], lightBox);
}

// Where the light stage can draw: the part of the light's box that its lit sectors and
// instances cover. The stencil is read nowhere else, so volumes need fill no more.
BoundingBox litScreenBox(const VisibleSet& visible, const BoundingBox& lightBox) {
    BoundingBox lit;
    BoundingBox box;
    const auto add = [&](const SceneNode& node, const BoundingBox& screenBox) {
        if (!litPart(node, screenBox, lightBox, box)) return;
        lit.extend(box.min);
        lit.extend(box.max);
    };
    for (size_t i = 0; i < visible.sectors.size() && i < visible.sectorBoxes.size(); ++i)
        add(*visible.sectors[i], visible.sectorBoxes[i]);
    for (size_t i = 0; i < visible.instances.size() && i < visible.instanceBoxes.size(); ++i)
        add(*visible.instances[i], visible.instanceBoxes[i]);
    return lit;
}

// ---- precomputed volumes --------------------------------------------------------------

LightGroup buildLightGroup(const LightFrame& frame) {
    const VisibleSet& visible = *frame.visible;
    LightGroup group;
    for (size_t i = 0; i < visible.instances.size() && i < visible.instanceBoxes.size(); ++i) {
        MeshInstance* instance = visible.instances[i];
        if (!(instance->getFlags() & frameflag::kLit)) continue;
        const std::array<Vector4, 8> corners = instance->orientedBox().corners();
        LightGroup one;
        one.add(instance, visible.instanceBoxes[i], corners, frame.cameraPosition);
        group.merge(one);
    }
    return group;
}

// Fan triangles of the faces, as indices into the shadow mesh's vertex array.
std::vector<uint32_t> triangleIndices(const FaceList& faces) {
    std::vector<uint32_t> indices;
    for (const MeshFace* face : faces) {
        const int n = face->cornerCount();
        for (int k = 1; k + 1 < n; ++k) {
            indices.push_back(static_cast<uint32_t>(face->corners[0]->index));
            indices.push_back(static_cast<uint32_t>(face->corners[static_cast<size_t>(k)]->index));
            indices.push_back(
                static_cast<uint32_t>(face->corners[static_cast<size_t>(k + 1)]->index));
        }
    }
    return indices;
}

// The quad that counts the volume the camera stands in, at the near plane and facing
// the camera, so it counts as a way into a volume does. It covers the whole frame
// however wide the window is.
void drawInShadowQuad(const PassList& passes, const Matrix4& view, const FrameShape& shape) {
    static const RenderTexCoord kTexCoord{0.0f, 0.0f};
    const float x = std::max(1.0f, shape.slopeX), y = std::max(1.0f, shape.slopeY);
    const RenderPosition corners[4] = {
        {-x, -y, -1.0f, 0.0f}, {x, -y, -1.0f, 0.0f}, {x, y, -1.0f, 0.0f}, {-x, y, -1.0f, 0.0f}};
    RenderVertex quad[4] = {};
    for (int i = 0; i < 4; ++i) {
        quad[i].position = &corners[i];
        quad[i].texCoord = &kTexCoord;
    }
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dLoadIdentity();
    for (const Pass* pass : passes) {
        pass->apply();
        gDriver.dRenderQuad(&quad[0], &quad[1], &quad[2], &quad[3]);
        pass->end();
    }
    gDriver.dMatrix(view.m);
}

void drawPrecomputedVolume(const LightFrame& frame, const Light& light,
                           const std::vector<uint32_t>& indices, bool inShadow) {
    if (!frame.optimizedVolumes) return;
    const PassList& passes = frame.optimizedVolumes->ambientPasses();
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dMatrix(frame.projection.m);
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dMatrix(frame.view.m);
    if (inShadow) drawInShadowQuad(passes, frame.view, frame.shape);
    if (!light.shadowMesh || indices.empty()) return;
    const VertexArray& array = light.shadowMesh->vertexArray();
    if (!array.valid()) return;
    array.bind();
    for (const Pass* pass : passes) {
        pass->apply();
        gDriver.dVARender(array.handle, indices.data(), static_cast<unsigned>(indices.size()),
                          dcode::kPrimitiveTriangles, dcode::kIndexUnsignedInt);
        pass->end();
    }
}

void drawGroupShadow(const LightFrame& frame, const Light& light, const LightGroup& group,
                     bool inShadow) {
    RenderContext& context = renderContext();
    setScissor(frame, group.box);
    if (settings().gfxScissor.flag && context.scissorValid) {
        gDriver.dEnableScissor();
        gDriver.dScissor(context.scissorX, context.scissorY, context.scissorWidth,
                         context.scissorHeight);
    }
    std::vector<uint32_t> culled;
    const std::vector<uint32_t>* indices = nullptr;
    if (light.shadowMesh && settings().gfxCullVolumes.flag) {
        culled = triangleIndices(
            selectFaces(*light.shadowMesh, group.volume(frame.cameraToWorld, frame.shape)));
        indices = &culled;
    } else if (light.shadowBatch) {
        indices = &light.shadowBatch->indices;
    }
    drawPrecomputedVolume(frame, light, indices ? *indices : culled, inShadow);
    context.clearScissor();
    gDriver.dDisableScissor();
    flushRenderQueue();
}

void renderPrecomputed(const LightFrame& frame, const Light& light, const BoundingBox& lightBox) {
    const bool inShadow = cameraInShadow(light, frame.cameraPosition);
    queueLitSectors(frame, light, lightBox, true);
    flushRenderQueue();

    const LightGroup group = buildLightGroup(frame);
    if (group.empty()) return;
    if (shadowsOn()) drawGroupShadow(frame, light, group, inShadow);
    RenderContext& context = renderContext();
    context.modelView = frame.view;
    gDriver.dColor4(1.0f, 1.0f, 1.0f, 1.0f);
    const VisibleSet& visible = *frame.visible;
    for (size_t i = 0; i < visible.instances.size() && i < visible.instanceBoxes.size(); ++i) {
        MeshInstance* instance = visible.instances[i];
        if (std::find(group.instances.begin(), group.instances.end(), instance) !=
            group.instances.end())
            queueLitInstance(frame, *instance, visible.instanceBoxes[i], lightBox);
    }
    flushRenderQueue();
}

void renderDynamic(const LightFrame& frame, const Light& light, const LightReach& reach,
                   const BoundingBox& lightBox, const BoundingBox& litBox) {
    if (shadowsOn() && !litBox.isEmpty()) queueCpuVolumes(frame, light, reach, litBox);
    queueLitSectors(frame, light, lightBox, false);
    queueLitInstances(frame, lightBox);
    flushRenderQueue();
    // Entries the cache let go of while this light was queued were drawn just now.
    lightCache().releaseRetired();
}

void clearLitBits(const VisibleSet& visible) {
    for (Sector* sector : visible.sectors) clearBits(*sector, frameflag::kLit);
    for (MeshInstance* instance : visible.instances) clearBits(*instance, frameflag::kLit);
}

}  // namespace

void renderLight(const LightFrame& frame, Light& light, const LightReach& reach) {
    clearStencil();
    RenderContext& context = renderContext();
    context.setLight(&light, &light.position, light.colour, &light.outerRadius);
    context.modelView = frame.view;

    const BoundingBox lightBox = lightScreenBox(frame, light);
    if (frame.visible && !isEmptyScreenBox(lightBox)) {
        const BoundingBox litBox = litScreenBox(*frame.visible, lightBox);
        if (shadowsOn() && !litBox.isEmpty()) queueProgramVolumes(frame, light, reach, litBox);
        if (light.precomputed && !settings().gfxForceDynamic.flag)
            renderPrecomputed(frame, light, lightBox);
        else
            renderDynamic(frame, light, reach, lightBox, litBox);
    }
    // Also when nothing was drawn: the next light must not inherit this one's marks.
    if (frame.visible) clearLitBits(*frame.visible);
}

// ---- pieces ---------------------------------------------------------------------------

namespace {

// Boxes of extreme geometry reach past the window, to infinity or NaN; nothing outside
// the window is drawn, so an edge is kept to it (and NaN opens it fully).
float windowEdge(float ndc, float whenUnknown) {
    if (std::isnan(ndc)) return whenUnknown;
    return std::clamp(ndc, -1.0f, 1.0f);
}

}  // namespace

ScissorRect scissorFromBox(const BoundingBox& box, float halfWidth, float halfHeight) {
    const float left = windowEdge(box.min.x, -1.0f), right = windowEdge(box.max.x, 1.0f);
    const float bottom = windowEdge(box.min.y, -1.0f), top = windowEdge(box.max.y, 1.0f);
    const int x0 = static_cast<int>(std::floor((left + 1.0f) * halfWidth));
    const int x1 = static_cast<int>(std::ceil((right + 1.0f) * halfWidth));
    const int y0 = static_cast<int>(std::floor((bottom + 1.0f) * halfHeight));
    const int y1 = static_cast<int>(std::ceil((top + 1.0f) * halfHeight));
    return {x0, y0, x1 - x0, y1 - y0};
}

void setScissorFromBox(const BoundingBox& box, const LightFrame& frame) {
    const ScissorRect rect = scissorFromBox(box, frame.halfWidth, frame.halfHeight);
    renderContext().setScissor(rect.x, rect.y, rect.width, rect.height);
    if (!settings().dbgDrawSboxes.flag || !frame.debug) return;

    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dPushMatrix();
    gDriver.dLoadIdentity();
    gDriver.dScissor(0, 0, static_cast<int>(2.0f * frame.halfWidth),
                     static_cast<int>(2.0f * frame.halfHeight));
    const DVec4 corners[4] = {{box.min.x, box.min.y, -1.0f, 1.0f},
                              {box.max.x, box.min.y, -1.0f, 1.0f},
                              {box.max.x, box.max.y, -1.0f, 1.0f},
                              {box.min.x, box.max.y, -1.0f, 1.0f}};
    for (const Pass* pass : frame.debug->ambientPasses()) {
        pass->apply();
        gDriver.dColor3(1.0f, 0.0f, 0.0f);
        for (int i = 0; i < 4; ++i) gDriver.dRenderLine(corners[i], corners[(i + 1) % 4]);
        pass->end();
    }
    gDriver.dPopMatrix();
}

BoundingBox lightScreenBox(const LightFrame& frame, const Light& light) {
    const Vector4 centre = frame.view.transformPoint(light.position);
    const float r = light.outerRadius;
    const BoundingBox eyeBox({centre.x - r, centre.y - r, centre.z - r, 0.0f},
                             {centre.x + r, centre.y + r, centre.z + r, 0.0f});
    return eyeBox.screenRect(frame.projection);
}

bool isEmptyScreenBox(const BoundingBox& box) {
    return box.max.x - box.min.x < kMinimumExtent || box.max.y - box.min.y < kMinimumExtent;
}

void LightGroup::add(MeshInstance* instance, const BoundingBox& screenBox,
                     const std::array<Vector4, 8>& corners, const Vector4& eye) {
    instances.push_back(instance);
    box.extend(screenBox.min);
    box.extend(screenBox.max);
    for (const Vector4& corner : corners) {
        const float distance = length3(corner - eye);
        nearest = std::min(nearest, distance);
        farthest = std::max(farthest, distance);
    }
}

void LightGroup::merge(const LightGroup& other) {
    instances.insert(instances.end(), other.instances.begin(), other.instances.end());
    if (!other.box.isEmpty()) {
        box.extend(other.box.min);
        box.extend(other.box.max);
    }
    nearest = std::min(nearest, other.nearest);
    farthest = std::max(farthest, other.farthest);
}

ViewVolume LightGroup::volume(const Matrix4& cameraToWorld, const FrameShape& shape) const {
    return ViewVolume::fromScreenRect(box.min.x * shape.slopeX, box.max.x * shape.slopeX,
                                      box.min.y * shape.slopeY, box.max.y * shape.slopeY, farthest)
        .transformed(cameraToWorld);
}

float shadowVolumeReach(const BoundingVolume& box, const Vector4& light, float radius) {
    // Corners 0 and 7 lie opposite: the diagonal between them spans the bounding sphere.
    const std::array<Vector4, 8> corners = box.corners();
    const Vector4 centre = (corners[0] + corners[7]) * 0.5f;
    const float sphere = length3(corners[7] - corners[0]) * 0.5f;
    const float distance = length3(light - centre);
    // Near the sphere the angle nears half a turn and the reach infinity; a margin
    // covers rounding in the program that moves the points.
    if (!(distance > sphere * 1.05f) || !(radius > 0.0f) || !std::isfinite(radius)) return 0.0f;
    const float sine = sphere / distance;
    return 1.01f * radius / std::sqrt(1.0f - sine * sine);
}

VolumeCount chooseVolumeCount(const BoundingBox& volumeBounds, const Vector4& eye, float nearReach,
                              const Vector4& light, float radius) {
    // Margins against rounding: a doubt counts behind, or keeps the far caps.
    if (volumeBounds.isEmpty() || !std::isfinite(nearReach)) return VolumeCount::kBehind;
    const float clearance = nearReach * 1.01f + kTolerance;
    if (!(volumeBounds.distance(eye) > clearance)) return VolumeCount::kBehind;
    return length3(eye - light) < radius * 0.999f ? VolumeCount::kInFrontOpen
                                                  : VolumeCount::kInFront;
}

float nearPlaneReach(float nearPlane, const FrameShape& shape) {
    return nearPlane * std::sqrt(1.0f + shape.slopeX * shape.slopeX + shape.slopeY * shape.slopeY);
}

bool facesThroughOpenings(const Sector& sector, const Vector4& light, const FaceList& faces,
                          FaceList& out) {
    ViewVolume everywhere;
    everywhere.viewpoint = light;
    everywhere.finish();
    std::vector<std::unique_ptr<ViewVolume>> openings;
    for (const Portal* portal : sector.portals()) {
        if (!portal) return false;
        const PortalPolygon polygon = portal->clipPolygon();
        if (polygon.count < 3) return false;
        auto through = everywhere.clipByPortal(light, polygon, PortalCap::kFarSide);
        if (!through) return false;
        openings.push_back(std::move(through));
    }
    std::vector<Vector4> polygon;
    for (const MeshFace* face : faces) {
        // A little larger than it is: a face the light only grazes along an edge may
        // still catch it in a row of pixels.
        const int n = face->cornerCount();
        Vector4 centre{0, 0, 0, 0};
        for (int c = 0; c < n; ++c) centre = centre + face->cornerPoint(c);
        centre = centre * (1.0f / static_cast<float>(std::max(n, 1)));
        polygon.clear();
        for (int c = 0; c < n; ++c) {
            const Vector4 outwards = face->cornerPoint(c) - centre;
            polygon.push_back(face->cornerPoint(c) + outwards * 0.01f);
        }
        for (const auto& opening : openings) {
            if (opening->reachesPolygon(polygon.data(), n)) {
                out.push_back(face);
                break;
            }
        }
    }
    return true;
}

bool cameraInShadow(const Light& light, const Vector4& cameraPosition) {
    const Ray ray = Ray::fromPoints(light.position, cameraPosition, 1, 0);
    for (const LightPiece& piece : light.pieces) {
        if (!piece.mesh) continue;
        if (piece.mesh->rayHit(ray, true) < ray.length) return true;
    }
    return false;
}

}  // namespace arvel
