// OpenGL contexts through WGL. The window class keeps its own device context
// (CS_OWNDC), so the context made on it stays valid for the window's life.
#include "platform/win32/Backend.h"

#include <GL/gl.h>
#include <GL/wglext.h>

#include <cstring>
#include <string>

namespace arvel::platform {
namespace {

PIXELFORMATDESCRIPTOR describe(const PixelFormat& format) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(format.colourBits > 0 ? format.colourBits : 32);
    pfd.cRedBits = pfd.cGreenBits = pfd.cBlueBits = pfd.cAlphaBits = 8;
    pfd.cDepthBits = static_cast<BYTE>(format.depthBits > 0 ? format.depthBits : 0);
    pfd.cStencilBits = static_cast<BYTE>(format.stencilBits > 0 ? format.stencilBits : 0);
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

// wglGetProcAddress knows only what lies beyond OpenGL 1.1, and some drivers answer
// small numbers instead of null for names they lack.
bool validProc(PROC proc) {
    const auto value = reinterpret_cast<intptr_t>(proc);
    return value != 0 && value != 1 && value != 2 && value != 3 && value != -1;
}

// A context made current for the life of the object, on a throwaway window: the
// window's own pixel format is fixed once set, and wglChoosePixelFormatARB exists only
// while some context is current.
class TemporaryContext {
public:
    explicit TemporaryContext(const PixelFormat& format) {
        window_ = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        dc_ = window_ ? GetDC(window_) : nullptr;
        if (dc_ == nullptr) return;
        const PIXELFORMATDESCRIPTOR pfd = describe(format);
        const int chosen = ChoosePixelFormat(dc_, &pfd);
        if (chosen == 0 || !SetPixelFormat(dc_, chosen, &pfd)) return;
        context_ = wglCreateContext(dc_);
        if (context_ && !wglMakeCurrent(dc_, context_)) {
            wglDeleteContext(context_);
            context_ = nullptr;
        }
    }
    ~TemporaryContext() {
        if (context_) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(context_);
        }
        if (dc_) ReleaseDC(window_, dc_);
        if (window_) DestroyWindow(window_);
    }
    TemporaryContext(const TemporaryContext&) = delete;
    TemporaryContext& operator=(const TemporaryContext&) = delete;
    bool current() const { return context_ != nullptr; }

private:
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    HGLRC context_ = nullptr;
};

// An entry point of the current context; null when it has none.
template <typename Function>
Function wglFunction(const char* name) {
    const PROC proc = wglGetProcAddress(name);
    return validProc(proc) ? reinterpret_cast<Function>(reinterpret_cast<void*>(proc)) : nullptr;
}

bool wglExtension(HDC dc, const char* name) {
    auto get = wglFunction<const char*(WINAPI*)(HDC)>("wglGetExtensionsStringARB");
    const char* names = get ? get(dc) : nullptr;
    const size_t length = std::strlen(name);
    for (const char* at = names ? std::strstr(names, name) : nullptr; at;
         at = std::strstr(at + 1, name))
        if ((at == names || at[-1] == ' ') && (at[length] == ' ' || at[length] == '\0'))
            return true;
    return false;
}

// A multisampled pixel format of dc with at least format.samples samples; 0 when the
// driver has none (or no WGL_ARB_pixel_format and WGL_ARB_multisample to ask with).
int chooseMultisampleFormat(HDC dc, const PixelFormat& format) {
    TemporaryContext temporary(format);
    if (!temporary.current() || !wglExtension(dc, "WGL_ARB_pixel_format") ||
        !wglExtension(dc, "WGL_ARB_multisample"))
        return 0;
    auto choose = wglFunction<PFNWGLCHOOSEPIXELFORMATARBPROC>("wglChoosePixelFormatARB");
    if (!choose) return 0;
    const int depth = format.depthBits > 0 ? format.depthBits : 0;
    const int stencil = format.stencilBits > 0 ? format.stencilBits : 0;
    // clang-format off
    const int attributes[] = {
        WGL_DRAW_TO_WINDOW_ARB, TRUE, WGL_SUPPORT_OPENGL_ARB, TRUE, WGL_DOUBLE_BUFFER_ARB, TRUE,
        WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_ARB,
        WGL_RED_BITS_ARB, 8, WGL_GREEN_BITS_ARB, 8, WGL_BLUE_BITS_ARB, 8, WGL_ALPHA_BITS_ARB, 8,
        WGL_DEPTH_BITS_ARB, depth, WGL_STENCIL_BITS_ARB, stencil,
        WGL_SAMPLE_BUFFERS_ARB, 1, WGL_SAMPLES_ARB, format.samples,
        0};
    // clang-format on
    int chosen = 0;
    UINT count = 0;
    if (!choose(dc, attributes, nullptr, 1, &chosen, &count) || count == 0) return 0;
    return chosen;
}

}  // namespace

GLContext* createGLContext(Window* window, const PixelFormat& format) {
    HWND hwnd = win32::handle(window);
    if (hwnd == nullptr) return nullptr;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr) return nullptr;
    const PIXELFORMATDESCRIPTOR pfd = describe(format);
    // A window keeps the first pixel format set on it; a later context shares it.
    if (GetPixelFormat(dc) == 0) {
        const int chosen =
            format.samples > 0 ? chooseMultisampleFormat(dc, format) : ChoosePixelFormat(dc, &pfd);
        if (chosen == 0 || !SetPixelFormat(dc, chosen, &pfd)) return nullptr;
    }
    HGLRC context = wglCreateContext(dc);
    if (context == nullptr) return nullptr;
    if (!wglMakeCurrent(dc, context)) {
        wglDeleteContext(context);
        return nullptr;
    }
    return reinterpret_cast<GLContext*>(context);
}

bool makeCurrent(Window* window, GLContext* context) {
    if (context == nullptr) return wglMakeCurrent(nullptr, nullptr) != 0;
    HWND hwnd = win32::handle(window);
    if (hwnd == nullptr) return false;
    return wglMakeCurrent(GetDC(hwnd), reinterpret_cast<HGLRC>(context)) != 0;
}

void deleteGLContext(GLContext* context) {
    if (context == nullptr) return;
    HGLRC handle = reinterpret_cast<HGLRC>(context);
    if (wglGetCurrentContext() == handle) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(handle);
}

void swapBuffers(Window* window) {
    HWND hwnd = win32::handle(window);
    if (hwnd != nullptr) SwapBuffers(GetDC(hwnd));
}

void* glProcAddress(const char* name) {
    if (name == nullptr || *name == '\0') return nullptr;
    PROC proc = wglGetProcAddress(name);
    if (validProc(proc)) return reinterpret_cast<void*>(proc);
    static HMODULE opengl = LoadLibraryA("opengl32.dll");
    if (opengl == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(opengl, name));
}

const char* windowSystemExtensions() {
    static std::string names;
    names.clear();
    HDC dc = wglGetCurrentDC();
    if (dc == nullptr) return "";
    using GetStringARB = const char*(WINAPI*)(HDC);
    using GetStringEXT = const char*(WINAPI*)();
    const char* found = nullptr;
    if (auto arb = reinterpret_cast<GetStringARB>(glProcAddress("wglGetExtensionsStringARB")))
        found = arb(dc);
    else if (auto ext = reinterpret_cast<GetStringEXT>(glProcAddress("wglGetExtensionsStringEXT")))
        found = ext();
    if (found != nullptr) names = found;
    return names.c_str();
}

}  // namespace arvel::platform
