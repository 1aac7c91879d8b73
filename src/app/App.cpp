#include "app/App.h"
#include "app/CommandLine.h"
#include "app/DisplayOptions.h"
#include "app/Game.h"
#include "app/GameConsole.h"
#include "app/GameWindow.h"
#include "app/Level.h"
#include "app/Screenshot.h"

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

Game gameState;

void onTerminate() {
    SetErrorLocation(58, "Main");
    FatalError("An unhandled exception was thrown. Aborting\n");
    std::abort();
}

void shutdown() {
    Game& game = arvel::game();
    destroyConsoleView();
    SetReportListener(nullptr);
    if (game.camera && settings().dbgPrintCamera.flag) {
        Vector4 p = game.camera->position();
        EulerAngles a = game.camera->orientation();
        std::printf("camera %g %g %g %g %g %g\n", p.x, p.y, p.z, a.pitch, a.yaw, a.roll);
        std::fflush(stdout);
    }
    delete game.world;
    game.world = nullptr;
    game.map = nullptr;
    delete game.console;
    game.console = nullptr;
    delete game.camera;
    game.camera = nullptr;
    fileSystem().clear();
    destroyRenderQueue();
    zone().destroy();
}

void activate(bool on) {
    Game& game = arvel::game();
    if (!on) {
        game.active = false;
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
    game.active = true;
    platform::setCursorVisible(false);
    mouse().acquire();
}

intptr_t windowProcedure(platform::Window* window, unsigned message, uintptr_t wParam,
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
            if (consoleKey(static_cast<int>(wParam))) return 0;
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

// False, with the reason in error, when a statement of the command line names nothing
// the console knows; then nothing has run.
bool createConsole(const std::vector<CommandLineStatement>& statements, std::string& error) {
    Game& game = arvel::game();
    game.console = new Console();
    registerSettings(*game.console, settings());
    registerLevelCommands(*game.console);
    registerGameCommands(*game.console);
    if (!checkStatements(*game.console, statements, error)) return false;
    // From here on what the boxes say is also in the console's scroll-back.
    listenToReports();
    game.console->setLock(false);
    game.console->executeFile("autoexec.cfg");
    // The command line is start-up configuration too: it may set locked settings.
    for (const CommandLineStatement& statement : statements)
        game.console->executeLine(statementLine(statement).c_str());
    game.console->setLock(true);
    return true;
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
void steer() {
    Game& game = arvel::game();
    WindowsMouse& m = mouse();
    m.poll();
    // While the console is open, keys and mouse are its own: the camera stands still
    // and the toggles wait.
    if (consoleOpen()) {
        consoleWheel(m.dz());
        keyboard().poll();
        return;
    }
    if (game.camera) {
        Camera& camera = *game.camera;
        EulerAngles a = camera.orientation();
        camera.setOrientation(a.pitch + static_cast<float>(m.dy()),
                              a.yaw + static_cast<float>(m.dx()), a.roll, a.w);
        if (m.buttons() & WindowsMouse::kRight) {
            const float heading = camera.orientation().yaw * 0.017453292f;
            Vector4 p = camera.position();
            camera.setPosition(p.x + std::sin(heading), p.y, p.z - std::cos(heading), p.w);
        }
        if (m.buttons() & WindowsMouse::kLeft) {
            Vector4 p = camera.position();
            camera.setPosition(p.x, p.y + 1.0f, p.z, p.w);
        }
        if (m.buttons() & WindowsMouse::kMiddle) {
            Vector4 p = camera.position();
            camera.setPosition(p.x, p.y - 1.0f, p.z, p.w);
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
void captureScreenshots(int width, int height) {
    Game& game = arvel::game();
    Settings& s = settings();
    if (keyboard().pressed(platform::kVkF12)) writeNumberedScreenshot(width, height);
    if (s.dbgScreenshotFrame.number > 0 && game.frameCount + 1 == s.dbgScreenshotFrame.number)
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
void drawOverlay(const Font& font, int tris) {
    Game& game = arvel::game();
    const int visibleLights = visibleLightCount();
    font.begin2D();
    font.print(-1.0f, 1.0f, "FPS: %3.2f Triangles/Sec: %8d\nTriangles: %8d Visible lights: %2d\n",
               static_cast<double>(game.fps), truncatedRate(static_cast<float>(tris) * game.fps),
               tris, visibleLights);
    font.end2D();
}

// The map's lights from index 8 on flicker like flames: red 0.75 to 1, a little green.
// The engine's own generator, not rand(): the flames take the same colours on every
// platform, so a replayed frame looks the same on Linux and Windows.
void flickerLights() {
    Game& game = arvel::game();
    if (!game.map) return;
    static Random flames;
    for (int i = 8; i < game.map->lightCount(); ++i) {
        const float v =
            0.75f + 0.25f * static_cast<float>(flames.next()) / static_cast<float>(kRandomMax + 1);
        Light& light = game.map->light(i);
        light.colour[0] = v;
        light.colour[1] = v * 0.6313f;
        light.colour[2] = 0.0f;
    }
}

// A window that changed size is drawn at its new size from this frame on.
void followWindowSize(Font* font) {
    int width = 0, height = 0;
    if (!takeNewFrameSize(width, height)) return;
    gDriver.dChangeWindowSize(width, height);
    if (game().world)
        game().world->setWindowSize(static_cast<float>(width), static_cast<float>(height));
    if (font) font->setScreenSize(width, height);
}

void renderFrame(Font* font) {
    Game& game = arvel::game();
    followWindowSize(font);
    tick();
    const float now = frameClock().timeSeconds;
    if (game.frameCount % 10 == 0) {
        game.fps = 10.0f / (now - game.lastFpsTime);
        game.lastFpsTime = now;
    }

    gDriver.dDepthMask(1);
    gDriver.dColorMask(1, 1, 1, 1);
    gDriver.dEnableDepth();
    float r = 0.0f, g = 0.0f, b = 0.0f;
    // Black unless all three values read.
    if (std::sscanf(settings().dbgClearColour.text, "%f %f %f", &r, &g, &b) != 3) r = g = b = 0.0f;
    gDriver.dClearColor(r, g, b, 1.0f);
    gDriver.dDisableScissor();
    gDriver.dSetClear(7);
    gDriver.dClearBuffer();

    flickerLights();
    if (game.camera) {
        const CameraView& view = game.camera->updateView();
        if (game.world) game.world->render(view);
    }

    steer();

    gDriver.dWireframe(0);
    const int tris = gDriver.dNumRenderedTris() - game.prevTris;
    if (font) drawOverlay(*font, tris);

    const int width = frameWidth();
    const int height = frameHeight();
    takeRequestedScreenshot(width, height);
    drawConsole(font, width, height);
    captureScreenshots(width, height);

    game.prevTris = gDriver.dNumRenderedTris();
    gDriver.dSwapBuffer();
    ++game.frameCount;

    const double quitFrame = settings().dbgQuitFrame.number;
    if (quitFrame > 0 && !game.quitRequested && game.frameCount >= quitFrame) {
        game.quitRequested = true;
        platform::postMessage(game.window, platform::kMsgClose, 0, 0);
    }
    reloadOnSchedule();
}

int runLoop(Font* font) {
    platform::Message message;
    for (;;) {
        if (platform::peekMessage()) {
            if (!platform::getMessage(&message)) break;
            platform::translateMessage(&message);
            platform::dispatchMessage(&message);
            continue;
        }
        if (!game().active) {
            // Nothing to draw: give the processor back instead of spinning.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        renderFrame(font);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace

Game& game() { return gameState; }

int runGame(int argc, char** argv) {
    Game& game = arvel::game();
    CommandLine options;
    std::string error;
    // A mistake is reported before a window opens or a file is written.
    if (!parseCommandLine(argc, argv, options, error)) return reportUsageError(error, argv[0]);
    if (options.help) {
        printUsage(stdout, argv[0]);
        return 0;
    }
    std::set_terminate(onTerminate);
    if (!platform::registerClass("Arvel", windowProcedure)) {
        SetErrorLocation(90, "Main");
        FatalError("Couldn't open the display\n");
        return 0;
    }
    zone().create();
    createRenderQueue();
    mountFileSystem(options.dataFolders);
    if (!createConsole(options.statements, error)) {
        shutdown();
        return reportUsageError(error, argv[0]);
    }

    Settings& s = settings();
    if (!loadDriver(s.gfxDriver.text)) {
        SetErrorLocation(134, "Main");
        FatalError("couldnt load gfx driver: %s\n", s.gfxDriver.text);
        return 0;
    }

    game.window = createGameWindow();
    if (!game.window) return 0;
    const int width = frameWidth();
    const int height = frameHeight();

    requestDisplayOptions();
    if (!gDriver.dSetRenderWindow(game.window, s.scrBpp.integer(), s.scrDbpp.integer(),
                                  s.scrSbpp.integer())) {
        SetErrorLocation(154, "Main");
        FatalError("Couldnt initialize the rendering window");
        return 0;
    }
    applyDisplayOptions();
    platform::showWindow(game.window);
    platform::updateWindow(game.window);

    gDriver.dSetVPProfile(s.gfxVpprofile.text);
    gDriver.dSetFPProfile(s.gfxFpprofile.text);
    gDriver.dEnableDepth();
    gDriver.dEnableCull();

    try {
        game.world = new World(game.console, static_cast<float>(width), static_cast<float>(height));
        game.camera = new Camera();
        mouse().initialise(game.window);
    } catch (Exception* e) {
        SetErrorLocation(178, "Main");
        FatalError("%s\n", e->what());
        delete e;
        std::exit(0);
    }

    // Without its image or technique the game runs on, only without the overlay.
    std::unique_ptr<Font> font;
    try {
        font = std::make_unique<Font>("font.tga", width, height);
    } catch (Exception* e) {
        WarningBox("%s\n", e->what());
        delete e;
    }

    // The overlay's technique is edited like the world's; the world goes first at
    // shutdown, so it never holds a technique that is gone.
    if (font) game.world->watchTechnique(font->technique());

    // A deterministic clock starts from zero so that every run sees the same times.
    frameClock().set(s.dbgFrameMs.number > 0 ? 0 : platform::tickCount());
    try {
        loadStartLevel();
    } catch (Exception* e) {
        SetErrorLocation(266, "Main");
        FatalError("%s\n", e->what());
        delete e;
        font.reset();
        return 0;
    }
    game.fps = 0;
    game.frameCount = 0;
    placeCamera(*game.camera);

    game.running = true;
    const int status = runLoop(font.get());
    font.reset();
    return status;
}

}  // namespace arvel
