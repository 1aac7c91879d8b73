// A level: one OTM file parsed into sectors, portals and lights, which the map owns.
//
// OTM layout (little-endian, no padding): "OTMid", version byte 120, int32 sector,
// portal and light counts, then the Sector, Portal and Light records in index order.
// Every reference is an index into a list created before any record is read, so
// records may refer forward. A count of 0 or less is an empty list.
//   Sector:   int32 light ref count, int32 portal ref count, int32 reserved,
//             StaticMesh record, light indices, portal indices
//   StaticMesh: Mesh body, vec3 octree min, vec3 octree max, octree node,
//             int32 child count, child Mesh bodies
//   Mesh body: int32 material, position, vertex and face counts, then the materials
//             (byte flags, byte opacity, technique name, int32 count, texture names),
//             positions (vec3), vertices (int32 position, u, v, vec3 normal, vec3
//             tangent, byte colour), faces (int32 corner count, vertex indices,
//             int32 material)
//   Octree node: int32 n; n >= 0 or n < -1: a leaf of n face indices; -1: eight
//             child nodes follow
//   Portal:   byte flags (renderable bit must be clear), int32 first and second
//             sector, int32 position, vertex and face counts, positions, vertices
//             (no colour), faces (corners only)
//   Light:    see Light.h
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fs/FileLoader.h"
#include "render/Resource.h"
#include "world/SceneNode.h"

namespace arvel {

class DataStream;
class Light;
class Portal;
class ResourceRegistry;
class Sector;
class ViewVolume;
struct VisibleSet;

class Map : public SceneNode, public Resource, public FileLoader {
public:
    static constexpr char kMagic[] = "OTMid";
    static constexpr int kVersion = 120;

    // Techniques and textures of the materials are shared through the registries
    // (not owned; they must outlive the map). Without them materials own theirs.
    Map(const std::string& name, ResourceRegistry* textures, ResourceRegistry* techniques,
        World* world = nullptr);
    ~Map() override;

    // Loads the file named like the map. A file no source has leaves the map empty
    // and says nothing; a bad file shows "Fatal error while loading a level" and
    // leaves it empty. File-system failures are wrapped and thrown on.
    void stream();
    // Destroys every sector, portal and light.
    void clear();
    // How the last stream() went: some source had the file; the file was bad.
    bool found() const { return found_; }
    bool failed() const { return failed_; }

    int sectorCount() const { return static_cast<int>(sectors_.size()); }
    int portalCount() const { return static_cast<int>(portals_.size()); }
    int lightCount() const { return static_cast<int>(lights_.size()); }
    // Checked: an index outside the list throws "invalid vector<T> subscript".
    Sector& sector(int i) const;
    Portal& portal(int i) const;
    Light& light(int i) const;

    // The first sector, in index order, that holds p; none outside the map's box.
    Sector* findSector(const Vector4& p) const;
    // From start, or, without one, from every sector in index order with the same
    // volume, which makes every sector visible.
    void walk(const Vector4& viewpoint, Sector* start, const ViewVolume& volume, VisibleSet& result,
              float limit);
    // Sets the flags word of every light, portal and sector (the map's own stays).
    void setContentFlags(int value);

protected:
    void parse(const void* bytes, int size) override;

private:
    void load(DataStream& stream);
    // Shows the level message and empties the map.
    void fail(const char* message);
    void readSector(DataStream& stream, Sector& sector);

    ResourceRegistry* textures_;
    ResourceRegistry* techniques_;
    std::vector<std::unique_ptr<Sector>> sectors_;
    std::vector<std::unique_ptr<Portal>> portals_;
    std::vector<std::unique_ptr<Light>> lights_;
    bool found_ = false;
    bool failed_ = false;
};

}  // namespace arvel
