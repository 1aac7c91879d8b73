// Mounting folders as the engine's directory sources, for tests that load files
// through the file system.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "shared/TempDir.h"

namespace arvel::test {

// Mounts the folder named by prefix (ending in a separator) after the sources already
// mounted; a failure names the folder. Use with ASSERT_TRUE or EXPECT_TRUE.
inline ::testing::AssertionResult mountFolder(const std::string& prefix) {
    if (fileSystem().mount(new CommonFile(), prefix.c_str())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot mount " << prefix;
}

inline ::testing::AssertionResult mountFolder(const TempDir& folder) {
    return mountFolder(folder.path().string() + "/");
}

// Forgets every mounted source and mounts the folder alone.
inline ::testing::AssertionResult mountOnly(const TempDir& folder) {
    fileSystem().clear();
    return mountFolder(folder);
}

// The engine's own data folder and its shaders, as start-up mounts them.
inline ::testing::AssertionResult mountShippedData() {
    const std::string data = std::string(ARVEL_SOURCE_DIR) + "/data/";
    ::testing::AssertionResult mounted = mountFolder(data);
    return mounted ? mountFolder(data + "shaders/") : mounted;
}

}  // namespace arvel::test
