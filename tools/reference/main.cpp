// arvel-reference: draws what game shows in a data directory (its test.otm, test.msh
// and testa.msh, camera and frame from its autoexec.cfg) by ray tracing the default
// techniques' lighting on white surfaces, and compares a game screenshot with it.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/PngFile.h"
#include "reference/Comparison.h"
#include "reference/GameView.h"
#include "reference/RayTracer.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: arvel-reference [--no-shadows] [--compare game.png [--difference "
                 "diff.png]] data-directory out.png\n"
                 "Draws the frame game would screenshot in data-directory (dbg_camera,\n"
                 "dbg_frame_ms, dbg_screenshot_frame, scr_width, scr_height of its\n"
                 "autoexec.cfg) with flat normals and white surfaces. --compare counts the\n"
                 "pixels where game.png (taken with dbg_flat_white true) agrees on lit and\n"
                 "shadowed; the exit status is 1 below 99%%.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace arvel::reference;
    using arvel::readPng, arvel::RgbImage, arvel::writePng;
    bool shadows = true;
    std::string compare, difference;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-shadows") {
            shadows = false;
        } else if ((arg == "--compare" || arg == "--difference") && i + 1 < argc) {
            (arg == "--compare" ? compare : difference) = argv[++i];
        } else if (arg.rfind("--", 0) == 0) {
            return usage();
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2) return usage();

    GameView view = readGameView(paths[0]);
    view.options.shadows = shadows;
    // Sizes a window can have; anything else would only exhaust memory.
    if (view.options.width <= 0 || view.options.height <= 0 || view.options.width > 8192 ||
        view.options.height > 8192) {
        std::fprintf(stderr,
                     "arvel-reference: scr_width x scr_height of %d x %d is no picture size\n",
                     view.options.width, view.options.height);
        return 1;
    }
    if (!view.deterministic)
        std::fprintf(stderr, "arvel-reference: dbg_frame_ms is not set; meshes are posed at 0 s\n");
    Scene scene;
    try {
        scene = loadGameScene(paths[0], view);
    } catch (const SceneError& e) {
        std::fprintf(stderr, "arvel-reference: %s\n", e.what());
        return 1;
    }
    const ReferenceImage image = render(scene, view.camera, view.options);
    if (!writePng(paths[1], {image.width, image.height, image.rgb})) {
        std::fprintf(stderr, "arvel-reference: cannot write %s\n", paths[1].c_str());
        return 1;
    }
    std::printf("%d x %d pixels, %zu triangles, %zu lights\n", image.width, image.height,
                scene.triangles.size(), image.lightCount());
    if (compare.empty()) return 0;

    RgbImage game;
    if (!readPng(compare, game) || game.width != image.width || game.height != image.height) {
        std::fprintf(stderr, "arvel-reference: %s is not a %d x %d PNG\n", compare.c_str(),
                     image.width, image.height);
        return 1;
    }
    const Comparison result = compareLighting(image, game.rgb.data());
    std::printf("%s\n", result.summary().c_str());
    if (!difference.empty() &&
        !writePng(difference, {image.width, image.height, result.difference})) {
        std::fprintf(stderr, "arvel-reference: cannot write %s\n", difference.c_str());
        return 1;
    }
    return result.agreement() >= 0.99 ? 0 : 1;
}
