// Display modes of the primary display, and full screen on the GL window.
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>

namespace arvel::platform {
namespace {

DisplayMode fromSdl(const SDL_DisplayMode& mode) {
    DisplayMode result;
    result.width = mode.w;
    result.height = mode.h;
    result.bits = int(SDL_BITSPERPIXEL(mode.format));
    result.frequency = mode.refresh_rate;
    return result;
}

SDL_Window* fullScreenWindow() {
    // The context may have been made by another copy of this backend; SDL knows it.
    if (SDL_Window* current = SDL_GL_GetCurrentWindow()) return current;
    return sdl::glWindowId != 0 ? SDL_GetWindowFromID(sdl::glWindowId) : nullptr;
}

}  // namespace

bool enumDisplayMode(int index, DisplayMode* mode) {
    if (index < 0 || mode == nullptr || !initialise()) return false;
    if (index >= SDL_GetNumDisplayModes(0)) return false;
    SDL_DisplayMode found{};
    if (SDL_GetDisplayMode(0, index, &found) != 0) return false;
    *mode = fromSdl(found);
    return true;
}

bool desktopDisplayMode(DisplayMode* mode) {
    if (mode == nullptr || !initialise()) return false;
    SDL_DisplayMode found{};
    if (SDL_GetDesktopDisplayMode(0, &found) != 0) return false;
    *mode = fromSdl(found);
    return true;
}

bool testDisplayMode(const DisplayMode& mode) {
    DisplayMode candidate;
    for (int index = 0; enumDisplayMode(index, &candidate); ++index) {
        if (candidate.width != mode.width || candidate.height != mode.height ||
            candidate.bits != mode.bits)
            continue;
        // Frequency 0 means the display's default.
        if (mode.frequency == 0 || candidate.frequency == 0 ||
            candidate.frequency == mode.frequency)
            return true;
    }
    return false;
}

bool changeDisplayMode(const DisplayMode& mode) {
    if (!sdl::videoReady()) return false;
    SDL_Window* window = fullScreenWindow();
    if (window == nullptr || mode.width <= 0 || mode.height <= 0) return false;
    SDL_DisplayMode wanted{};
    wanted.w = mode.width;
    wanted.h = mode.height;
    wanted.refresh_rate = mode.frequency;
    SDL_DisplayMode current{};
    const bool already = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0 &&
                         SDL_GetWindowDisplayMode(window, &current) == 0 && current.w == wanted.w &&
                         current.h == wanted.h &&
                         (wanted.refresh_rate == 0 || current.refresh_rate == wanted.refresh_rate);
    // Each activation asks again; switching anew would bounce focus and activation.
    if (already) return true;
    if (SDL_SetWindowDisplayMode(window, &wanted) != 0) return false;
    return SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0;
}

bool restoreDisplayMode() {
    if (!sdl::videoReady()) return true;
    SDL_Window* window = fullScreenWindow();
    if (window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) == 0) return true;
    return SDL_SetWindowFullscreen(window, 0) == 0;
}

}  // namespace arvel::platform
