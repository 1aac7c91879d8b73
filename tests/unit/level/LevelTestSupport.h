// Compiling level sources in tests and loading the result through the engine's own
// map loader: a temporary folder mounted as the only file source, technique scripts
// for the materials, the recording driver, registries and the zone.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "OtmWriter.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "level/LevelCompiler.h"
#include "level/LevelSource.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
#include "world/Map.h"

namespace arvel::test {

// The demo level, compiled once for all tests of the program.
inline const level::LevelSource& demoSource() {
    static const level::LevelSource source =
        level::loadLevel(std::string(ARVEL_SOURCE_DIR) + "/data/levels/demo.json");
    return source;
}
inline const level::CompiledLevel& demoLevel() {
    static const level::CompiledLevel compiled = level::compileLevel(demoSource());
    return compiled;
}

// A one-line level source around the given sectors, portals and lights (JSON texts).
inline std::string levelJson(const std::string& sectors, const std::string& portals = "[]",
                             const std::string& lights = "[]") {
    return "{\"materials\": {\"wall\": {\"textures\": [\"white.tga\"]}},\n\"sectors\": " + sectors +
           ",\n\"portals\": " + portals + ",\n\"lights\": " + lights + "}\n";
}

class LevelMapTest : public ::testing::Test {
protected:
    LevelMapTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        if (!zone().base) zone().create();
        fileSystem().clear();
        EXPECT_TRUE(mountFolder(folder));
        for (const char* script : {"static_default.rt", "static_bump.rt"}) {
            folder.write(script, "Ambient { impl { Pass { } } }");
        }
    }
    ~LevelMapTest() override {
        map.reset();
        fileSystem().clear();
    }

    // Streams the map through the engine; returns what was written to standard error
    // meanwhile (a failed load shows its box there).
    std::string load(const content::OtmMap& plain) {
        folder.write("test.otm", content::otmBytes(plain));
        map = std::make_unique<Map>("test.otm", &textures, &techniques);
        ::testing::internal::CaptureStderr();
        map->stream();
        return ::testing::internal::GetCapturedStderr();
    }

    TempDir folder;
    RecordingDriver driver;
    ResourceRegistry textures;  // declared before the map, so they outlive it
    ResourceRegistry techniques;
    std::unique_ptr<Map> map;
};

}  // namespace arvel::test
