// A driver plug-in that draws nothing: every function of the interface only counts its
// calls and answers with a neutral value (the features of a capable card, dummy
// handles, no errors), so game runs its whole frame without a graphics API. What is
// left of a frame's time is the engine's own. At exit it writes "name count" lines to
// the file named by ARVEL_COUNT_FILE, as the counting plug-in does.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <type_traits>

#include "driver/DriverFunctions.h"

#ifdef _WIN32
#define NULL_EXPORT extern "C" __declspec(dllexport)
#else
#define NULL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace arvel {
namespace {

#define NULL_NAME(ret, name, params, args) name,
enum class Fn { ARVEL_DRIVER_FUNCTIONS(NULL_NAME) ARVEL_DRIVER_UNBOUND(NULL_NAME) kCount };
#undef NULL_NAME

#define NULL_TEXT(ret, name, params, args) #name,
constexpr const char* kNames[] = {ARVEL_DRIVER_FUNCTIONS(NULL_TEXT)
                                      ARVEL_DRIVER_UNBOUND(NULL_TEXT)};
#undef NULL_TEXT
constexpr int kFunctionCount = static_cast<int>(Fn::kCount);

struct Calls {
    long count[kFunctionCount] = {};
    ~Calls() {
        const char* path = std::getenv("ARVEL_COUNT_FILE");
        if (!path) return;
        if (FILE* file = std::fopen(path, "w")) {
            for (int i = 0; i < kFunctionCount; ++i)
                if (count[i]) std::fprintf(file, "%s %ld\n", kNames[i], count[i]);
            std::fclose(file);
        }
    }
};

// Plain statics: the plug-in is used by one thread, and counting must cost next to nothing.
Calls calls;
int triangles = 0;
// What every handle points at; game never looks inside.
alignas(16) unsigned char dummy[64];
const DResolutionList noModes{};

// The answer of function F to arguments a: the neutral value of its result type unless
// the interface gives one.
template <Fn F, typename R, typename... A>
R answer(A... a) {
    if constexpr (F == Fn::dIdentifyDriver) {
        return static_cast<R>(0xBADC0FFE);
    } else if constexpr (F == Fn::dVersionNumber) {
        return 1.0f;
    } else if constexpr (F == Fn::dSetRenderWindow || F == Fn::dSetResolution) {
        return true;
    } else if constexpr (F == Fn::dSeparateBlendFunc || F == Fn::dTwoSidedStencil ||
                         F == Fn::dOcclusionCulling || F == Fn::dDepthClamp) {
        // Supported, so that game takes the paths it takes on real hardware.
        return true;
    } else if constexpr (F == Fn::dStencilMaxVal) {
        return 256;
    } else if constexpr (F == Fn::dTextureUnits) {
        return 8;
    } else if constexpr (F == Fn::dVAMaxHWElements) {
        return 29;
    } else if constexpr (F == Fn::dGetVisiblePixels) {
        return -1;  // no count: nothing is culled
    } else if constexpr (F == Fn::dNumRenderedTris) {
        return triangles;
    } else if constexpr (F == Fn::dVARender) {
        triangles += static_cast<int>(std::get<2>(std::tuple(a...)) / 3);
    } else if constexpr (F == Fn::dGetResolutions) {
        return &noModes;
    } else if constexpr (F == Fn::dGetNormalizationFactors) {
        auto [texture, s, t] = std::tuple(a...);
        (void)texture;
        if (s) *s = 1.0f;
        if (t) *t = 1.0f;
    } else if constexpr (F == Fn::dReadPixels) {
        auto [x, y, width, height, rgba] = std::tuple(a...);
        (void)x, (void)y;
        if (rgba && width > 0 && height > 0)
            std::memset(rgba, 0, static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    } else if constexpr (std::is_pointer_v<R>) {
        return reinterpret_cast<R>(dummy);
    } else {
        (void)sizeof...(a);
        return R();
    }
}

}  // namespace

#define NULL_FUNCTION(ret, name, params, args)     \
    NULL_EXPORT ret name params {                  \
        ++calls.count[static_cast<int>(Fn::name)]; \
        return answer<Fn::name, ret> args;         \
    }
ARVEL_DRIVER_FUNCTIONS(NULL_FUNCTION)
ARVEL_DRIVER_UNBOUND(NULL_FUNCTION)
#undef NULL_FUNCTION

}  // namespace arvel
