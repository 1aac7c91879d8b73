// A flat polygon in the opening between two sectors. Portals are never drawn: their
// first face is what the walk looks through and what point-in-sector rays count.
#pragma once

#include <vector>

#include "core/math/Vector4.h"
#include "world/Mesh.h"
#include "world/ViewVolume.h"

namespace arvel {

class DataStream;
class Map;
class Sector;

class Portal : public Mesh {
public:
    static constexpr int kCrossed = 1;     // flags bit: crossed by the current walk
    static constexpr int kRenderable = 1;  // record flags bit; refused at load

    Portal(Map* map, int index);
    ~Portal() override;

    Map* map() const { return map_; }
    Sector* firstSector() const { return first_; }
    Sector* secondSector() const { return second_; }
    void setSectors(Sector* first, Sector* second);
    // The second sector when given the first, otherwise the first.
    Sector* otherSide(const Sector* sector) const { return sector == first_ ? second_ : first_; }

    // The first face, or null for a portal without faces (which nothing sees through).
    const MeshFace* polygon() const { return faceCount() > 0 ? &face(0) : nullptr; }
    // The first face's corners and plane as the view-volume clip takes them; no
    // corners without a face.
    PortalPolygon clipPolygon() const;
    // From p to the first face (see distanceToFace); infinite without one.
    float distanceTo(const Vector4& p) const;

    // Reads a Portal record: flags, the two sector indices (resolved through map),
    // positions, vertices and faces. Indices outside their lists throw "invalid
    // vector<T> subscript"; the renderable flag throws its own message.
    void load(DataStream& stream, Map& map);

    void clear() override;

private:
    // Corners of the first face, kept for clipping.
    void takePolygon();

    Map* map_;
    Sector* first_ = nullptr;
    Sector* second_ = nullptr;
    std::vector<Vector4> corners_;
};

}  // namespace arvel
