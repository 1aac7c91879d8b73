// The reference picture: one ray through every pixel centre, the engine's camera and
// projection (the frame of world/FrameShape.h for the picture's size: 90 degrees across
// at 4:3, the same height with a wider or narrower width otherwise; near plane 1), and
// the lighting of the default techniques on white surfaces with unperturbed normals: a
// quarter of white as ambient, and for every light the diffuse term colour * max(0,
// n . l) * max(0, 1 - d / outer radius), where nothing lies on the segment to the light.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "reference/Scene.h"

namespace arvel::reference {

struct CameraPlace {
    Vec3 position;
    double pitch = 0.0, yaw = 0.0, roll = 0.0;  // degrees
};

struct RenderOptions {
    int width = 320, height = 240;
    double nearPlane = 1.0;
    double ambient = 0.25;
    bool shadows = true;
};

// What one pixel sees.
struct Sample {
    bool hit = false;
    int object = -1;
    Vec3 point;
    Vec3 faceNormal;  // of the triangle hit, towards the camera
    double depth = 0.0;
};

struct ReferenceImage {
    int width = 0, height = 0;
    std::vector<int> lights;          // the scene's light numbers drawn, in order
    std::vector<Sample> samples;      // rows top-down
    std::vector<float> contribution;  // [pixel][light][channel], 0..255, unshadowed
    std::vector<uint8_t> visible;     // [pixel][light]: 1 where the light is not blocked
    std::vector<float> ambient;       // [pixel]: 0..255
    std::vector<uint8_t> rgb;         // the picture

    size_t lightCount() const { return lights.size(); }
    const float* lightAt(size_t pixel, size_t light) const {
        return &contribution[(pixel * lightCount() + light) * 3];
    }
    bool visibleAt(size_t pixel, size_t light) const {
        return visible[pixel * lightCount() + light] != 0;
    }
    // The colour with a chosen visibility per light, as the picture adds it up.
    std::array<float, 3> colour(size_t pixel, const std::vector<uint8_t>& lit) const;
};

ReferenceImage render(const Scene& scene, const CameraPlace& camera, const RenderOptions& options);

// The world-space direction of the camera's axes (right, up, back) as the engine's
// view matrix holds them.
void cameraAxes(const CameraPlace& camera, Vec3& right, Vec3& up, Vec3& back);

}  // namespace arvel::reference
