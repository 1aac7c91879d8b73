// OpenGL contexts through WGL. The window class keeps its own device context
// (CS_OWNDC), so the context made on it stays valid for the window's life.
#include "platform/win32/Backend.h"

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

}  // namespace

GLContext* createGLContext(Window* window, const PixelFormat& format) {
    HWND hwnd = win32::handle(window);
    if (hwnd == nullptr) return nullptr;
    HDC dc = GetDC(hwnd);
    if (dc == nullptr) return nullptr;
    const PIXELFORMATDESCRIPTOR pfd = describe(format);
    // A window keeps the first pixel format set on it; a later context shares it.
    if (GetPixelFormat(dc) == 0) {
        const int chosen = ChoosePixelFormat(dc, &pfd);
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
