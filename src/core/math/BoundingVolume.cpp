#include "core/math/BoundingVolume.h"

#include "driver/Driver.h"

namespace arvel {

void BoundingVolume::drawEdges(const DriverTable& driver) const {
    if (!driver.dRenderLine || !driver.dColor4) return;
    std::array<Vector4, 8> points = corners();
    driver.dColor4(1.0f, 1.0f, 1.0f, 1.0f);
    for (const auto& edge : kEdges) {
        const Vector4& a = points[edge[0]];
        const Vector4& b = points[edge[1]];
        driver.dRenderLine(DVec4{a.x, a.y, a.z, a.w}, DVec4{b.x, b.y, b.z, b.w});
    }
}

float BoundingVolume::distance(const Vector4& p) const { return length3(closestPoint(p) - p); }

}  // namespace arvel
