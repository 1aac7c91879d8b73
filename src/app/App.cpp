#include "app/App.h"
#include "app/CameraPath.h"
#include "app/CommandLine.h"
#include "app/DisplayOptions.h"
#include "app/Game.h"
#include "app/GameConsole.h"
#include "app/GameWindow.h"
#include "app/Level.h"
#include "app/Screenshot.h"
#include "app/Timedemo.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "console/Console.h"
#include "console/Settings.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "core/Random.h"
#include "core/Zone.h"
#include "driver/Driver.h"
#include "fs/ArchiveFile.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "input/Keyboard.h"
#include "input/WindowsMouse.h"
#include "platform/platform.h"
#include "render/Font.h"
#include "render/RenderQueue.h"
#include "world/Camera.h"
#include "world/Light.h"
#include "world/Map.h"
#include "world/MeshInstance.h"
#include "world/Sector.h"
#include "world/World.h"

namespace arvel {

namespace {

void onTerminate() {
    SetErrorLocation(58, "Main");
    FatalError("An unhandled exception was thrown. Aborting\n");
    std::abort();
}

// A start-up step that failed: the box, at the line the logs have always named, and
// the exit status of such a run.
template <typename... Args>
int startupFailure(int line, const char* format, Args... args) {
    SetErrorLocation(line, "Main");
    FatalError(format, args...);
    return 0;
}

int startupFailure(int line, Exception* e) {
    const int status = startupFailure(line, "%s\n", e->what());
    delete e;
    return status;
}

// Mounts the data sources in lookup order: the working directory and its folders, then
// each data folder and its folders, so the user's files win over installed ones; the
// archives last. A source that cannot mount is dropped.
void mountFileSystem(const std::vector<std::string>& dataFolders) {
    auto mountDirectory = [](const std::string& prefix) {
        auto* source = new CommonFile();
        if (fileSystem().mount(source, prefix.c_str())) return true;
        delete source;
        return false;
    };
    std::vector<std::string> roots{""};
    for (const std::string& folder : dataFolders) {
        const char last = folder.back();
        roots.push_back(last == '/' || last == '\\' ? folder : folder + "/");
    }
    for (const std::string& root : roots) {
        if (!mountDirectory(root) && root.empty()) {
            SetErrorLocation(114, "Main");
            FatalError("FATAL ERROR: Couldn't setup file system at all");
        }
        mountDirectory(root + "textures\\");
        mountDirectory(root + "shaders\\");
        mountDirectory(root + "lshaders\\");
    }
    // Consulted last: only for names no folder has.
    for (const std::string& root : roots) {
        auto* archive = new ArchiveFile();
        if (!fileSystem().mount(archive, (root + "Data.zip").c_str())) delete archive;
    }
}

// Advances the frame clock: the tick count, or exact steps when dbg_frame_ms is set.
void tick() {
    const double stepMs = settings().dbgFrameMs.number;
    FrameClock& clock = frameClock();
    // Any number can stand in the configuration: a step is at most the clock's range.
    if (stepMs > 0)
        clock.set(clock.tickMs + static_cast<uint32_t>(std::min(stepMs, 4294967295.0)));
    else
        clock.set(platform::tickCount());
}

// Mouse look and movement, per frame: one count turns one degree; the right button
// moves one unit along the heading, the left and middle buttons up and down.
void steer(Camera* camera, Console* console) {
    WindowsMouse& m = mouse();
    m.poll();
    // While the console is open, keys and mouse are its own: the camera stands still
    // and the toggles wait.
    if (consoleOpen()) {
        consoleWheel(console, m.dz());
        keyboard().poll();
        return;
    }
    if (camera) {
        EulerAngles a = camera->orientation();
        camera->setOrientation(a.pitch + static_cast<float>(m.dy()),
                               a.yaw + static_cast<float>(m.dx()), a.roll, a.w);
        if (m.buttons() & WindowsMouse::kRight) {
            const float heading = camera->orientation().yaw * 0.017453292f;
            Vector4 p = camera->position();
            camera->setPosition(p.x + std::sin(heading), p.y, p.z - std::cos(heading), p.w);
        }
        if (m.buttons() & WindowsMouse::kLeft) {
            Vector4 p = camera->position();
            camera->setPosition(p.x, p.y + 1.0f, p.z, p.w);
        }
        if (m.buttons() & WindowsMouse::kMiddle) {
            Vector4 p = camera->position();
            camera->setPosition(p.x, p.y - 1.0f, p.z, p.w);
        }
    }

    Keyboard& k = keyboard();
    k.poll();
    Settings& s = settings();
    const struct {
        int key;
        ConsoleVariable* variable;
    } toggles[] = {{'C', &s.gfxCullVolumes}, {'D', &s.gfxDshadows},  {'S', &s.gfxForceDynamic},
                   {'E', &s.dbgDrawEdges},   {'W', &s.gfxWireframe}, {'B', &s.dbgDrawBboxes},
                   {'V', &s.dbgDrawSboxes}};
    for (const auto& toggle : toggles)
        if (k.pressed(toggle.key)) toggle.variable->flag = !toggle.variable->flag;
}

// F12 writes a numbered screenshot; dbg_screenshot_frame names one frame (counted from
// 1) to write to dbg_screenshot. Read before the swap, while the frame is the back buffer.
void captureScreenshots(uint32_t frameCount, int width, int height) {
    Settings& s = settings();
    if (keyboard().pressed(platform::kVkF12)) writeNumberedScreenshot(width, height);
    if (s.dbgScreenshotFrame.number > 0 && frameCount + 1 == s.dbgScreenshotFrame.number)
        writeScreenshot(s.dbgScreenshot.text, width, height);
}

// A rate as the overlay prints it: truncated, and kept inside int when the first
// frames measure no time at all.
int truncatedRate(float value) {
    constexpr float kLimit = 2147483520.0f;  // the largest float below 2^31
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(value, -kLimit, kLimit));
}

// The statistics line in the top left corner.
void drawOverlay(const Font& font, float fps, int tris) {
    const int visibleLights = visibleLightCount();
    font.begin2D();
    font.print(-1.0f, 1.0f, "FPS: %3.2f Triangles/Sec: %8d\nTriangles: %8d Visible lights: %2d\n",
               static_cast<double>(fps), truncatedRate(static_cast<float>(tris) * fps), tris,
               visibleLights);
    font.end2D();
}

// The map's lights from index 8 on flicker like flames: red 0.75 to 1, a little green.
// The engine's own generator, not rand(): the flames take the same colours on every
// platform, so a replayed frame looks the same on Linux and Windows.
void flickerLights(Map* map) {
    if (!map) return;
    static Random flames;
    for (int i = 8; i < map->lightCount(); ++i) {
        const float v =
            0.75f + 0.25f * static_cast<float>(flames.next()) / static_cast<float>(kRandomMax + 1);
        Light& light = map->light(i);
        light.colour[0] = v;
        light.colour[1] = v * 0.6313f;
        light.colour[2] = 0.0f;
    }
}

// A window that changed size is drawn at its new size from this frame on.
void followWindowSize(World* world, Font* font) {
    int width = 0, height = 0;
    if (!takeNewFrameSize(width, height)) return;
    gDriver.dChangeWindowSize(width, height);
    if (world) world->setWindowSize(static_cast<float>(width), static_cast<float>(height));
    if (font) font->setScreenSize(width, height);
}

// One run of the program: start-up, the frame loop and shutdown, with the parts they
// share.
class GameRun {
public:
    int run(int argc, char** argv);
    intptr_t handleMessage(platform::Window* window, unsigned message, uintptr_t wParam,
                           intptr_t lParam);

private:
    void shutdown();
    void activate(bool on);
    bool createConsole(const std::vector<CommandLineStatement>& statements, std::string& error);
    void renderFrame();
    void playTimedemoFrame();
    void recordFrame();
    int runLoop();

