// OpenGL contexts on windows. On X11 a window's visual is fixed when it is made, so the
// requested buffer depths are honoured by re-making the SDL window under the same Window.
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <dlfcn.h>

#include <string>

namespace arvel::platform {

struct GLContext {
    SDL_GLContext context = nullptr;
};

namespace sdl {
unsigned glWindowId = 0;
}  // namespace sdl

namespace {

void setAttributes(const PixelFormat& format) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits > 0 ? format.depthBits : 0);
    // Without an explicit request the visual has no stencil buffer at all.
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits > 0 ? format.stencilBits : 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples > 0 ? format.samples : 0);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

}  // namespace

GLContext* createGLContext(Window* window, const PixelFormat& format) {
    if (window == nullptr || window->sdl == nullptr || !initialise()) return nullptr;
    const bool sameVisual = window->opengl && window->depthBits == format.depthBits &&
                            window->stencilBits == format.stencilBits &&
                            window->samples == format.samples;
    if (!sameVisual) {
        setAttributes(format);
        // Fails, keeping the old window, when no visual has that many samples.
        if (!sdl::createSdlWindow(window, true)) return nullptr;
        window->depthBits = format.depthBits;
        window->stencilBits = format.stencilBits;
        window->samples = format.samples;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window->sdl);
    if (context == nullptr) return nullptr;
    if (SDL_GL_MakeCurrent(window->sdl, context) != 0) {
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    sdl::glWindowId = SDL_GetWindowID(window->sdl);
    return new GLContext{context};
}

bool makeCurrent(Window* window, GLContext* context) {
    if (!sdl::videoReady()) return false;
    if (context == nullptr) return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
    if (window == nullptr || window->sdl == nullptr) return false;
    return SDL_GL_MakeCurrent(window->sdl, context->context) == 0;
}

void deleteGLContext(GLContext* context) {
    if (context == nullptr) return;
    if (SDL_GL_GetCurrentContext() == context->context) SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(context->context);
    delete context;
}

void swapBuffers(Window* window) {
    if (window == nullptr || window->sdl == nullptr || !window->opengl) return;
    SDL_GL_SwapWindow(window->sdl);
}

void* glProcAddress(const char* name) {
    if (name == nullptr || !sdl::videoReady()) return nullptr;
    return SDL_GL_GetProcAddress(name);
}

const char* windowSystemExtensions() {
    static std::string names;
    names.clear();
    SDL_Window* current = SDL_GL_GetCurrentWindow();
    if (current == nullptr) current = SDL_GetWindowFromID(sdl::glWindowId);
    if (current == nullptr) return "";
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(current, &info) || info.subsystem != SDL_SYSWM_X11) return "";
    using QueryExtensions = const char* (*)(::Display*, int);
    // libGL is already loaded by SDL for the context; find the entry in it.
    void* gl = dlopen("libGL.so.1", RTLD_NOW | RTLD_NOLOAD);
    if (gl == nullptr) gl = dlopen("libGL.so.1", RTLD_NOW);
    if (gl == nullptr) return "";
    auto query = reinterpret_cast<QueryExtensions>(dlsym(gl, "glXQueryExtensionsString"));
    const char* found = query != nullptr
                            ? query(info.info.x11.display, DefaultScreen(info.info.x11.display))
                            : nullptr;
    if (found != nullptr) names = found;
    dlclose(gl);
    return names.c_str();
}

}  // namespace arvel::platform
