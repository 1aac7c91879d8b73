#include "level/LevelScript.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace arvel::level {

namespace {

constexpr const char* kMark = "# Written by arvel-level from ";

// The fewest decimals that read back as x. The console reads numbers as digits, '-'
// and '.' only, so never an exponent: levels keep coordinates within a million.
std::string number(double x) {
    if (x == 0.0) return "0";  // not "-0"
    char text[400];            // a million and the 345 decimals the tiniest double needs
    for (int decimals = 0; decimals <= 345; ++decimals) {
        std::snprintf(text, sizeof text, "%.*f", decimals, x);
        if (std::strtod(text, nullptr) == x) break;
    }
    return text;
}

}  // namespace

std::string levelScript(const LevelSource& level) {
    if (level.meshes.empty() && !level.camera) return "";
    std::string out = kMark + std::filesystem::path(level.file).filename().string() +
                      ", which compiling again replaces\n";
    for (const SourceMesh& mesh : level.meshes) {
        out += "spawn " + mesh.file + " " + number(mesh.position.x) + " " +
               number(mesh.position.y) + " " + number(mesh.position.z) + " " + number(mesh.yaw) +
               " " + std::to_string(mesh.animation) + "\n";
    }
    if (const auto& camera = level.camera) {
        out += "camera " + number(camera->position.x) + " " + number(camera->position.y) + " " +
               number(camera->position.z) + " " + number(camera->pitch) + " " +
               number(camera->yaw) + " " + number(camera->roll) + "\n";
    }
    return out;
}

std::filesystem::path levelScriptPath(const std::filesystem::path& map) {
    std::filesystem::path script = map;
    return script.replace_extension(".cfg");
}

bool replaceableScript(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error) && !error) return true;
    std::ifstream in(path, std::ios::binary);
    std::string first;
    return in && std::getline(in, first) && first.rfind(kMark, 0) == 0;
}

}  // namespace arvel::level
