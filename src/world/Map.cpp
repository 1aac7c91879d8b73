#include "world/Map.h"

#include <cstring>
#include <exception>

#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "fs/DataStream.h"
#include "world/FaceOctree.h"
#include "world/Light.h"
#include "world/Portal.h"
#include "world/Sector.h"
#include "world/StaticMesh.h"

namespace arvel {

namespace {

constexpr const char* kSource = "World\\OTM";

// The fewest bytes each record can take, to refuse a count the rest of the file
// cannot hold before anything is made for it.
constexpr int64_t kMinSectorBytes = 12 + 16 + 24 + 4 + 4;
constexpr int64_t kMinPortalBytes = 1 + 5 * 4;
constexpr int64_t kMinLightBytes = 1;
constexpr int64_t kMinBodyBytes = 16;
constexpr int64_t kMinMaterialBytes = 1 + 1 + 1 + 4;
constexpr int64_t kPositionBytes = 12;
constexpr int64_t kVertexBytes = 4 + 8 + 12 + 12 + 1;
constexpr int64_t kPortalVertexBytes = 4 + 8 + 12 + 12;
constexpr int64_t kLightBodyBytes = 12 + 4 + 4 + 4 + 12;
constexpr int64_t kIndexBytes = 4;

int64_t atLeastZero(int32_t count) { return count > 0 ? count : 0; }

// Walks every record without building anything, so that a bad file is refused with
// a message that names the fault, and so that the readers that build the objects
// afterwards meet only counts the data can hold and indices inside their lists.
class RecordCheck {
public:
    RecordCheck(DataStream& stream, int32_t sectors, int32_t portals, int32_t lights)
        : stream_(stream), sectors_(sectors), portals_(portals), lights_(lights) {}

    void run() {
        requireBytes(atLeastZero(sectors_) * kMinSectorBytes +
                     atLeastZero(portals_) * kMinPortalBytes +
                     atLeastZero(lights_) * kMinLightBytes);
        childCounts_.assign(static_cast<size_t>(atLeastZero(sectors_)), 0);
        for (int32_t i = 0; i < sectors_; ++i) within("Sector", i, [&] { sector(i); });
        for (int32_t i = 0; i < portals_; ++i) within("Portal", i, [&] { portal(); });
        for (int32_t i = 0; i < lights_; ++i) within("Light", i, [&] { light(); });
    }

private:
    template <typename F>
    static void within(const char* what, int32_t i, F&& body) {
        try {
            body();
        } catch (Exception* e) {
            throw new Exception(__LINE__, kSource, e, "%s %d\n", what, i);
        }
    }

    void requireBytes(int64_t bytes) {
        if (bytes > stream_.remaining())
            throw new Exception(__LINE__, kSource, "Read past the end of a data stream\n");
    }

    static void checkIndex(int32_t value, int32_t size, const char* what, const char* in,
                           int32_t position) {
        if (value < 0 || value >= size)
            throw new Exception(__LINE__, kSource,
                                "invalid vector<T> subscript: %s %d outside a list of %d, in "
                                "%s %d\n",
                                what, value, size > 0 ? size : 0, in, position);
    }

    void skip(int64_t bytes) {
        requireBytes(bytes);
        stream_.skip(static_cast<int>(bytes));
    }

    void sector(int32_t i) {
        const int32_t lightRefs = stream_.readInt32();
        const int32_t portalRefs = stream_.readInt32();
        stream_.readInt32();
        requireBytes((atLeastZero(lightRefs) + atLeastZero(portalRefs)) * kIndexBytes);
        try {
            childCounts_[static_cast<size_t>(i)] = staticMesh();
        } catch (Exception* e) {
            throw new Exception(__LINE__, kSource, e, "In the static mesh\n");
        }
        for (int32_t r = 0; r < lightRefs; ++r)
            checkIndex(stream_.readInt32(), lights_, "light", "light reference", r);
        for (int32_t r = 0; r < portalRefs; ++r)
            checkIndex(stream_.readInt32(), portals_, "portal", "portal reference", r);
    }

    // Returns the number of children.
    int32_t staticMesh() {
        const int32_t faces = body();
        stream_.readVec3();
        stream_.readVec3();
        octreeNode(faces, 0);
        const int32_t children = stream_.readInt32();
        requireBytes(atLeastZero(children) * kMinBodyBytes);
        for (int32_t c = 0; c < children; ++c) within("Child mesh", c, [&] { body(); });
        return static_cast<int32_t>(atLeastZero(children));
    }

