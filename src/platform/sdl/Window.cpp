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
