// Generated maps for frame measurements: a chain of box rooms of the demo's scale with
// doors at alternate ends of their walls, so that no room sees more than its
// neighbours; lit, each room has a dynamic light of its own in the middle.
#pragma once

#include "OtmWriter.h"

namespace arvel::bench {

inline constexpr float kRoomLength = 80.0f;  // along x, the direction the chain runs
inline constexpr float kRoomHeight = 48.0f;
inline constexpr float kRoomWidth = 80.0f;

inline content::OtmMap roomChain(int rooms, bool lit) {
    content::RoomChainOptions options;
    options.rooms = rooms;
    options.length = kRoomLength;
    options.height = kRoomHeight;
    options.width = kRoomWidth;
    options.doorHeight = 32.0f;
    options.doorWidth = 24.0f;
    options.zigzag = true;
    content::OtmMap map = content::roomChain(options);
    for (int i = 0; i < rooms; ++i) {
        content::OtmSector& sector = map.sectors[static_cast<size_t>(i)];
        for (content::OtmMaterial& material : sector.mesh.body.materials)
            material.textures = {"white.tga"};
        if (!lit) continue;
        content::OtmLight light;
        light.position = {(static_cast<float>(i) + 0.5f) * kRoomLength, 36.0f, kRoomWidth / 2, 0};
        light.innerRadius = 10.0f;
        light.outerRadius = 70.0f;
        sector.lights.push_back(static_cast<int32_t>(map.lights.size()));
        map.lights.push_back(light);
    }
    return map;
}

// Where the camera stands in a chain: in the middle room near its entrance, looking
// along the chain (yaw 90 faces +x): x, y, z, pitch, yaw.
struct ChainCamera {
    float x, y, z, pitch, yaw;
};

inline ChainCamera chainCamera(int rooms) {
    return {static_cast<float>(rooms / 2) * kRoomLength + 10.0f, 20.0f, kRoomWidth / 2, 0.0f,
            90.0f};
}

}  // namespace arvel::bench
