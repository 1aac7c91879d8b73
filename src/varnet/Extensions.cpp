#include "varnet/Extensions.h"

#include "platform/platform.h"
#include "varnet/EntryPoints.h"

namespace arvel::varnet {

Extensions gExt;

namespace {

// Set when an entry point of a present extension (or claimed core version) is missing.
bool gMissingEntryPoint = false;

const char* glString(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

// The window-system string, "" when no query for it exists.
const char* windowSystemString() {
    if (!gExt.hasGetExtensionsStringARB && !gExt.hasGetExtensionsStringEXT && !gExt.glx.present)
        return "";
    const char* names = platform::windowSystemExtensions();
    return names ? names : "";
}

template <typename Proc>
void fetch(Proc& slot, const char* name) {
    slot = reinterpret_cast<Proc>(platform::glProcAddress(name));
    if (slot == nullptr) gMissingEntryPoint = true;
}

void testGLExtensions() {
#define VARNET_TEST(name) gExt.name = hasExtension("GL_" #name);
    VARNET_GL_EXTENSIONS(VARNET_TEST)
    VARNET_GL_MODERN_EXTENSIONS(VARNET_TEST)
#undef VARNET_TEST

    Extensions::Combined& combined = gExt.combined;
    combined.ARB_program = gExt.ARB_vertex_program || gExt.ARB_fragment_program;
    combined.blend_colour = gExt.ARB_imaging || gExt.version14;
    const bool half = gExt.NV_half_float;
    combined.NV_half_float_multitexture = half && (gExt.version13 || gExt.ARB_multitexture);
    combined.NV_half_float_fog_coord = half && gExt.EXT_fog_coord;
    combined.NV_half_float_secondary_color = half && gExt.EXT_secondary_color;
    combined.NV_half_float_vertex_weight = half && gExt.EXT_vertex_weighting;
    combined.NV_half_float_vertex_program = half && gExt.NV_vertex_program;
}

void fetchGLEntryPoints() {
#define VARNET_FETCH(group, type, name) \
    if (gExt.group) fetch(gl.name, #name);
    VARNET_GL_ENTRY_POINTS(VARNET_FETCH)
#undef VARNET_FETCH
}

// What GLX offers: its version (1.3 brings fbconfigs, pbuffers and read drawables) and
// the extensions that stand in for WGL ones.
void detectGlx() {
    using GetCurrentDisplay = void* (*)();
    using QueryVersion = int (*)(void* display, int* major, int* minor);
    auto currentDisplay =
        reinterpret_cast<GetCurrentDisplay>(platform::glProcAddress("glXGetCurrentDisplay"));
    auto queryVersion = reinterpret_cast<QueryVersion>(platform::glProcAddress("glXQueryVersion"));
    void* display = currentDisplay ? currentDisplay() : nullptr;
    if (display == nullptr) return;
    gExt.glx.present = true;
    int major = 0, minor = 0;
    if (queryVersion && queryVersion(display, &major, &minor))
        gExt.glx.version13 = major > 1 || (major == 1 && minor >= 3);
    const char* names = platform::windowSystemExtensions();
#define VARNET_TEST(name) gExt.glx.name = hasExtensionIn(names, "GLX_" #name);
    VARNET_GLX_EXTENSIONS(VARNET_TEST)
#undef VARNET_TEST
}

void initialiseWindowSystem() {
    gMissingEntryPoint = false;
    detectGlx();
    // GLX hands out pointers even for names it does not know, so the WGL queries are
    // only looked for where there is no GLX.
    if (!gExt.glx.present) {
        gExt.hasGetExtensionsStringARB =
            platform::glProcAddress("wglGetExtensionsStringARB") != nullptr;
        gExt.hasGetExtensionsStringEXT =
            platform::glProcAddress("wglGetExtensionsStringEXT") != nullptr;
    }
    // Their absence is no failure.
    gMissingEntryPoint = false;

#define VARNET_TEST(name) gExt.wglAdvertised.name = hasWGLExtension("WGL_" #name);
    VARNET_WGL_EXTENSIONS(VARNET_TEST)
#undef VARNET_TEST
    gExt.wgl = gExt.wglAdvertised;
    deriveWindowSystemFlags(gExt.wgl, gExt.glx);

#define VARNET_FETCH(group, name) \
    if (gExt.group) fetch(gWindowSystem.name, #name);
    VARNET_WINDOW_SYSTEM_ENTRY_POINTS(VARNET_FETCH)
#undef VARNET_FETCH
}

}  // namespace

bool hasExtension(const char* name) { return hasExtensionIn(glString(GL_EXTENSIONS), name); }

bool hasWGLExtension(const char* name) { return hasExtensionIn(windowSystemString(), name); }

int initialiseExtensions() {
    // A new context may offer less than the last one: nothing stays from before.
    gExt = Extensions{};
    gl = EntryPoints{};
    gWindowSystem = WindowSystemEntryPoints{};
    gMissingEntryPoint = false;

    const char* version = glString(GL_VERSION);
    if (version == nullptr) return 0;
    setVersionFlags(gExt, version);

    testGLExtensions();
    fetchGLEntryPoints();
    // Gaps in GL extensions are tolerated (their users test the flags); only the window
    // system's count.
    initialiseWindowSystem();
    return gMissingEntryPoint ? 1 : 0;
}

}  // namespace arvel::varnet
