// Keyboard state by virtual-key code and the buffered relative mouse.
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>

#include <cstring>
#include <deque>
#include <mutex>

namespace arvel::platform {
namespace sdl {
namespace {

std::mutex mouseMutex;
std::deque<MouseEvent> mouseQueue;
// Past this, new events are dropped until someone reads, as a device buffer overflows.
constexpr size_t kMouseQueueLimit = 4096;

void pushMouse(MouseEvent::Kind kind, int value, int button) {
    std::lock_guard lock(mouseMutex);
    if (mouseQueue.size() >= kMouseQueueLimit) return;
    MouseEvent event{kind, value};
    event.button = button;
    mouseQueue.push_back(event);
}

int mouseButtonIndex(Uint8 button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 0;
        case SDL_BUTTON_RIGHT:
            return 1;
        case SDL_BUTTON_MIDDLE:
            return 2;
        case SDL_BUTTON_X1:
            return 3;
        case SDL_BUTTON_X2:
            return 4;
        default:
            return -1;
    }
}

}  // namespace

int virtualKeyFromScancode(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return 0x70 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return 0x61 + (scancode - SDL_SCANCODE_KP_1);
    switch (scancode) {
        case SDL_SCANCODE_0:
            return '0';
        case SDL_SCANCODE_KP_0:
            return 0x60;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            return kVkReturn;
        case SDL_SCANCODE_ESCAPE:
            return kVkEscape;
        case SDL_SCANCODE_BACKSPACE:
            return kVkBack;
        case SDL_SCANCODE_TAB:
            return kVkTab;
        case SDL_SCANCODE_SPACE:
            return kVkSpace;
        case SDL_SCANCODE_LSHIFT:
        case SDL_SCANCODE_RSHIFT:
            return kVkShift;
        case SDL_SCANCODE_LCTRL:
        case SDL_SCANCODE_RCTRL:
            return kVkControl;
        case SDL_SCANCODE_LALT:
        case SDL_SCANCODE_RALT:
            return kVkMenu;
        case SDL_SCANCODE_PAUSE:
            return 0x13;
        case SDL_SCANCODE_CAPSLOCK:
            return 0x14;
        case SDL_SCANCODE_PAGEUP:
            return 0x21;
        case SDL_SCANCODE_PAGEDOWN:
            return 0x22;
        case SDL_SCANCODE_END:
            return 0x23;
        case SDL_SCANCODE_HOME:
            return 0x24;
        case SDL_SCANCODE_LEFT:
            return kVkLeft;
        case SDL_SCANCODE_UP:
            return kVkUp;
        case SDL_SCANCODE_RIGHT:
            return kVkRight;
        case SDL_SCANCODE_DOWN:
            return kVkDown;
        case SDL_SCANCODE_PRINTSCREEN:
            return 0x2C;
        case SDL_SCANCODE_INSERT:
            return 0x2D;
        case SDL_SCANCODE_DELETE:
            return 0x2E;
        case SDL_SCANCODE_KP_MULTIPLY:
            return 0x6A;
        case SDL_SCANCODE_KP_PLUS:
            return 0x6B;
        case SDL_SCANCODE_KP_MINUS:
            return 0x6D;
        case SDL_SCANCODE_KP_PERIOD:
            return 0x6E;
        case SDL_SCANCODE_KP_DIVIDE:
            return 0x6F;
        case SDL_SCANCODE_NUMLOCKCLEAR:
            return 0x90;
        case SDL_SCANCODE_SCROLLLOCK:
            return 0x91;
        case SDL_SCANCODE_SEMICOLON:
            return 0xBA;
        case SDL_SCANCODE_EQUALS:
            return 0xBB;
        case SDL_SCANCODE_COMMA:
            return 0xBC;
        case SDL_SCANCODE_MINUS:
            return 0xBD;
        case SDL_SCANCODE_PERIOD:
            return 0xBE;
        case SDL_SCANCODE_SLASH:
            return 0xBF;
        case SDL_SCANCODE_GRAVE:
            return 0xC0;
        case SDL_SCANCODE_LEFTBRACKET:
            return 0xDB;
        case SDL_SCANCODE_BACKSLASH:
            return 0xDC;
        case SDL_SCANCODE_RIGHTBRACKET:
            return 0xDD;
        case SDL_SCANCODE_APOSTROPHE:
            return 0xDE;
        default:
            return 0;
    }
}

bool captureMouseEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (event.motion.xrel != 0) pushMouse(MouseEvent::kMotionX, event.motion.xrel, 0);
            if (event.motion.yrel != 0) pushMouse(MouseEvent::kMotionY, event.motion.yrel, 0);
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            const int button = mouseButtonIndex(event.button.button);
            if (button >= 0)
                pushMouse(MouseEvent::kButton, event.type == SDL_MOUSEBUTTONDOWN ? 1 : 0, button);
            return true;
        }
        case SDL_MOUSEWHEEL: {
            // Wheel steps in the units the system mouse reports them (120 a notch).
            const int steps =
                event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            if (steps != 0) pushMouse(MouseEvent::kWheel, steps * 120, 0);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace sdl

void getKeyboardState(uint8_t state[256]) {
    if (state == nullptr) return;
    std::memset(state, 0, 256);
    if (!sdl::videoReady()) return;
    SDL_PumpEvents();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 0; scancode < count; ++scancode) {
        if (keys[scancode] == 0) continue;
        const int key = sdl::virtualKeyFromScancode(scancode);
        if (key != 0) state[key] |= 0x80;
        // The sided codes of the modifiers, as the system keeps them too.
        switch (scancode) {
            case SDL_SCANCODE_LSHIFT:
                state[0xA0] |= 0x80;
                break;
            case SDL_SCANCODE_RSHIFT:
                state[0xA1] |= 0x80;
                break;
            case SDL_SCANCODE_LCTRL:
                state[0xA2] |= 0x80;
                break;
            case SDL_SCANCODE_RCTRL:
                state[0xA3] |= 0x80;
                break;
            case SDL_SCANCODE_LALT:
                state[0xA4] |= 0x80;
                break;
            case SDL_SCANCODE_RALT:
                state[0xA5] |= 0x80;
                break;
            default:
                break;
        }
    }
    const Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    if (buttons & SDL_BUTTON(SDL_BUTTON_LEFT)) state[kVkLButton] |= 0x80;
    if (buttons & SDL_BUTTON(SDL_BUTTON_RIGHT)) state[kVkRButton] |= 0x80;
    if (buttons & SDL_BUTTON(SDL_BUTTON_MIDDLE)) state[kVkMButton] |= 0x80;
}

bool setRelativeMouse(Window* window, bool on) {
    if (!sdl::videoReady()) return false;
    if (on && window != nullptr && window->sdl != nullptr && SDL_GetMouseFocus() != window->sdl) {
        // Relative mode follows the window under the pointer; bring the pointer home.
        SDL_WarpMouseInWindow(window->sdl, window->width / 2, window->height / 2);
    }
    return SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) == 0;
}

int readMouseEvents(MouseEvent* events, int capacity) {
    if (events == nullptr || capacity <= 0) return 0;
    sdl::pumpEvents();
    std::lock_guard lock(sdl::mouseMutex);
    int count = 0;
    while (count < capacity && !sdl::mouseQueue.empty()) {
        events[count++] = sdl::mouseQueue.front();
        sdl::mouseQueue.pop_front();
    }
    return count;
}

}  // namespace arvel::platform
