// Runs Blender headless for the tests that model levels and meshes in it and export
// them with its own glTF exporter. Blender is optional: without it those tests skip.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/Process.h"

namespace arvel::test {

// The Blender program: ARVEL_BLENDER when set, else "blender" on the PATH; nothing
// when neither runs (its glTF exporter also needs Python's numpy).
std::optional<std::string> blenderProgram();

// Runs `blender -b --factory-startup --python script -- args...` in dir, waiting up to
// seconds. A script that raises makes Blender exit with status 1 (--python-exit-code).
ProcessResult runBlender(const std::string& program, const std::string& script,
                         const std::vector<std::string>& args, const std::string& dir,
                         double seconds = 180.0);

}  // namespace arvel::test