    // Returns the number of faces.
    int32_t body() {
        const int32_t materials = stream_.readInt32();
        const int32_t positions = stream_.readInt32();
        const int32_t vertices = stream_.readInt32();
        const int32_t faces = stream_.readInt32();
        requireBytes(atLeastZero(materials) * kMinMaterialBytes +
                     atLeastZero(positions) * kPositionBytes +
                     atLeastZero(vertices) * kVertexBytes + atLeastZero(faces) * 2 * kIndexBytes);
        for (int32_t m = 0; m < materials; ++m) within("Material", m, [&] { material(); });
        skip(atLeastZero(positions) * kPositionBytes);
        for (int32_t v = 0; v < vertices; ++v) {
            checkIndex(stream_.readInt32(), positions, "position", "vertex", v);
            skip(kVertexBytes - kIndexBytes);
        }
        for (int32_t f = 0; f < faces; ++f) {
            const int32_t corners = stream_.readInt32();
            requireBytes((atLeastZero(corners) + 1) * kIndexBytes);
            for (int32_t c = 0; c < corners; ++c)
                checkIndex(stream_.readInt32(), vertices, "vertex", "face", f);
            checkIndex(stream_.readInt32(), materials, "material", "face", f);
        }
        return static_cast<int32_t>(atLeastZero(faces));
    }

    void material() {
        stream_.readByte();
        stream_.readByte();
        stream_.readString();
        const int32_t textures = stream_.readInt32();
        requireBytes(atLeastZero(textures));  // every name has at least its terminator
        for (int32_t t = 0; t < textures; ++t) stream_.readString();
    }

    // Nesting is bounded here, so the check cannot run the stack out either.
    void octreeNode(int32_t faces, int depth) {
        const int32_t n = stream_.readInt32();
        if (n == -1) {
            if (depth >= FaceOctree::kMaxReadDepth)
                throw new Exception(__LINE__, kSource,
                                    "Octree nodes nested deeper than %d levels\n",
                                    FaceOctree::kMaxReadDepth);
            for (int child = 0; child < 8; ++child) octreeNode(faces, depth + 1);
            return;
        }
        requireBytes(atLeastZero(n) * kIndexBytes);
        for (int32_t i = 0; i < n; ++i)
            checkIndex(stream_.readInt32(), faces, "face", "octree leaf entry", i);
    }

    void portal() {
        if (stream_.readByte() & Portal::kRenderable)
            throw new Exception(__LINE__, kSource,
                                "Visible portals not currently supported, must set renderable "
                                "to false");
        checkIndex(stream_.readInt32(), sectors_, "sector", "portal side", 1);
        checkIndex(stream_.readInt32(), sectors_, "sector", "portal side", 2);
        const int32_t positions = stream_.readInt32();
        const int32_t vertices = stream_.readInt32();
        const int32_t faces = stream_.readInt32();
        requireBytes(atLeastZero(positions) * kPositionBytes +
                     atLeastZero(vertices) * kPortalVertexBytes + atLeastZero(faces) * kIndexBytes);
        skip(atLeastZero(positions) * kPositionBytes);
        for (int32_t v = 0; v < vertices; ++v) {
            checkIndex(stream_.readInt32(), positions, "position", "vertex", v);
            skip(kPortalVertexBytes - kIndexBytes);
        }
        for (int32_t f = 0; f < faces; ++f) {
            const int32_t corners = stream_.readInt32();
            requireBytes(atLeastZero(corners) * kIndexBytes);
            for (int32_t c = 0; c < corners; ++c)
                checkIndex(stream_.readInt32(), vertices, "vertex", "face", f);
        }
    }

    void light() {
        const uint8_t flags = stream_.readByte();
        if (flags & Light::kRecordEmpty) return;
        skip(kLightBodyBytes);
        if (flags & Light::kRecordNamed) stream_.readString();
        if (flags & Light::kRecordNoPieces) return;
        const int32_t pieces = stream_.readInt32();
        requireBytes(atLeastZero(pieces) * 2 * kIndexBytes);
        for (int32_t p = 0; p < pieces; ++p) {
            const int32_t sector = stream_.readInt32();
            checkIndex(sector, sectors_, "sector", "shadow piece", p);
            checkIndex(stream_.readInt32(), childCounts_[static_cast<size_t>(sector)], "child mesh",
                       "shadow piece", p);
        }
    }

