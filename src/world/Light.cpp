#include "world/Light.h"

#include <limits>

#include "core/math/BoundingVolume.h"
#include "driver/DriverTypes.h"
#include "fs/DataStream.h"
#include "render/RenderBatch.h"
#include "world/Map.h"
#include "world/Mesh.h"
#include "world/Sector.h"
#include "world/ShadowGeometry.h"
#include "world/StaticMesh.h"
#include "world/ViewVolume.h"

namespace arvel {

namespace {

// Shadow meshes are drawn into the stencil buffer only: positions are all they need.
constexpr int kPositionOnlyFormat = dcode::kVertexPosition;
constexpr int kStaticMemory = dcode::kMemoryStatic;

}  // namespace

Light::Light(World* world, int index) : index(index), world(world) {}

Light::~Light() = default;

void Light::setRadii(float inner, float outer) {
    innerRadius = inner;
    outerRadius = outer;
    // Equal radii leave no shell to fall off across: the level then jumps from 1 to 0
    // at the radius, which the level test handles before it would divide.
    falloffFactor = outer > inner ? 1.0f / (outer - inner) : std::numeric_limits<float>::infinity();
}

void Light::load(DataStream& stream, Map& map) {
    const int recordFlags = stream.readByte();
    lightSwitch = (recordFlags & kRecordSwitch) != 0;
    if (recordFlags & kRecordEmpty) return;

    position = stream.readVec3();
    const float inner = stream.readFloat();
    const float outer = stream.readFloat();
    setRadii(inner, outer);
    thirdParameter = stream.readFloat();
    colour[0] = stream.readFloat();
    colour[1] = stream.readFloat();
    colour[2] = stream.readFloat();
    named = (recordFlags & kRecordNamed) != 0;
    if (named) stream.readString();
    if (recordFlags & kRecordNoPieces) return;

    precomputed = true;
    shadowMesh = std::make_unique<Mesh>();
    const int32_t pieceCount = stream.readInt32();
    for (int32_t i = 0; i < pieceCount; ++i) {
        const int32_t sectorIndex = stream.readInt32();
        const int32_t childIndex = stream.readInt32();
        Sector& sector = map.sector(sectorIndex);
        addShadowPiece(sector, sector.staticMesh().child(childIndex));
    }
    finishShadowMesh();
}

float Light::lightLevel(const BoundingVolume& volume) const {
    return lightLevel(volume.closestPoint(position));
}

float Light::lightLevel(const Vector4& point) const {
    const float d = length3(point - position);
    if (d >= outerRadius) return 0.0f;
    if (d <= innerRadius) return 1.0f;
    return 1.0f - (d - innerRadius) * falloffFactor;
}

bool Light::reaches(const ViewVolume& volume) const {
    return volume.reachesSphere(position, outerRadius);
}

void Light::addShadowPiece(Sector& sector, StaticMesh& child) {
    if (!shadowMesh) shadowMesh = std::make_unique<Mesh>();
    child.computeBoundingBox();
    child.buildOctree();
    auto sides = extrudeOpen(position, silhouetteEdges(child, position, true), kExtrusionFactor);
    appendMesh(*shadowMesh, std::move(*sides));

    if (!homeSector) homeSector = &sector;
    for (LightPiece& piece : pieces) {
        if (piece.sector == &sector) {
            piece.mesh = &child;
            return;
        }
    }
    pieces.push_back({&sector, &child});
}

void Light::finishShadowMesh() {
    if (!shadowMesh) shadowMesh = std::make_unique<Mesh>();
    shadowMesh->buildTriangleList();
    shadowMesh->buildVertexArray(kPositionOnlyFormat, kStaticMemory);

    const int faceCount = shadowMesh->faceCount();
    std::vector<std::vector<uint32_t>> corners(static_cast<size_t>(faceCount));
    std::vector<BatchFace> faces(static_cast<size_t>(faceCount));
    std::vector<const BatchFace*> order(static_cast<size_t>(faceCount));
    shadowBatch = std::make_unique<RenderBatch>();
    for (int f = 0; f < faceCount; ++f) {
        const MeshFace& face = shadowMesh->face(f);
        for (const MeshVertex* corner : face.corners)
            corners[f].push_back(static_cast<uint32_t>(corner->index));
        faces[f].material = face.material;
        faces[f].corners = corners[f].data();
        faces[f].cornerCount = face.cornerCount();
        order[f] = &faces[f];
        shadowBatch->addFace(faces[f]);
    }
    shadowBatch->buildIndices(order.data(), faceCount);
}

}  // namespace arvel
