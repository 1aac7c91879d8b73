#include "GameCapture.h"

#include <fstream>
#include <sstream>

namespace arvel::test {

GameScene::GameScene() { copyDemoData(dir_); }

bool GameScene::useLevel(const std::string& name, std::string& message) {
    return useLevelSource(std::filesystem::path(ARVEL_SOURCE_DIR) / "tests" / "e2e" / "golden" /
                              "levels" / (name + ".json"),
                          message);
}

bool GameScene::useLevelSource(const std::filesystem::path& source, std::string& message) {
    Process compiler(
        {ARVEL_BIN_DIR "/arvel-level", source.string(), (dir_.path() / "test.otm").string()},
        dir_.path().string());
    const ProcessResult result = compiler.wait(120);
    message = result.out + result.err;
    return result.exitCode == 0;
}

void GameScene::removeMeshes() {
    std::filesystem::remove(dir_.path() / "test.msh");
    std::filesystem::remove(dir_.path() / "testa.msh");
}

Capture GameScene::capture(const std::string& camera, const std::vector<std::string>& settings) {
    const std::filesystem::path shot = dir_.path() / "shot.png";
    std::filesystem::remove(shot);
    // The demo's own settings first, so that what the test adds wins.
    std::ifstream demo(std::filesystem::path(ARVEL_BIN_DIR) / ".." / "data" / "autoexec.cfg");
    std::ostringstream autoexec;
    autoexec << demo.rdbuf() << "\n" << captureSettings(camera);
    for (const std::string& line : settings) autoexec << line << "\n";
    dir_.write("autoexec.cfg", autoexec.str());

    Capture capture;
    Process game({ARVEL_BIN_DIR "/game"}, dir_.path().string(), {{"ARVEL_NO_DIALOGS", "1"}});
    capture.result = game.wait(120);
    if (!readPng(shot, capture.picture)) capture.picture = {};
    return capture;
}

std::filesystem::path failureFolder() {
    const std::filesystem::path folder =
        std::filesystem::path(ARVEL_TEST_BIN_DIR) / "picture-failures";
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace arvel::test
