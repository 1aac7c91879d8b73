// The plug-in side of start-up and presentation: identification, display modes, the
// rendering context on the program's window, clearing, swapping and the error box.
#include "varnet/Context.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"
#include "varnet/Extensions.h"
#include "varnet/Profiles.h"

namespace arvel::varnet {

ContextState gContext;
ProfileState gProfiles;

namespace {

constexpr const char* kModule = "newmain";
constexpr int kMaxModes = 1024;

DResolutionList gModes;
platform::DisplayMode gFullScreenMode;

// The pixel format of the first dSetRenderWindow call; later calls reuse it.
platform::PixelFormat gPixelFormat;
bool gPixelFormatChosen = false;
// What dSetMultisample asked for, until the first dSetRenderWindow takes it.
int gRequestedSamples = 0;

GLbitfield gClearMask = 0;

// Where the last failure was reported.
char gErrorFile[256] = "";
int gErrorLine = 0;

bool appendMode(int width, int height, int bits) {
    if (gModes.count >= kMaxModes) return false;
    gModes.width[gModes.count] = width;
    gModes.height[gModes.count] = height;
    gModes.bits[gModes.count] = bits;
    ++gModes.count;
    return true;
}

GLbitfield glClearBits(int mask) {
    GLbitfield bits = 0;
    if (mask & dcode::kClearColour) bits |= GL_COLOR_BUFFER_BIT;
    if (mask & dcode::kClearDepth) bits |= GL_DEPTH_BUFFER_BIT;
    if (mask & dcode::kClearStencil) bits |= GL_STENCIL_BUFFER_BIT;
    return bits;
}

GLint glInteger(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

const char* lastPathComponent(const char* path) {
    const char* last = path;
    for (const char* at = path; *at; ++at)
        if (*at == '/' || *at == '\\') last = at + 1;
    return last;
}

void readLimits() {
    gContext.textureUnits = textureUnitCount(
        gExt.ARB_fragment_program || gExt.NV_fragment_program, gExt.ARB_multitexture,
        gExt.ARB_fragment_program || gExt.NV_fragment_program
            ? glInteger(GL_MAX_TEXTURE_IMAGE_UNITS_ARB)
            : 0,
        gExt.ARB_multitexture ? glInteger(GL_MAX_TEXTURE_UNITS_ARB) : 0);
    gContext.maxCubeMapSize =
        gExt.ARB_texture_cube_map ? glInteger(GL_MAX_CUBE_MAP_TEXTURE_SIZE_ARB) : 0;
    gContext.generalCombiners =
        gExt.NV_register_combiners ? glInteger(GL_MAX_GENERAL_COMBINERS_NV) : 0;
    gContext.maxTextureSize = glInteger(GL_MAX_TEXTURE_SIZE);
    gContext.stencilBits = glInteger(GL_STENCIL_BITS);
    gContext.samples = glInteger(GL_SAMPLE_BUFFERS) > 0 ? glInteger(GL_SAMPLES) : 0;
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    gContext.compressTextures =
        gExt.ARB_texture_compression && compressionPays(renderer, std::getenv("ARVEL_TEXCOMPRESS"));
}

void setPixelStorage() {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
}

// The current drawable's swap interval through whichever extension the window system
// has; false when it has none or refuses the interval.
bool setSwapInterval(int interval) {
    const WindowSystemEntryPoints& ws = gWindowSystem;
    if (ws.wglSwapIntervalEXT)
        return reinterpret_cast<int(APIENTRY*)(int)>(ws.wglSwapIntervalEXT)(interval) != 0;
    if (ws.glXSwapIntervalEXT && ws.glXGetCurrentDisplay && ws.glXGetCurrentDrawable) {
        void* display = reinterpret_cast<void* (*)()>(ws.glXGetCurrentDisplay)();
        const unsigned long drawable =
            reinterpret_cast<unsigned long (*)()>(ws.glXGetCurrentDrawable)();
        if (display && drawable) {
            reinterpret_cast<void (*)(void*, unsigned long, int)>(ws.glXSwapIntervalEXT)(
                display, drawable, interval);
            return true;
        }
    }
    if (ws.glXSwapIntervalMESA)
        return reinterpret_cast<int (*)(unsigned)>(ws.glXSwapIntervalMESA)(
                   static_cast<unsigned>(interval)) == 0;
    return false;
}

void closeContext() {
    if (gContext.context == nullptr) return;
    platform::makeCurrent(nullptr, nullptr);
    platform::deleteGLContext(gContext.context);
    gContext.context = nullptr;
}

}  // namespace

void errorBox(const char* module, int line, const char* format, ...) {
    const char* file = lastPathComponent(module ? module : "");
    std::snprintf(gErrorFile, sizeof gErrorFile, "%s", file);
    gErrorLine = line;

    static char text[65536];
    const int header =
        std::snprintf(text, sizeof text, "Error in file %s at row %d\n\n", gErrorFile, gErrorLine);
    if (header < 0 || static_cast<size_t>(header) >= sizeof text) return;
    va_list arguments;
    va_start(arguments, format);
    const int body = std::vsnprintf(text + header, sizeof text - header, format, arguments);
    va_end(arguments);
    if (body < 0 || static_cast<size_t>(body) >= sizeof text - header) return;
    platform::messageBox(text, "Error", platform::kBoxOk | platform::kBoxIconError);
}

}  // namespace arvel::varnet

namespace arvel {

using namespace varnet;

// Identification and errors

int dIdentifyDriver() { return dcode::kDriverIdentification; }

float dVersionNumber() { return 1.0f; }

int dError() { return glGetError() != GL_NO_ERROR ? 1 : 0; }

void dClearErrors() {
    // Bounded: without a current context some drivers report an error on every call.
    for (int taken = 0; taken < 1024 && glGetError() != GL_NO_ERROR; ++taken) {
    }
}

// Display modes

const DResolutionList* dGetResolutions() {
    static const int kSizes[][2] = {{320, 200}, {320, 240}, {320, 400},
                                    {400, 300}, {512, 384}, {640, 400}};
    static const int kBits[] = {16, 24, 32};
    gModes.count = 0;
    for (const auto& size : kSizes)
        for (int bits : kBits) {
            platform::DisplayMode mode;
            mode.width = size[0];
            mode.height = size[1];
            mode.bits = bits;
            if (platform::testDisplayMode(mode)) appendMode(size[0], size[1], bits);
        }
    platform::DisplayMode mode;
    for (int index = 0; gModes.count < kMaxModes && platform::enumDisplayMode(index, &mode);
         ++index)
        if (mode.bits >= 16) appendMode(mode.width, mode.height, mode.bits);
    return &gModes;
}

bool dSetResolution(int width, int height, int bits, int frequency) {
    platform::DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.bits = bits;
    mode.frequency = frequency;
    if (!platform::changeDisplayMode(mode)) {
        errorBox(kModule, __LINE__, "Couldnt Set Resolution: %dx%dx%d@%dHz\n", width, height, bits,
                 frequency);
        return false;
    }
    gFullScreenMode = mode;
    return true;
}

void dRestoreResolution() {
    // The first request and at most 100 repeats.
    for (int attempt = 0; attempt <= 100; ++attempt)
        if (platform::restoreDisplayMode()) return;
}

// Programs' profiles

void dSetVPProfile(const char* name) { gProfiles.vertex = vertexProfileNamed(name); }

void dSetFPProfile(const char* name) { gProfiles.fragment = fragmentProfileNamed(name); }

// The context

bool dSetRenderWindow(void* window, int colourBits, int depthBits, int stencilBits) {
    if (!gPixelFormatChosen) {
        gPixelFormat.colourBits = colourBits;
        gPixelFormat.depthBits = depthBits;
        gPixelFormat.stencilBits = stencilBits;
        gPixelFormat.samples = gRequestedSamples;
        gPixelFormatChosen = true;
    }
    // A second call replaces the context rather than leaking it.
    closeContext();
    gContext.window = static_cast<platform::Window*>(window);
    gContext.context = window ? platform::createGLContext(gContext.window, gPixelFormat) : nullptr;
    // Multisampling is a wish: without a format that has it, the window has none, and
    // the program learns so from dGetMultisample.
    if (gContext.context == nullptr && window && gPixelFormat.samples > 0) {
        gPixelFormat.samples = 0;
        gContext.context = platform::createGLContext(gContext.window, gPixelFormat);
    }
    if (gContext.context == nullptr) {
        errorBox(kModule, __LINE__, "Couldnt create the rendering context\n");
        return false;
    }
    platform::makeCurrent(gContext.window, gContext.context);

    if (initialiseExtensions() != 0) {
        errorBox(kModule, __LINE__, "Failed to initialize ExtGL library\n");
        return false;
    }
    readLimits();
    gProfiles = ProfileState{};
    setPixelStorage();
    return true;
}

void dChangeWindowSize(int width, int height) {
    glViewport(0, 0, width > 0 ? width : 0, height > 0 ? height : 0);
}

void dCloseDriver() { closeContext(); }

// Clearing and presenting

void dSetClear(int mask) { gClearMask = glClearBits(mask); }

void dClear(int mask) { glClear(glClearBits(mask)); }

void dClearBuffer() { glClear(gClearMask); }

void dClearColor(float r, float g, float b, float a) { glClearColor(r, g, b, a); }

void dClearDepth(float depth) { glClearDepth(depth); }

void dClearStencil(int value) { glClearStencil(value); }

int dStencilMaxVal() {
    const int bits = gContext.stencilBits;
    return bits >= 0 && bits < 31 ? 1 << bits : 0x40000000;
}

void dSwapBuffer() {
    if (gContext.window && gContext.context) platform::swapBuffers(gContext.window);
}

// Multisampling and vertical sync

void dSetMultisample(int samples) { gRequestedSamples = samples > 0 ? samples : 0; }

int dGetMultisample() { return gContext.context ? gContext.samples : 0; }

bool dSetSwapInterval(int interval) {
    return gContext.context && setSwapInterval(interval < 0 ? 0 : interval);
}

}  // namespace arvel
