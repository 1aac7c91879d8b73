#include "app/GameConsole.h"

#include <memory>
#include <string>

#include "app/Game.h"
#include "app/Level.h"
#include "app/Screenshot.h"
#include "console/Console.h"
#include "console/ConsoleInput.h"
#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "platform/platform.h"
#include "render/ConsoleView.h"
#include "render/Font.h"
#include "world/World.h"
#include "world/WorldReload.h"

namespace arvel {

namespace {

constexpr uint32_t kReloadIntervalMs = 500;
constexpr int kWheelNotch = 120;
constexpr int kLinesPerNotch = 3;
constexpr int kLinesPerPage = 10;

struct ConsoleState {
    bool open = false;
    ConsoleInput input;
    // Made when the console first opens, so that a closed console costs nothing.
    std::unique_ptr<ConsoleView> view;
    std::unique_ptr<Font> font;
    std::string fontName;    // the c_font the font was made from
    std::string screenshot;  // asked for by the command; "" numbered
    bool screenshotAsked = false;
    uint32_t lastReloadMs = 0;
    Console* reports = nullptr;  // where listenToReports sends the texts
};

ConsoleState& state() {
    static ConsoleState instance;
    return instance;
}

// The console's own settings, which it creates itself.
const ConsoleVariable& consoleSetting(const Console* console, const char* name) {
    static const ConsoleVariable missing("", "");
    const ConsoleVariable* variable = console ? console->findVariable(name) : nullptr;
    return variable ? *variable : missing;
}

// Already formatted, and may be longer than print's buffer (a compiler's log).
void hearReport(const char* text) {
    if (Console* console = state().reports) console->output().print(text);
}

// The console's own font, made again when c_font names another file. A missing or
// unreadable one leaves the overlay's font in use, with one message per name.
void prepareView(const Game& game, int screenWidth, int screenHeight) {
    ConsoleState& s = state();
    World* world = game.world;
    if (!s.view) {
        QuietBoxes quiet;
        s.view = std::make_unique<ConsoleView>();
        if (!s.view->problem().empty())
            RunTimeMessage("The console's panel is not drawn: %s", s.view->problem().c_str());
        if (world && s.view->technique()) world->watchTechnique(s.view->technique());
    }
    const char* wanted = consoleSetting(game.console, "c_font").text;
    if (!wanted) wanted = "";
    if (s.fontName == wanted) return;
    s.fontName = wanted;
    if (world && s.font) world->unwatchTechnique(s.font->technique());
    s.font.reset();
    QuietBoxes quiet;
    try {
        s.font = std::make_unique<Font>(wanted, screenWidth, screenHeight);
        if (world) world->watchTechnique(s.font->technique());
    } catch (Exception* e) {
        RunTimeMessage("Console font %s is missing or unreadable; using the overlay's font\n%s",
                       wanted, e->what());
        delete e;
    }
}

void execute(Console* console, const std::string& line) {
    if (!console) return;
    QuietBoxes quiet;
    console->executeTyped(line.c_str());
}

void screenshot(Console& console, const CommandArgs& args) {
    if (args.size() > 1) {
        console.print("usage: screenshot [FILE]\n");
        return;
    }
    state().screenshot = args.empty() ? std::string() : args[0];
    state().screenshotAsked = true;
}

}  // namespace

void registerGameCommands(Console& console, Game& game) {
    // game outlives the console: shutdown deletes the console first.
    console.registerCommand(
        "reload", "reload", "reload every file of the world and the level that changed on disk",
        [&game](Console&, const CommandArgs&) { reloadChangedFiles(game, true); });
    console.registerCommand("screenshot", "screenshot [FILE]",
                            "write the next frame, without the console, to a PNG file "
                            "(screenshotNNNN.png by default)",
                            screenshot);
    console.registerCommand("quit", "quit", "end the game", [&game](Console&, const CommandArgs&) {
        if (game.window) platform::postMessage(game.window, platform::kMsgClose, 0, 0);
    });
}

void listenToReports(Console& console) {
    state().reports = &console;
    SetReportListener(hearReport);
}

bool consoleOpen() { return state().open; }

bool consoleKey(Console* console, int key) {
    ConsoleState& s = state();
    if (key == platform::kVkOem3) {
        s.open = !s.open;
        return true;
    }
    if (!s.open) return false;
    ConsoleInput& input = s.input;
    switch (key) {
        case platform::kVkEscape:
            s.open = false;
            break;
        case platform::kVkReturn:
            execute(console, input.submit());
            break;
        case platform::kVkTab:
            if (console) console->complete(input);
            break;
        case platform::kVkLeft:
            input.left();
            break;
        case platform::kVkRight:
            input.right();
            break;
        case platform::kVkHome:
            input.home();
            break;
        case platform::kVkEnd:
            input.end();
            break;
        case platform::kVkBack:
            input.backspace();
            break;
        case platform::kVkDelete:
            input.erase();
            break;
        case platform::kVkUp:
            input.historyUp();
            break;
        case platform::kVkDown:
            input.historyDown();
            break;
        case platform::kVkPrior:
            if (console) console->output().scrollBy(kLinesPerPage);
            break;
        case platform::kVkNext:
            if (console) console->output().scrollBy(-kLinesPerPage);
            break;
        default:
            break;
    }
    return true;
}

void consoleCharacter(unsigned character) {
    ConsoleState& s = state();
    // The toggle key's own character arrives after it opened the console.
    if (!s.open || character == '`' || character == '~') return;
    if (character < 0x20 || character >= 0x7F) return;
    const char text[2] = {static_cast<char>(character), '\0'};
    s.input.insert(text);
}

void consoleWheel(Console* console, int delta) {
    if (!state().open || delta == 0 || !console) return;
    console->output().scrollBy(delta / kWheelNotch * kLinesPerNotch);
}

void drawConsole(const Game& game, const Font* overlay, int screenWidth, int screenHeight) {
    ConsoleState& s = state();
    if (!s.open || !game.console) return;
    prepareView(game, screenWidth, screenHeight);
    // The window may have changed size since the font was made.
    if (s.font) s.font->setScreenSize(screenWidth, screenHeight);
    const Font* font = s.font ? s.font.get() : overlay;
    if (!font) return;

    const Console& console = *game.console;
    ConsolePicture picture;
    picture.lines = &console.output().lines();
    picture.scroll = console.output().scroll();
    picture.input = s.input.line();
    picture.cursor = s.input.cursor();
    picture.size = static_cast<float>(consoleSetting(&console, "c_size").number);
    picture.transparency = static_cast<float>(consoleSetting(&console, "c_transparency").number);
    picture.cursorShown = (platform::tickCount() / 400) % 2 == 0;
    s.view->draw(*font, picture);
}

void takeRequestedScreenshot(Console* console, int screenWidth, int screenHeight) {
    ConsoleState& s = state();
    if (!s.screenshotAsked) return;
    s.screenshotAsked = false;
    QuietBoxes quiet;
    std::string written = s.screenshot;
    const bool ok = written.empty() ? writeNumberedScreenshot(screenWidth, screenHeight, &written)
                                    : writeScreenshot(written.c_str(), screenWidth, screenHeight);
    if (ok && console) console->print("Wrote %s\n", written.c_str());
}

void reloadChangedFiles(Game& g, bool verbose) {
    if (!g.world) return;
    state().lastReloadMs = platform::tickCount();
    ReloadResult result;
    {
        QuietBoxes quiet;
        result = g.world->reloadChanged();
    }
    Console* console = g.console;
    if (console)
        for (const std::string& name : result.reloaded)
            console->print("Reloaded %s\n", name.c_str());
    bool levelReloaded = false;
    if (result.levelChanged || levelConfigChanged()) {
        // The level again, where the camera stands now.
        levelReloaded = switchLevel(g, levelName(), false);
        if (levelReloaded && console) console->print("Reloaded %s\n", levelName().c_str());
    }
    if (verbose && console && result.nothingChanged() && !levelReloaded)
        console->print("Nothing changed\n");
}

void reloadOnSchedule(Game& game) {
    if (!settings().dbgReload.flag) return;
    const uint32_t now = platform::tickCount();
    if (now - state().lastReloadMs < kReloadIntervalMs) return;
    reloadChangedFiles(game, false);
}

void destroyConsoleView(World* world) {
    ConsoleState& s = state();
    if (world) {
        if (s.font) world->unwatchTechnique(s.font->technique());
        if (s.view && s.view->technique()) world->unwatchTechnique(s.view->technique());
    }
    s.font.reset();
    s.view.reset();
    s.fontName.clear();
    s.open = false;
}

}  // namespace arvel
