#include "support/Blender.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace arvel::test {

namespace {

// The program's full path: Process runs a path, not a name looked up on the PATH.
std::string onPath(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::filesystem::path candidate =
            std::filesystem::path(folders.substr(start, end - start)) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error)) return candidate.string();
        start = end + 1;
    }
    return name;
}

}  // namespace

std::optional<std::string> blenderProgram() {
    const char* chosen = std::getenv("ARVEL_BLENDER");
    const std::string program = onPath(chosen && *chosen ? chosen : "blender");
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
