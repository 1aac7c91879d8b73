// The message loop: one FIFO of posted messages, fed also with the SDL events that mean
// something to a window procedure. The queue works without a display, so a fatal error
// before any window exists can still post its close.
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace arvel::platform {
namespace sdl {
namespace {

std::mutex queueMutex;
std::condition_variable queueFilled;
std::deque<Message> queue;
std::vector<Window*> liveWindows;

void post(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    {
        std::lock_guard lock(queueMutex);
        queue.push_back(Message{window, message, wParam, lParam});
    }
    queueFilled.notify_all();
}

intptr_t packSize(int width, int height) {
    return intptr_t((uint32_t(height) & 0xFFFFu) << 16 | (uint32_t(width) & 0xFFFFu));
}

void translateWindowEvent(const SDL_WindowEvent& event) {
    Window* window = windowFromId(event.windowID);
    if (window == nullptr) return;
    switch (event.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            setActivation(window, true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            setActivation(window, false);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            post(window, kMsgClose, 0, 0);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            window->width = event.data1;
            window->height = event.data2;
            post(window, kMsgSize, 0, packSize(event.data1, event.data2));
            break;
        case SDL_WINDOWEVENT_MOVED:
            window->x = event.data1;
            window->y = event.data2;
            break;
        default:
            break;
    }
}

void translateKey(const SDL_KeyboardEvent& event) {
    Window* window = windowFromId(event.windowID);
    if (window == nullptr) window = firstLiveWindow();
    const int key = virtualKeyFromScancode(event.keysym.scancode);
    if (key == 0) return;
    // Repeat count 1, the scan code, and bit 30 for a key that was already down.
    intptr_t lParam = 1 | intptr_t(event.keysym.scancode & 0xFF) << 16;
    if (event.repeat) lParam |= intptr_t(1) << 30;
    // With Alt held (not as AltGr, which is Ctrl + Alt) a key is a system key, bit 29
    // set, as Alt+Enter is on Win32.
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0 && (event.keysym.mod & KMOD_CTRL) == 0;
    if (alt) lParam |= intptr_t(1) << 29;
    post(window, alt ? kMsgSysKeyDown : kMsgKeyDown, uintptr_t(key), lParam);
}

// Typed text as the system's character messages: one per printable ASCII byte.
void translateText(const SDL_TextInputEvent& event) {
    Window* window = windowFromId(event.windowID);
    if (window == nullptr) window = firstLiveWindow();
    for (const char* c = event.text; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte >= 0x20 && byte < 0x7F) post(window, kMsgChar, byte, 1);
    }
}

void translate(const SDL_Event& event) {
    if (captureMouseEvent(event)) return;
    switch (event.type) {
        case SDL_WINDOWEVENT:
            translateWindowEvent(event.window);
            break;
        case SDL_KEYDOWN:
            translateKey(event.key);
            break;
        case SDL_TEXTINPUT:
            translateText(event.text);
            break;
        case SDL_QUIT: {
            // An interrupt or terminate signal: close the program the way the user would.
            Window* window = firstLiveWindow();
            if (window != nullptr) {
                post(window, kMsgClose, 0, 0);
            } else {
                post(nullptr, kMsgQuit, 0, 0);
            }
            break;
        }
        default:
            break;  // nothing a window procedure hears about
    }
}

bool takeFront(Message* message) {
    std::lock_guard lock(queueMutex);
    if (queue.empty()) return false;
    if (message != nullptr) *message = queue.front();
    queue.pop_front();
    return true;
}

}  // namespace

void setActivation(Window* window, bool on) {
    // The window manager (or its absence) may report a focus change we already
    // announced, e.g. after showWindow; the procedure hears each change once.
    if (window->active == on) return;
    window->active = on;
    post(window, kMsgActivate, on ? 1 : 0, 0);
}

void pumpEvents() {
    if (!videoReady()) return;
    SDL_PumpEvents();
    SDL_Event events[64];
    for (;;) {
        const int count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (count <= 0) break;
        for (int i = 0; i < count; ++i) translate(events[i]);
    }
}

void forgetWindowMessages(Window* window) {
    std::lock_guard lock(queueMutex);
    std::erase_if(queue, [window](const Message& m) { return m.window == window; });
}

bool windowAlive(const Window* window) {
    std::lock_guard lock(queueMutex);
    return std::find(liveWindows.begin(), liveWindows.end(), window) != liveWindows.end();
}

void registerLiveWindow(Window* window) {
    std::lock_guard lock(queueMutex);
    liveWindows.push_back(window);
}

void unregisterLiveWindow(Window* window) {
    std::lock_guard lock(queueMutex);
    std::erase(liveWindows, window);
}

Window* firstLiveWindow() {
    std::lock_guard lock(queueMutex);
    return liveWindows.empty() ? nullptr : liveWindows.front();
}

Window* windowFromId(unsigned id) {
    SDL_Window* sdlWindow = SDL_GetWindowFromID(id);
    if (sdlWindow == nullptr) return nullptr;
    return static_cast<Window*>(SDL_GetWindowData(sdlWindow, kWindowDataKey));
}

}  // namespace sdl

bool peekMessage() {
    sdl::pumpEvents();
    std::lock_guard lock(sdl::queueMutex);
    return !sdl::queue.empty();
}

int getMessage(Message* message) {
    Message taken;
    for (;;) {
        sdl::pumpEvents();
        if (sdl::takeFront(&taken)) break;
        if (sdl::videoReady()) {
            SDL_WaitEventTimeout(nullptr, 10);
        } else {
            std::unique_lock lock(sdl::queueMutex);
            sdl::queueFilled.wait_for(lock, std::chrono::milliseconds(10),
                                      [] { return !sdl::queue.empty(); });
        }
    }
    if (message != nullptr) *message = taken;
    return taken.message == kMsgQuit ? 0 : 1;
}

void translateMessage(const Message*) {}

intptr_t dispatchMessage(const Message* message) {
    if (message == nullptr || message->window == nullptr) return 0;
    Window* window = message->window;
    if (!sdl::windowAlive(window) || window->procedure == nullptr) return 0;
    return window->procedure(window, message->message, message->wParam, message->lParam);
}

void postMessage(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    sdl::post(window, message, wParam, lParam);
}

void postQuitMessage(int exitCode) { sdl::post(nullptr, kMsgQuit, uintptr_t(exitCode), 0); }

}  // namespace arvel::platform
