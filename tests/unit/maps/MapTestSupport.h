// Loading maps in tests: a temporary folder mounted as the only file source with a
// technique script for the materials, the recording driver, registries, the zone the
// portal clip needs, and headless boxes whose text is collected from standard error.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "OtmWriter.h"
#include "core/Zone.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "platform/platform.h"
#include "render/ResourceRegistry.h"
#include "shared/TempDir.h"
#include "support/MountFolder.h"
#include "support/RecordingDriver.h"
#include "unit/core/ReportCapture.h"
#include "world/Map.h"

namespace arvel::test {

using namespace content;

inline constexpr const char* kLevelMessage = "Fatal error while loading a level\n";
inline constexpr const char* kReadPastEnd = "Read past the end of a data stream\n";
inline constexpr const char* kSubscript = "invalid vector<T> subscript";

// Whether text contains part, showing the text when it does not.
inline ::testing::AssertionResult contains(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << part << "\" not in \"" << text << "\"";
}

class MapTest : public ::testing::Test {
protected:
    MapTest() {
        setenv("ARVEL_NO_DIALOGS", "1", 1);
        if (!zone().base) zone().create();
        fileSystem().clear();
        EXPECT_TRUE(mountFolder(folder));
        folder.write("static_default.rt", "Ambient { impl { Pass { } } }");
        drainPostedCloses();
    }
    ~MapTest() override {
        map.reset();
        fileSystem().clear();
        drainPostedCloses();
    }

    // Writes bytes as "test.otm" and streams a fresh map from it; returns what boxes
    // said meanwhile ("" when the load went through silently).
    std::string load(const std::string& bytes, const std::string& name = "test.otm") {
        folder.write(name, bytes);
        return loadExisting(name);
    }
    std::string load(const OtmMap& plain) { return load(otmBytes(plain)); }

    std::string loadExisting(const std::string& name) {
        map = std::make_unique<Map>(name, &textures, &techniques);
        ::testing::internal::CaptureStderr();
        map->stream();
        return ::testing::internal::GetCapturedStderr();
    }

    bool isEmpty() const {
        return map->sectorCount() == 0 && map->portalCount() == 0 && map->lightCount() == 0 &&
               map->getBoundingBox().isEmpty();
    }

    TempDir folder;
    RecordingDriver driver;
    ResourceRegistry textures;  // declared before the map, so they outlive it
    ResourceRegistry techniques;
    std::unique_ptr<Map> map;
};

// A sector of one box room without openings and its single-leaf octree.
inline OtmSector boxSector(const Vector4& min, const Vector4& max) {
    OtmSector sector;
    sector.mesh = singleLeafMesh(boxRoom(min, max, {}));
    return sector;
}

}  // namespace arvel::test
