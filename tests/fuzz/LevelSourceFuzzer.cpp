// JSON level sources through the level compiler: a source is either refused with a
// LevelError that names its line and field, or compiled into a map that the engine's
// own loader takes in full (when the techniques its materials name exist).
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "FuzzSupport.h"
#include "OtmWriter.h"
#include "core/Zone.h"
#include "level/LevelCompiler.h"
#include "level/LevelSource.h"
#include "render/ResourceRegistry.h"
#include "support/RecordingDriver.h"
#include "world/Map.h"

using namespace arvel;

namespace {

const std::set<std::string> kTechniques = {"static_default.rt", "static_bump.rt"};

class MemoryMap : public Map {
public:
    using Map::Map;
    void parseCopy(const std::string& bytes) {
        void* block = std::malloc(bytes.size() + 1);
        std::memcpy(block, bytes.data(), bytes.size());
        parse(block, static_cast<int>(bytes.size()));
    }
};

bool techniquesExist(const content::OtmMeshBody& body) {
    for (const content::OtmMaterial& material : body.materials)
        if (!kTechniques.count(material.technique)) return false;
    return true;
}

bool loadable(const content::OtmMap& map) {
    for (const content::OtmSector& sector : map.sectors) {
        if (!techniquesExist(sector.mesh.body)) return false;
        for (const content::OtmMeshBody& child : sector.mesh.children)
            if (!techniquesExist(child)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::headless();
    zone().create();
    for (const std::string& name : kTechniques)
        fuzz::scratch().write(name, "Ambient { impl { Pass { } } }");
    fuzz::mountScratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::bytesOf(data, size));
    level::CompiledLevel compiled;
    try {
        compiled = level::compileLevel(level::parseLevel(text, "fuzz.json"));
    } catch (const level::LevelError& error) {
        // Every refusal names where: "file:line: path: what".
        FUZZ_CHECK(std::strncmp(error.what(), "fuzz.json:", 10) == 0);
        return 0;
    }
    const std::string bytes = content::otmBytes(compiled.map);
    if (loadable(compiled.map)) {
        test::RecordingDriver driver;
        ResourceRegistry textures;
        ResourceRegistry techniques;
        MemoryMap map("fuzz.otm", &textures, &techniques);
        map.parseCopy(bytes);
        FUZZ_CHECK(map.sectorCount() == static_cast<int>(compiled.map.sectors.size()));
        FUZZ_CHECK(map.portalCount() == static_cast<int>(compiled.map.portals.size()));
        FUZZ_CHECK(map.lightCount() == static_cast<int>(compiled.map.lights.size()));
    }
    zone().resetIfFree();
    fuzz::drainMessages();
    return 0;
}