    Game game_;
    // Without its image or technique the game runs on, only without the overlay.
    std::unique_ptr<Font> font_;
    bool active_ = false;
    float fps_ = 0.0f;
    uint32_t frameCount_ = 0;
    float lastFpsTime_ = 0.0f;
    int prevTris_ = 0;
    bool quitRequested_ = false;
    Timedemo timedemo_;
    CameraPathWriter recorder_;
    std::string recordFailed_;  // a path file that could not be written, not tried again
};

// The window procedure's way to the run: the platform hands it no context of its own.
GameRun* gRun = nullptr;

intptr_t windowProcedure(platform::Window* window, unsigned message, uintptr_t wParam,
                         intptr_t lParam) {
    if (!gRun) return platform::defWindowProc(window, message, wParam, lParam);
    return gRun->handleMessage(window, message, wParam, lParam);
}

void GameRun::shutdown() {
    recorder_.close();
    destroyConsoleView(game_.world);
    SetReportListener(nullptr);
    if (game_.camera && settings().dbgPrintCamera.flag) {
        Vector4 p = game_.camera->position();
        EulerAngles a = game_.camera->orientation();
        std::printf("camera %g %g %g %g %g %g\n", p.x, p.y, p.z, a.pitch, a.yaw, a.roll);
        std::fflush(stdout);
    }
    delete game_.world;
    game_.world = nullptr;
    game_.map = nullptr;
    delete game_.console;
    game_.console = nullptr;
    delete game_.camera;
    game_.camera = nullptr;
    fileSystem().clear();
    destroyRenderQueue();
    zone().destroy();
}

void GameRun::activate(bool on) {
    if (!on) {
        active_ = false;
        platform::setCursorVisible(true);
        mouse().unacquire();
        return;
    }
    // A windowed game keeps the desktop's display mode.
    if (!setGameDisplayMode()) {
        SetErrorLocation(444, "Main");
        FatalError("Couldn't set desired graphics mode\n");
        platform::postQuitMessage(0);
    }
    active_ = true;
    platform::setCursorVisible(false);
    mouse().acquire();
}

intptr_t GameRun::handleMessage(platform::Window* window, unsigned message, uintptr_t wParam,
                                intptr_t lParam) {
    switch (message) {
        case platform::kMsgActivate:
            activate((wParam & 0xFFFF) != 0);
            return 0;
        case platform::kMsgCreate:
        case platform::kMsgDestroy:
            return 0;
        case platform::kMsgSize:
            noteWindowSize(lParam);
            return 0;
        case platform::kMsgClose:
            shutdown();
            gDriver.dRestoreResolution();
            platform::postQuitMessage(0);
            return 0;
        case platform::kMsgKeyDown:
            if (consoleKey(game_.console, static_cast<int>(wParam))) return 0;
            if (wParam == platform::kVkEscape)
                platform::postMessage(window, platform::kMsgClose, 0, 0);
            return 0;
        case platform::kMsgChar:
            consoleCharacter(static_cast<unsigned>(wParam));
            return 0;
        case platform::kMsgSysKeyDown:
            // Alt+Enter, once per press: full screen and window change places.
            if (wParam != platform::kVkReturn)
                return platform::defWindowProc(window, message, wParam, lParam);
            if (!(lParam & (intptr_t(1) << 30))) toggleFullScreen();
            return 0;
        case platform::kMsgSysChar:
            // Its character, which the system would answer with a beep.
            if (wParam == '\r') return 0;
            return platform::defWindowProc(window, message, wParam, lParam);
        default:
            return platform::defWindowProc(window, message, wParam, lParam);
    }
}

// False, with the reason in error, when a statement of the command line names nothing
// the console knows; then nothing has run.
bool GameRun::createConsole(const std::vector<CommandLineStatement>& statements,
                            std::string& error) {
    game_.console = new Console();
    Console& console = *game_.console;
    registerSettings(console, settings());
    registerLevelCommands(console, game_);
    registerGameCommands(console, game_);
    if (!checkStatements(console, statements, error)) return false;
    // From here on what the boxes say is also in the console's scroll-back.
    listenToReports(console);
    console.setLock(false);
    console.executeFile("autoexec.cfg");
    // The command line is start-up configuration too: it may set locked settings.
    for (const CommandLineStatement& statement : statements)
        console.executeLine(statementLine(statement).c_str());
    console.setLock(true);
    return true;
}

// The next frame of the replayed path: its camera and its time.
void GameRun::playTimedemoFrame() {
    const CameraPathFrame& f = timedemo_.beginFrame();
    frameClock().set(f.timeMs);
    if (!game_.camera) return;
    game_.camera->setPosition(f.x, f.y, f.z, 0);
    game_.camera->setOrientation(f.pitch, f.yaw, f.roll, 0);
}

// Appends this frame's camera and time to dbg_record_path's file; a new name, or the
// same one set again after a pause, starts the file afresh.
void GameRun::recordFrame() {
    const char* name = settings().dbgRecordPath.text;
    if (!name || !*name) {
        recorder_.close();
        recordFailed_.clear();
        return;
    }
    if (!recorder_.isOpen() || recorder_.fileName() != name) {
        if (recordFailed_ == name) return;
        if (!recorder_.open(name)) {
            recordFailed_ = name;
            RunTimeWarning("dbg_record_path: cannot write \"%s\"\n", name);
            return;
        }
    }
    if (!game_.camera) return;
    const Vector4 p = game_.camera->position();
    const EulerAngles a = game_.camera->orientation();
    recorder_.append({p.x, p.y, p.z, a.pitch, a.yaw, a.roll, frameClock().tickMs});
}

void GameRun::renderFrame() {
    Font* font = font_.get();
    followWindowSize(game_.world, font);
    if (timedemo_.active())
        playTimedemoFrame();
    else
        tick();
    recordFrame();
    const float now = frameClock().timeSeconds;
    if (frameCount_ % 10 == 0) {
        fps_ = 10.0f / (now - lastFpsTime_);
        lastFpsTime_ = now;
    }

    gDriver.dDepthMask(1);
    gDriver.dColorMask(1, 1, 1, 1);
    gDriver.dEnableDepth();
    float r = 0.0f, g = 0.0f, b = 0.0f;
    // Black unless all three values read.
    if (std::sscanf(settings().dbgClearColour.text, "%f %f %f", &r, &g, &b) != 3) r = g = b = 0.0f;
    gDriver.dClearColor(r, g, b, 1.0f);
    gDriver.dDisableScissor();
    gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
    gDriver.dClearBuffer();

    flickerLights(game_.map);
    if (game_.camera) {
        const CameraView& view = game_.camera->updateView();
        if (game_.world) game_.world->render(view);
    }

    steer(game_.camera, game_.console);

    gDriver.dWireframe(0);
    const int tris = gDriver.dNumRenderedTris() - prevTris_;
    if (font) drawOverlay(*font, fps_, tris);

    const int width = frameWidth();
    const int height = frameHeight();
    takeRequestedScreenshot(game_.console, width, height);
    drawConsole(game_, font, width, height);
    captureScreenshots(frameCount_, width, height);

    prevTris_ = gDriver.dNumRenderedTris();
    gDriver.dSwapBuffer();
    ++frameCount_;

    if (timedemo_.active() && !quitRequested_ && timedemo_.endFrame()) {
        const std::string line = timedemoLine(timedemo_.name(), timedemo_.result());
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
        DumpLog("%s\n", line.c_str());
        quitRequested_ = true;
        platform::postMessage(game_.window, platform::kMsgClose, 0, 0);
    }

    const double quitFrame = settings().dbgQuitFrame.number;
    if (quitFrame > 0 && !quitRequested_ && frameCount_ >= quitFrame) {
        quitRequested_ = true;
        platform::postMessage(game_.window, platform::kMsgClose, 0, 0);
    }
    reloadOnSchedule(game_);
}

int GameRun::runLoop() {
    platform::Message message;
    for (;;) {
        if (platform::peekMessage()) {
            if (!platform::getMessage(&message)) break;
            platform::translateMessage(&message);
            platform::dispatchMessage(&message);
            continue;
        }
        if (!active_) {
            // Nothing to draw: give the processor back instead of spinning.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        renderFrame();
    }
    return static_cast<int>(message.wParam);
}

int GameRun::run(int argc, char** argv) {
    CommandLine options;
    std::string error;
    // A mistake is reported before a window opens or a file is written.
    if (!parseCommandLine(argc, argv, options, error)) return reportUsageError(error, argv[0]);
    if (options.help) {
        printUsage(stdout, argv[0]);
        return 0;
    }
    std::set_terminate(onTerminate);
    if (!platform::registerClass("Arvel", windowProcedure))
        return startupFailure(90, "Couldn't open the display\n");
    zone().create();
    createRenderQueue();
    mountFileSystem(options.dataFolders);
    if (!createConsole(options.statements, error)) {
        shutdown();
        return reportUsageError(error, argv[0]);
    }

    Settings& s = settings();
    // A path that cannot be replayed is said before a window opens, and nothing runs.
    if (s.dbgTimedemo.text && *s.dbgTimedemo.text && !timedemo_.load(s.dbgTimedemo.text, error)) {
        std::fprintf(stderr, "dbg_timedemo: %s\n", error.c_str());
        DumpLog("dbg_timedemo: %s\n", error.c_str());
        shutdown();
        return 1;
    }
    if (!loadDriver(s.gfxDriver.text))
        return startupFailure(134, "couldnt load gfx driver: %s\n", s.gfxDriver.text);

    game_.window = createGameWindow();
    if (!game_.window) return 0;
    const int width = frameWidth();
    const int height = frameHeight();

    requestDisplayOptions();
    if (!gDriver.dSetRenderWindow(game_.window, s.scrBpp.integer(), s.scrDbpp.integer(),
                                  s.scrSbpp.integer()))
        return startupFailure(154, "Couldnt initialize the rendering window");
    applyDisplayOptions();
    platform::showWindow(game_.window);
    platform::updateWindow(game_.window);

    gDriver.dSetVPProfile(s.gfxVpprofile.text);
    gDriver.dSetFPProfile(s.gfxFpprofile.text);
    gDriver.dEnableDepth();
    gDriver.dEnableCull();

    try {
        game_.world =
            new World(game_.console, static_cast<float>(width), static_cast<float>(height));
        game_.camera = new Camera();
        mouse().initialise(game_.window);
    } catch (Exception* e) {
        std::exit(startupFailure(178, e));
    }

    try {
        font_ = std::make_unique<Font>("font.tga", width, height);
    } catch (Exception* e) {
        WarningBox("%s\n", e->what());
        delete e;
    }

    // The overlay's technique is edited like the world's; the world goes first at
    // shutdown, so it never holds a technique that is gone.
    if (font_) game_.world->watchTechnique(font_->technique());

    // A deterministic clock starts from zero so that every run sees the same times.
    frameClock().set(s.dbgFrameMs.number > 0 ? 0 : platform::tickCount());
    try {
        loadStartLevel(game_);
    } catch (Exception* e) {
        const int status = startupFailure(266, e);
        font_.reset();
        return status;
    }
    fps_ = 0;
    frameCount_ = 0;
    placeCamera(*game_.camera);

    game_.running = true;
    const int status = runLoop();
    font_.reset();
    return status;
}

}  // namespace

int runGame(int argc, char** argv) {
    GameRun run;
    gRun = &run;
    const int status = run.run(argc, argv);
    gRun = nullptr;
    return status;
}

}  // namespace arvel