    DataStream& stream_;
    const int32_t sectors_;
    const int32_t portals_;
    const int32_t lights_;
    std::vector<int32_t> childCounts_;  // per sector, for the lights' shadow pieces
};

template <typename T>
T& checkedAt(const std::vector<std::unique_ptr<T>>& list, int i, int line) {
    if (i < 0 || static_cast<size_t>(i) >= list.size()) throwSubscriptError(line, kSource);
    return *list[static_cast<size_t>(i)];
}

}  // namespace

Map::Map(const std::string& name, ResourceRegistry* textures, ResourceRegistry* techniques,
         World* world)
    : Resource(name), textures_(textures), techniques_(techniques) {
    this->world = world;
}

Map::~Map() { clear(); }

void Map::stream() {
    failed_ = false;
    try {
        found_ = FileLoader::load(name().c_str());
    } catch (Exception* e) {
        throw new Exception(__LINE__, kSource, e, "Couldn't stream map file %s\n", name().c_str());
    }
}

void Map::clear() {
    // Lights hold pieces of sector meshes, sectors hold lights and portals: the
    // holders go first.
    lights_.clear();
    portals_.clear();
    sectors_.clear();
    boundingBox.makeEmpty();
}

Sector& Map::sector(int i) const { return checkedAt(sectors_, i, __LINE__); }
Portal& Map::portal(int i) const { return checkedAt(portals_, i, __LINE__); }
Light& Map::light(int i) const { return checkedAt(lights_, i, __LINE__); }

void Map::parse(const void* bytes, int size) {
    FileBytes block(bytes);
    try {
        DataStream stream(bytes, size);
        load(stream);
    } catch (Exception* e) {
        fail(e->what());
        delete e;
    } catch (const std::exception& e) {
        // Whatever goes wrong inside a level file is the level's failure, not the
        // program's end.
        fail(e.what());
    }
}

void Map::fail(const char* message) {
    SetErrorLocation(__LINE__, kSource);
    FatalError("Fatal error while loading a level\n%s", message);
    clear();
    failed_ = true;
}

void Map::load(DataStream& stream) {
    clear();
    char magic[sizeof(kMagic) - 1];
    stream.read(magic, static_cast<int>(sizeof(magic)));
    if (std::memcmp(magic, kMagic, sizeof(magic)) != 0)
        throw new Exception(__LINE__, kSource, "Couln't load the map %s, the file seems corrupt",
                            name().c_str());
    if (stream.readByte() != kVersion)
        throw new Exception(__LINE__, kSource, "Couln't load the map %s, incompatible version",
                            name().c_str());
    const int32_t sectorCount = stream.readInt32();
    const int32_t portalCount = stream.readInt32();
    const int32_t lightCount = stream.readInt32();

    const int32_t recordsStart = stream.position();
    RecordCheck(stream, sectorCount, portalCount, lightCount).run();
    stream.skip(recordsStart - stream.position());

    // Everything exists before the first record, so records may refer forward.
    for (int32_t i = 0; i < sectorCount; ++i) {
        sectors_.push_back(std::make_unique<Sector>(this, i));
        sectors_.back()->world = world;
        sectors_.back()->staticMesh().world = world;
    }
    for (int32_t i = 0; i < portalCount; ++i) {
        portals_.push_back(std::make_unique<Portal>(this, i));
        portals_.back()->world = world;
    }
    for (int32_t i = 0; i < lightCount; ++i) lights_.push_back(std::make_unique<Light>(world, i));

    for (auto& sector : sectors_) readSector(stream, *sector);
    for (auto& portal : portals_) {
        try {
            portal->load(stream, *this);
        } catch (Exception* e) {
            throw new Exception(__LINE__, kSource, e, "Portal %d\n", portal->index);
        }
    }
    for (auto& light : lights_) {
        try {
            light->load(stream, *this);
        } catch (Exception* e) {
            throw new Exception(__LINE__, kSource, e, "Light %d\n", light->index);
        }
    }
    for (const auto& sector : sectors_) {
        if (!sector->boundingBox.isEmpty()) boundingBox.grow(sector->boundingBox);
    }
}

void Map::readSector(DataStream& stream, Sector& sector) {
    try {
        const int32_t lightRefs = stream.readInt32();
        const int32_t portalRefs = stream.readInt32();
        stream.readInt32();
        sector.staticMesh().load(stream, textures_, techniques_);
        for (int32_t i = 0; i < lightRefs; ++i) sector.addLight(&light(stream.readInt32()));
        for (int32_t i = 0; i < portalRefs; ++i) sector.addPortal(&portal(stream.readInt32()));
        sector.takeMeshBox();
    } catch (Exception* e) {
        throw new Exception(__LINE__, kSource, e, "Sector %d\n", sector.index);
    }
}

Sector* Map::findSector(const Vector4& p) const {
    if (!boundingBox.contains(p)) return nullptr;
    for (const auto& sector : sectors_) {
        if (sector->containsPoint(p)) return sector.get();
    }
    return nullptr;
}

void Map::walk(const Vector4& viewpoint, Sector* start, const ViewVolume& volume,
               VisibleSet& result, float limit) {
    if (start) {
        start->walk(viewpoint, volume, result, limit);
        return;
    }
    for (auto& sector : sectors_) sector->walk(viewpoint, volume, result, limit);
}

void Map::setContentFlags(int value) {
    for (auto& light : lights_) light->flags = value;
    for (auto& portal : portals_) portal->setFlags(value);
    for (auto& sector : sectors_) sector->setFlags(value);
}

}  // namespace arvel
