// What the reference renderer draws: triangles with vertex normals, and point lights,
// read from the same files the game reads. Polygons of the map become fans, as the
// engine draws them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "reference/Geometry.h"

namespace arvel::reference {

struct Triangle {
    Vec3 corner[3];
    Vec3 normal[3];  // vertex normals, interpolated across the face
    int object = 0;  // 0: the map; 1 + i: mesh instance i
};

struct PointLight {
    Vec3 position;
    double outerRadius = 0.0;
    double colour[3] = {1.0, 1.0, 1.0};
    bool precomputed = false;  // has shadow pieces (a static light)
    bool inSector = false;     // some sector lists it, so the game draws it
    size_t recordOffset = 0;   // where its record starts in the map file
};

struct Scene {
    std::vector<Triangle> triangles;
    std::vector<PointLight> lights;
    int sectorCount = 0;
};

class SceneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends the sector geometry and the lights of an OTM map. Throws SceneError for a
// file that cannot be read or is not a complete map.
void loadOtm(const std::filesystem::path& path, Scene& scene);
void parseOtm(const std::string& bytes, Scene& scene);

// Appends a ".msh" mesh posed by its animation of that index at timeSeconds (the bind
// pose of identity bones when it has none), skinned, turned yaw degrees about +y (+z
// towards +x, as the level compiler turns props) and moved to position, as object
// number object. Throws SceneError for a file the mesh reader refuses.
void addPosedMesh(const std::filesystem::path& path, const Vec3& position, double timeSeconds,
                  int object, Scene& scene, double yaw = 0.0, int animation = 0);

}  // namespace arvel::reference
