#include "world/Portal.h"

#include <algorithm>

#include "core/Exception.h"
#include "fs/DataStream.h"
#include "world/Map.h"
#include "world/ShadowGeometry.h"

namespace arvel {

namespace {

constexpr const char* kSource = "World\\Portal";

}  // namespace

Portal::Portal(Map* map, int index) : map_(map) { this->index = index; }

Portal::~Portal() = default;

void Portal::setSectors(Sector* first, Sector* second) {
    first_ = first;
    second_ = second;
}

PortalPolygon Portal::clipPolygon() const {
    const MeshFace* face = polygon();
    if (!face || corners_.empty()) return {};
    return {corners_.data(), static_cast<int>(corners_.size()), face->plane};
}

float Portal::distanceTo(const Vector4& p) const {
    const MeshFace* face = polygon();
    return face ? distanceToFace(p, *face) : kNoHit;
}

void Portal::load(DataStream& stream, Map& map) {
    clear();
    if (stream.readByte() & kRenderable)
        throw new Exception(__LINE__, kSource,
                            "Visible portals not currently supported, must set renderable to "
                            "false");
    Sector& first = map.sector(stream.readInt32());
    Sector& second = map.sector(stream.readInt32());
    setSectors(&first, &second);

    const int32_t positionCount = stream.readInt32();
    const int32_t vertexCount = stream.readInt32();
    const int32_t faceCount = stream.readInt32();
    for (int32_t i = 0; i < positionCount; ++i) {
        const Vector4 p = stream.readVec3();
        addPosition(p);
        boundingBox.extend(p);
    }
    for (int32_t i = 0; i < vertexCount; ++i) {
        auto vertex = std::make_unique<MeshVertex>();
        vertex->setPosition(&position(stream.readInt32()));
        readVertexAttributes(stream, *vertex);
        addVertex(std::move(vertex));
    }
    for (int32_t i = 0; i < faceCount; ++i) {
        auto face = std::make_unique<MeshFace>();
        const int32_t cornerCount = stream.readInt32();
        for (int32_t c = 0; c < cornerCount; ++c)
            face->corners.push_back(&vertex(stream.readInt32()));
        face->computePlane();
        addFace(std::move(face));
    }
    takePolygon();
}

void Portal::takePolygon() {
    corners_.clear();
    const MeshFace* face = polygon();
    if (!face) return;
    for (int i = 0; i < face->cornerCount(); ++i) corners_.push_back(face->cornerPoint(i));
}

void Portal::clear() {
    Mesh::clear();
    corners_.clear();
    boundingBox.makeEmpty();
}

}  // namespace arvel
