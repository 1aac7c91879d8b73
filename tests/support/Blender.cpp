#include "support/Blender.h"

#include <cstdlib>
#include <filesystem>

namespace arvel::test {

std::optional<std::string> blenderProgram() {
    const char* chosen = std::getenv("ARVEL_BLENDER");
    const std::string program = chosen && *chosen ? chosen : "blender";
    // Asking for numpy proves both that Blender starts and that its exporter can load.
    const std::string probe = "'" + program +
                              "' -b --factory-startup --python-exit-code 1 --python-expr "
                              "'import numpy' >/dev/null 2>&1";
    if (runShell(probe) != 0) return std::nullopt;
    return program;
}

ProcessResult runBlender(const std::string& program, const std::string& script,
                         const std::vector<std::string>& args, const std::string& dir,
                         double seconds) {
    std::vector<std::string> argv{
        program, "-b", "--factory-startup", "--python-exit-code", "1", "--python", script, "--"};
    argv.insert(argv.end(), args.begin(), args.end());
    Process blender(argv, dir);
    return blender.wait(seconds);
}

}  // namespace arvel::test
