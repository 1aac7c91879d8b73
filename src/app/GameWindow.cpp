#include "app/GameWindow.h"

#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "driver/Driver.h"
#include "platform/platform.h"

namespace arvel {

namespace {

// A window asked for at 0 x 0 opens at scr_width's and scr_height's defaults.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;
// Larger than any display, and within the 16 bits a size message carries.
constexpr int kLargestSide = 16384;

struct WindowState {
    platform::Window* window = nullptr;
    bool fullScreen = false;
    bool desktop = false;  // full screen in the desktop's own mode: no switch
    int modeWidth = kDefaultWidth, modeHeight = kDefaultHeight;  // full screen
    int windowedWidth = kDefaultWidth, windowedHeight = kDefaultHeight;
    int width = 0, height = 0;  // the drawing area, as last heard
    int frameWidth = 0, frameHeight = 0;
};

WindowState& state() {
    static WindowState instance;
    return instance;
}

bool validSize(int width, int height) {
    return width > 0 && height > 0 && width <= kLargestSide && height <= kLargestSide;
}

platform::WindowStyle windowedStyle() {
    return settings().scrResizable.flag ? platform::kWindowResizable : platform::kWindowNormal;
}

platform::WindowStyle fullScreenStyle() {
    return state().desktop ? platform::kWindowDesktop : platform::kWindowPopup;
}

// What the platform says the drawing area is now; a size message may follow or not.
void readClientSize() {
    WindowState& s = state();
    int width = 0, height = 0;
    if (platform::windowClientSize(s.window, &width, &height) && validSize(width, height)) {
        s.width = width;
        s.height = height;
    }
}

void becomeWindow() {
    WindowState& s = state();
    s.fullScreen = false;
    platform::setWindowStyle(s.window, windowedStyle(), 0, 0, s.windowedWidth, s.windowedHeight);
}

}  // namespace

platform::Window* createGameWindow() {
    WindowState& s = state();
    Settings& settings = arvel::settings();
    int width = settings.scrWidth.integer();
    int height = settings.scrHeight.integer();
    if ((width != 0 || height != 0) && !validSize(width, height)) {
        WarningBox("scr_width x scr_height of %d x %d is no window size; using %s\n", width, height,
                   settings.scrFullscreen.flag ? "the desktop's size" : "640 x 480");
        width = height = 0;
    }
    s.desktop = width == 0;
    platform::DisplayMode desktop;
    if (s.desktop && platform::desktopDisplayMode(&desktop) &&
        validSize(desktop.width, desktop.height)) {
        s.modeWidth = desktop.width;
        s.modeHeight = desktop.height;
    } else if (!s.desktop) {
        s.modeWidth = width;
        s.modeHeight = height;
    }
    if (!s.desktop) {
        s.windowedWidth = width;
        s.windowedHeight = height;
    }
    s.fullScreen = settings.scrFullscreen.flag;
    s.width = s.fullScreen ? s.modeWidth : s.windowedWidth;
    s.height = s.fullScreen ? s.modeHeight : s.windowedHeight;
    s.window =
        platform::createWindow("Arvel", "Arvel", s.fullScreen ? fullScreenStyle() : windowedStyle(),
                               0, 0, s.width, s.height);
    if (!s.window) return nullptr;
    readClientSize();
    s.frameWidth = s.width;
    s.frameHeight = s.height;
    return s.window;
}

bool setGameDisplayMode() {
    const WindowState& s = state();
    if (!s.fullScreen || s.desktop) return true;
    const Settings& settings = arvel::settings();
    return gDriver.dSetResolution(s.modeWidth, s.modeHeight, settings.scrBpp.integer(),
                                  settings.scrFreq.integer());
}

void noteWindowSize(intptr_t lParam) {
    const int width = static_cast<int>(lParam & 0xFFFF);
    const int height = static_cast<int>((lParam >> 16) & 0xFFFF);
    if (!validSize(width, height)) return;
    state().width = width;
    state().height = height;
}

void toggleFullScreen() {
    WindowState& s = state();
    if (!s.window) return;
    if (s.fullScreen) {
        if (!s.desktop) gDriver.dRestoreResolution();
        becomeWindow();
    } else {
        // Back from full screen the window has the size it has now.
        s.windowedWidth = s.width;
        s.windowedHeight = s.height;
        s.fullScreen = true;
        platform::setWindowStyle(s.window, fullScreenStyle(), 0, 0, s.modeWidth, s.modeHeight);
        if (!setGameDisplayMode()) {
            RunTimeMessage("Full screen at %d x %d is not available; the game stays in a window\n",
                           s.modeWidth, s.modeHeight);
            becomeWindow();
        }
    }
    readClientSize();
}

int frameWidth() { return state().frameWidth; }
int frameHeight() { return state().frameHeight; }

bool takeNewFrameSize(int& width, int& height) {
    WindowState& s = state();
    if (s.width == s.frameWidth && s.height == s.frameHeight) return false;
    s.frameWidth = width = s.width;
    s.frameHeight = height = s.height;
    return true;
}

}  // namespace arvel
