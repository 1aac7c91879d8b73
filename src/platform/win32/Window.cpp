// Window classes, windows, the message loop and the cursor. A class registered here
// carries one window procedure of the engine; a single system procedure forwards every
// message of the class to it.
#include "platform/win32/Backend.h"

#include <map>
#include <mutex>

namespace arvel::platform {
namespace {

std::mutex classesMutex;
std::map<ATOM, WindowProc> classes;

WindowProc procedureOf(HWND hwnd) {
    const ATOM atom = static_cast<ATOM>(GetClassLongPtrA(hwnd, GCW_ATOM));
    std::lock_guard lock(classesMutex);
    const auto found = classes.find(atom);
    return found == classes.end() ? nullptr : found->second;
}

LRESULT CALLBACK forward(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowProc procedure = procedureOf(hwnd);
    if (procedure == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    return procedure(win32::window(hwnd), message, wParam, lParam);
}

MSG toSystem(const Message& message) {
    MSG msg{};
    msg.hwnd = win32::handle(message.window);
    msg.message = message.message;
    msg.wParam = message.wParam;
    msg.lParam = message.lParam;
    msg.time = static_cast<DWORD>(GetMessageTime());
    const DWORD position = GetMessagePos();
    msg.pt.x = static_cast<short>(LOWORD(position));
    msg.pt.y = static_cast<short>(HIWORD(position));
    return msg;
}

}  // namespace

bool initialise() {
    static const bool ready = [] {
        // Sizes are pixels: without this a scaled desktop stretches the window and the
        // frame read back no longer matches what was drawn.
        using SetAware = BOOL(WINAPI*)();
        if (HMODULE user = GetModuleHandleA("user32.dll"))
            if (auto setAware = reinterpret_cast<SetAware>(
                    reinterpret_cast<void*>(GetProcAddress(user, "SetProcessDPIAware"))))
                setAware();
        return true;
    }();
    return ready;
}

bool registerClass(const char* className, WindowProc procedure) {
    if (className == nullptr || procedure == nullptr) return false;
    initialise();
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    wc.lpfnWndProc = forward;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOWFRAME + 1));
    wc.lpszClassName = className;
    const ATOM atom = RegisterClassA(&wc);
    if (atom == 0) return false;
    std::lock_guard lock(classesMutex);
    classes[atom] = procedure;
    return true;
}

namespace {

DWORD styleFlags(WindowStyle style) {
    switch (style) {
        case kWindowNormal:
            return WS_OVERLAPPEDWINDOW & ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
        case kWindowResizable:
            return WS_OVERLAPPEDWINDOW;
        default:
            return WS_POPUP;
    }
}

// The outer rectangle of a window of that style whose drawing area is width x height at
// (x, y); the desktop style covers the primary display.
RECT outerRect(WindowStyle style, DWORD flags, int x, int y, int width, int height) {
    if (style == kWindowDesktop)
        return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT frame{0, 0, width > 0 ? width : 1, height > 0 ? height : 1};
    // The size asked for is the drawing area's; a frame comes on top.
    if (style == kWindowNormal || style == kWindowResizable) AdjustWindowRect(&frame, flags, FALSE);
    return RECT{x, y, x + frame.right - frame.left, y + frame.bottom - frame.top};
}

}  // namespace

Window* createWindow(const char* className, const char* title, WindowStyle style, int x, int y,
                     int width, int height) {
    if (className == nullptr) return nullptr;
    const DWORD flags = styleFlags(style);
    const RECT outer = outerRect(style, flags, x, y, width, height);
    HWND hwnd = CreateWindowExA(0, className, title != nullptr ? title : "", flags, outer.left,
                                outer.top, outer.right - outer.left, outer.bottom - outer.top,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return win32::window(hwnd);
}

bool setWindowStyle(Window* window, WindowStyle style, int x, int y, int width, int height) {
    HWND hwnd = win32::handle(window);
    if (hwnd == nullptr || !IsWindow(hwnd)) return false;
    const DWORD flags = styleFlags(style);
    const LONG_PTR visible = GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE;
    SetWindowLongPtrA(hwnd, GWL_STYLE, static_cast<LONG_PTR>(flags) | visible);
    const RECT outer = outerRect(style, flags, x, y, width, height);
    // A maximised window would keep its maximised place; the new one is its own.
    if (IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    // The frame is recomputed and the procedure hears the new size as WM_SIZE.
    return SetWindowPos(hwnd, HWND_TOP, outer.left, outer.top, outer.right - outer.left,
                        outer.bottom - outer.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW) != 0;
}

bool windowClientSize(Window* window, int* width, int* height) {
    RECT client{};
    HWND hwnd = win32::handle(window);
    if (hwnd == nullptr || !GetClientRect(hwnd, &client)) return false;
    if (width) *width = client.right - client.left;
    if (height) *height = client.bottom - client.top;
    return client.right > client.left && client.bottom > client.top;
}

void showWindow(Window* window) {
    HWND hwnd = win32::handle(window);
    if (hwnd == nullptr) return;
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
}

void updateWindow(Window* window) {
    if (window != nullptr) UpdateWindow(win32::handle(window));
}

void destroyWindow(Window* window) {
    if (window != nullptr) DestroyWindow(win32::handle(window));
}

intptr_t defWindowProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    return DefWindowProcA(win32::handle(window), message, wParam, lParam);
}

bool peekMessage() {
    MSG msg;
    return PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

int getMessage(Message* message) {
    MSG msg{};
    const BOOL result = GetMessageA(&msg, nullptr, 0, 0);
    if (result == -1) msg = MSG{};  // only for a bad window filter, which is never passed
    if (message != nullptr) {
        message->window = win32::window(msg.hwnd);
        message->message = msg.message;
        message->wParam = msg.wParam;
        message->lParam = msg.lParam;
    }
    return result == 0 ? 0 : 1;
}

void translateMessage(const Message* message) {
    if (message == nullptr) return;
    const MSG msg = toSystem(*message);
    TranslateMessage(&msg);
}

intptr_t dispatchMessage(const Message* message) {
    if (message == nullptr) return 0;
    const MSG msg = toSystem(*message);
    return DispatchMessageA(&msg);
}

void postMessage(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    // Without a window the message goes to the calling thread's queue.
    PostMessageA(win32::handle(window), message, wParam, lParam);
}

void postQuitMessage(int exitCode) { PostQuitMessage(exitCode); }

void setCursorVisible(bool visible) {
    SetCursor(visible ? LoadCursorA(nullptr, IDC_ARROW) : nullptr);
}

}  // namespace arvel::platform
