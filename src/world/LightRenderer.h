// The per-light part of a frame: whether a light matters, what it reaches and which
// shadows can be seen (lightVisible), then the stencil clear, the shadow volumes and
// the light stage of everything lit, each clipped to the light's screen rectangle
// (renderLight).
//
// Three kinds of volume, each drawn with its own technique: static geometry under a
// dynamic light gets closed volumes built on the CPU and kept in the LightCache;
// static lights bring volumes precomputed with the map, which only shadow dynamic-mesh
// instances; instances extrude their own volumes in a vertex program.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/math/BoundingBox.h"
#include "core/math/Matrix4.h"
#include "core/math/Vector4.h"
#include "world/FrameShape.h"
#include "world/ShadowGeometry.h"
#include "world/ViewVolume.h"
#include "world/VisibleSet.h"

namespace arvel {

class BoundingVolume;
class Light;
class Map;
class MeshInstance;
class RenderContext;
class RenderTechnique;
class Sector;
class StaticMesh;

// Flag bits of sectors and instances during a frame. A sector carries its own bits; its
// static mesh carries the update bit (it is what gets updated and touched).
namespace frameflag {
inline constexpr int kVisited = 1;
inline constexpr int kVisible = 2;  // seen by the camera this frame
inline constexpr int kLit = 4;      // reached by the light being drawn
inline constexpr int kCollected = 8;
inline constexpr int kUpdated = 0x20;
inline constexpr int kShadowReady = 0x40;
inline constexpr int kFrameBits = 0x6F;  // everything cleared when the frame ends
}  // namespace frameflag

// What the World lends the light stage for one frame. Filled once per frame, after the
// ambient stage (the camera's set then holds what survived occlusion culling, each
// with bit 2 set).
struct LightFrame {
    // input: the camera
    Vector4 cameraPosition;
    Matrix4 view;           // world to camera
    Matrix4 cameraToWorld;  // the inverse of view
    Matrix4 projection;
    Matrix4 viewProjection;
    float halfWidth = 0.0f;  // half the window, pixels
    float halfHeight = 0.0f;
    FrameShape shape;                          // the projection's slopes
    float nearPlane = 1.0f;                    // distance of the near clipping plane
    const ViewVolume* cameraVolume = nullptr;  // world space
    const VisibleSet* visible = nullptr;       // the camera's set, boxes included

    // input: the world
    std::vector<Map*> maps;                             // walked when a light has no sector
    const RenderTechnique* cpuVolumes = nullptr;        // "cpu_shadow_volumes.rt"
    const RenderTechnique* optimizedVolumes = nullptr;  // "optimized_shadow_volumes.rt"
    const RenderTechnique* programVolumes = nullptr;    // "vertex_program_shadow_volumes.rt"
    const RenderTechnique* debug = nullptr;             // "debug.rt", for dbg_draw_sboxes

    // The World's per-frame bookkeeping. Each does nothing when the object already had
    // it this frame (bit 0x20, or 0x40 for shadow data), otherwise does it, sets the
    // bit and lists the object as touched. A missing hook skips the step.
    std::function<void(StaticMesh&)> updateMesh;
    std::function<void(MeshInstance&)> updateInstance;
    std::function<void(MeshInstance&)> prepareShadow;
};

// What lightVisible found for one light; renderLight reads it. Reused from light to
// light (lightVisible empties it first).
struct LightReach {
    VisibleSet walk;                     // sectors and instances within the light's reach
    std::vector<Sector*> sectors;        // the light's sectors
    std::vector<MeshInstance*> casters;  // instances whose shadow can be seen

