// Window classes and windows. A class is only a name for its window procedure; the
// procedure is copied into each Window so that any copy of the backend can reach it.
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>

#include <map>
#include <string>

namespace arvel::platform {
namespace {

std::map<std::string, WindowProc> classes;

}  // namespace

namespace sdl {

bool createSdlWindow(Window* window, bool opengl) {
    Uint32 flags = window->visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
    if (window->style == kWindowPopup) flags |= SDL_WINDOW_BORDERLESS;
    if (window->style == kWindowResizable) flags |= SDL_WINDOW_RESIZABLE;
    if (window->style == kWindowDesktop) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (opengl) flags |= SDL_WINDOW_OPENGL;
    SDL_Window* made = SDL_CreateWindow(window->title.c_str(), window->x, window->y, window->width,
                                        window->height, flags);
    if (made == nullptr) return false;
    if (window->sdl != nullptr) SDL_DestroyWindow(window->sdl);
    window->sdl = made;
    window->opengl = opengl;
    SDL_SetWindowData(made, kWindowDataKey, window);
    // Typed characters for the console, whatever the keyboard layout.
    SDL_StartTextInput();
    if (window->visible) {
        SDL_RaiseWindow(made);
        SDL_SetWindowInputFocus(made);
    }
    return true;
}

}  // namespace sdl

bool registerClass(const char* className, WindowProc procedure) {
    if (className == nullptr || procedure == nullptr) return false;
    // Registering a name twice fails, as it does on Win32.
    return classes.emplace(className, procedure).second;
}

Window* createWindow(const char* className, const char* title, WindowStyle style, int x, int y,
                     int width, int height) {
    if (className == nullptr) return nullptr;
    const auto found = classes.find(className);
    if (found == classes.end() || !initialise()) return nullptr;
    auto* window = new Window;
    window->procedure = found->second;
    window->title = title != nullptr ? title : "";
    window->style = style;
    window->x = x;
    window->y = y;
    window->width = width > 0 ? width : 1;
    window->height = height > 0 ? height : 1;
    if (!sdl::createSdlWindow(window, false)) {
        delete window;
        return nullptr;
    }
    sdl::registerLiveWindow(window);
    // Sent, not posted: the procedure sees its window before createWindow returns, and
    // may refuse it.
    if (window->procedure(window, kMsgCreate, 0, 0) == -1) {
        destroyWindow(window);
        return nullptr;
    }
    return window;
}

bool setWindowStyle(Window* window, WindowStyle style, int x, int y, int width, int height) {
    if (window == nullptr || !sdl::windowAlive(window) || window->sdl == nullptr) return false;
    SDL_Window* made = window->sdl;
    window->style = style;
    if (style == kWindowDesktop)
        return SDL_SetWindowFullscreen(made, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    // Out of full screen first: SDL keeps the windowed size and place apart from it.
    if ((SDL_GetWindowFlags(made) & SDL_WINDOW_FULLSCREEN) != 0 &&
        SDL_SetWindowFullscreen(made, 0) != 0)
        return false;
    // A maximised window keeps its maximised size; the new one has its own.
    if ((SDL_GetWindowFlags(made) & SDL_WINDOW_MAXIMIZED) != 0) SDL_RestoreWindow(made);
    SDL_SetWindowBordered(made, style == kWindowPopup ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowResizable(made, style == kWindowResizable ? SDL_TRUE : SDL_FALSE);
    window->x = x;
    window->y = y;
    window->width = width > 0 ? width : 1;
    window->height = height > 0 ? height : 1;
    SDL_SetWindowSize(made, window->width, window->height);
    SDL_SetWindowPosition(made, x, y);
    return true;
}

bool windowClientSize(Window* window, int* width, int* height) {
    if (window == nullptr || !sdl::windowAlive(window) || window->sdl == nullptr) return false;
    int w = 0, h = 0;
    SDL_GetWindowSize(window->sdl, &w, &h);
    if (width) *width = w;
    if (height) *height = h;
    return w > 0 && h > 0;
}

void showWindow(Window* window) {
    if (window == nullptr || window->sdl == nullptr) return;
    window->visible = true;
    SDL_ShowWindow(window->sdl);
    SDL_RaiseWindow(window->sdl);
    // Without a window manager nobody gives the new window the keyboard.
    SDL_SetWindowInputFocus(window->sdl);
    sdl::setActivation(window, true);
}

void updateWindow(Window*) {}

void destroyWindow(Window* window) {
    if (window == nullptr || !sdl::windowAlive(window)) return;
    if (window->procedure != nullptr) window->procedure(window, kMsgDestroy, 0, 0);
    sdl::unregisterLiveWindow(window);
    sdl::forgetWindowMessages(window);
    if (window->sdl != nullptr) {
        SDL_SetWindowData(window->sdl, sdl::kWindowDataKey, nullptr);
        SDL_DestroyWindow(window->sdl);
    }
    delete window;
}

intptr_t defWindowProc(Window* window, unsigned message, uintptr_t, intptr_t) {
    if (message == kMsgClose) destroyWindow(window);
    return 0;
}

void setCursorVisible(bool visible) {
    if (!sdl::videoReady()) return;
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace arvel::platform
