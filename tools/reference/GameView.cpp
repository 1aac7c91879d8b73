#include "reference/GameView.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "console/Console.h"
#include "console/Parser.h"
#include "console/Settings.h"
#include "core/Exception.h"
#include "core/Random.h"

namespace arvel::reference {

namespace {

// A number follows when the next word starts like one ('-' or a digit).
bool numberFollows(Parser& parser) {
    if (parser.atEnd()) return false;
    const char c = parser.peek()[0];
    return c == '-' || (c >= '0' && c <= '9');
}

Vec3 readPoint(Parser& parser) {
    Vec3 p;
    p.x = parser.readFloat();
    p.y = parser.readFloat();
    p.z = parser.readFloat();
    return p;
}

}  // namespace

std::optional<StartScript> readStartScript(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    StartScript script;
    Parser parser(65536);
    const char* const separators[] = {"=", ";"};
    parser.setSeparators(2, separators);
    std::string line;
    // Line by line, as the console runs a file; a faulty statement ends its line.
    while (std::getline(file, line)) {
        parser.setText(line.c_str());
        try {
            while (!parser.atEnd()) {
                const std::string word = parser.next();
                if (strcasecmp(word.c_str(), "spawn") == 0) {
                    Spawn spawn;
                    spawn.file = parser.next();
                    spawn.position = readPoint(parser);
                    if (numberFollows(parser)) spawn.yaw = parser.readFloat();
                    if (numberFollows(parser)) spawn.animation = parser.readInt();
                    script.spawns.push_back(spawn);
                } else if (strcasecmp(word.c_str(), "camera") == 0) {
                    CameraPlace camera;
                    camera.position = readPoint(parser);
                    camera.pitch = parser.readFloat();
                    camera.yaw = parser.readFloat();
                    camera.roll = parser.readFloat();
                    script.camera = camera;
                }
            }
        } catch (Exception* error) {
            delete error;
        }
    }
    return script;
}

GameView readGameView(const std::filesystem::path& dataDirectory) {
    Console console;
    Settings settings;
    registerSettings(console, settings);
    console.setLock(false);
    std::ifstream file(dataDirectory / "autoexec.cfg");
    std::string line;
    while (std::getline(file, line)) console.executeLine(line.c_str());

    GameView view;
    view.options.width = settings.scrWidth.integer();
    view.options.height = settings.scrHeight.integer();
    const double near = settings.gfxNearClipplane.number;
    view.options.nearPlane = std::isfinite(near) && near > 0.0 ? near : 1.0;
    view.flatWhite = settings.dbgFlatWhite.flag;
    // Frames beyond a few days of running are not worth replaying the flicker for.
    const double frame = settings.dbgScreenshotFrame.number;
    view.frame = std::isfinite(frame) && frame >= 1.0 ? static_cast<int>(std::min(frame, 1e7)) : 1;
    view.deterministic = settings.dbgFrameMs.number > 0;
    if (view.deterministic) {
        // The clock starts at 0 and gains the whole milliseconds of a step each frame.
        const double step = std::floor(std::min(settings.dbgFrameMs.number, 4294967295.0));
        const double ms = std::fmod(step * view.frame, 4294967296.0);
        view.timeSeconds = ms * 0.001;
    }

    view.camera.position = {-50.44, 40.717, -36.719};
    view.camera.yaw = -135.0;
    if (const auto script = readStartScript(dataDirectory / "test.cfg"); script && script->camera)
        view.camera = *script->camera;
    const char* text = settings.dbgCamera.text;
    float v[6];
    if (text &&
        std::sscanf(text, "%f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) == 6) {
        view.camera.position = {v[0], v[1], v[2]};
        view.camera.pitch = v[3];
        view.camera.yaw = v[4];
        view.camera.roll = v[5];
    }
    return view;
}

double flickerValue(int frame, int lightIndex, int lightCount) {
    if (lightIndex < 8 || lightIndex >= lightCount || frame < 1) return 1.0;
    const long long calls = static_cast<long long>(frame - 1) * (lightCount - 8) + (lightIndex - 8);
    Random flames;  // game's generator, from its start
    int value = 0;
    for (long long i = 0; i <= calls; ++i) value = flames.next();
    return 0.75 + 0.25 * (static_cast<double>(value) / (kRandomMax + 1.0));
}

Scene loadGameScene(const std::filesystem::path& dataDirectory, const GameView& view) {
    Scene scene;
    loadOtm(dataDirectory / "test.otm", scene);
    const int lightCount = static_cast<int>(scene.lights.size());
    for (int i = 8; i < lightCount; ++i) {
        const double v = flickerValue(view.frame, i, lightCount);
        PointLight& light = scene.lights[static_cast<size_t>(i)];
        light.colour[0] = v;
        light.colour[1] = v * 0.6313;
        light.colour[2] = 0.0;
    }
    int object = 1;
    if (const auto script = readStartScript(dataDirectory / "test.cfg")) {
        // The game finds each mesh's sector from its place; arvel-level has checked
        // that one holds it.
        for (const Spawn& spawn : script->spawns) {
            const std::filesystem::path path = dataDirectory / spawn.file;
            if (std::filesystem::exists(path)) {
                addPosedMesh(path, spawn.position, view.timeSeconds, object, scene, spawn.yaw,
                             spawn.animation);
            }
            ++object;
        }
        return scene;
    }
    const struct {
        const char* file;
        Vec3 position;
        int sector;
    } meshes[] = {{"test.msh", {-72.5, 32.1, -17.5}, 1}, {"testa.msh", {-203.5, -112.0, -90.0}, 4}};
    for (const auto& mesh : meshes) {
        const std::filesystem::path path = dataDirectory / mesh.file;
        if (mesh.sector < scene.sectorCount && std::filesystem::exists(path))
            addPosedMesh(path, mesh.position, view.timeSeconds, object, scene);
        ++object;
    }
    return scene;
}

}  // namespace arvel::reference