    void clear() {
        walk.clear();
        sectors.clear();
        casters.clear();
    }
};

// False when the light's sphere misses the camera's volume. Otherwise fills reach,
// sets bit 4 on the visible sectors and instances the light reaches, updates
// what it reaches, prepares the shadow data of its casters, and returns true.
bool lightVisible(const LightFrame& frame, Light& light, LightReach& reach);

// Clears the stencil, draws the light's shadow volumes into it and the light stage of
// everything lit; clears bit 4 again on the camera's set.
void renderLight(const LightFrame& frame, Light& light, const LightReach& reach);

// ---- pieces of the above, for the World and for tests --------------------------------

struct ScissorRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// A box in normalized device coordinates as pixels of a window whose halves are given:
// edges rounded outwards.
ScissorRect scissorFromBox(const BoundingBox& box, float halfWidth, float halfHeight);
// Sets the current render context's scissor from box; with dbg_draw_sboxes the box is
// also drawn in red with debug's ambient stage.
void setScissorFromBox(const BoundingBox& box, const LightFrame& frame);

// The light's sphere as a screen box: its eye-space bounding cube projected.
BoundingBox lightScreenBox(const LightFrame& frame, const Light& light);
// Narrower or lower than 1e-6: nothing of it can be drawn.
bool isEmptyScreenBox(const BoundingBox& box);

// The lit visible instances of a static light, merged: the union of their screen
// boxes and the nearest and farthest corner of their bounding boxes from the camera.
struct LightGroup {
    std::vector<MeshInstance*> instances;
    BoundingBox box;
    float nearest = kNoHit;
    float farthest = -kNoHit;

    // corners: the instance's bounding box in world space.
    void add(MeshInstance* instance, const BoundingBox& screenBox,
             const std::array<Vector4, 8>& corners, const Vector4& eye);
    void merge(const LightGroup& other);
    bool empty() const { return instances.empty(); }
    // The pyramid from the eye through the group's screen rectangle of a frame of that
    // shape, as deep as its farthest corner, in world space.
    ViewVolume volume(const Matrix4& cameraToWorld, const FrameShape& shape) const;
};

// Whether an instance with this bounding volume can cast a shadow the camera sees: it
// holds the light, or the volume its box casts (away from the light, out to the
// light's radius) reaches into the camera's volume.
bool boxShadowVisible(const BoundingVolume& box, const Light& light, const ViewVolume& camera);

// How far from the light the volume cast by anything inside box must reach to hold all
// of its shadow within radius: far points that far, seen from the light no wider apart
// than the box's bounding sphere, leave no gap nearer than radius between them. 0
// (infinitely far) when the light is at or inside that sphere.
float shadowVolumeReach(const BoundingVolume& box, const Vector4& light, float radius);

// How the stencil counts a CPU volume: behind the surfaces (z-fail), which holds
// wherever the eye is; in front of them (z-pass), which draws far less; or in front
// without the far caps.
enum class VolumeCount { kBehind, kInFront, kInFrontOpen };

// Counting in front gives the count behind only when no point of the near plane's
// rectangle lies inside the volume: the eye must be farther from the volume's bounds
// than the rectangle reaches (nearReach). Far caps may be left out as well when the eye
// is inside the light's sphere: a sight line that meets a far cap (at least radius from
// the light) before a surface ends on one at least as far, where nothing is lit.
VolumeCount chooseVolumeCount(const BoundingBox& volumeBounds, const Vector4& eye, float nearReach,
                              const Vector4& light, float radius);
// How far from the eye the near plane's rectangle reaches, at its corners.
float nearPlaneReach(float nearPlane, const FrameShape& shape);

// The faces of a sector a light outside it can reach: a ray from the light into the
// sector passes one of its portals or crosses a wall turned away from the light, whose
// volume shadows what lies beyond. So, shadows on, only faces that reach into a pyramid
// from the light through a portal can be lit. False (out untouched) when a portal gives
// no pyramid to test against.
bool facesThroughOpenings(const Sector& sector, const Vector4& light, const FaceList& faces,
                          FaceList& out);

// Whether the segment from the light to the camera crosses one of the light's
// precomputed lit pieces: the camera then stands inside a precomputed volume.
bool cameraInShadow(const Light& light, const Vector4& cameraPosition);

}  // namespace arvel
