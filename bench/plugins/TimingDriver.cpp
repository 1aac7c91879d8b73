// A driver plug-in for frame measurements: forwards every call to the plug-in named by
// ARVEL_TIMED_DRIVER (default Varnet.drv, found beside this file) and notes the wall
// clocks whenever a frame has been presented. At exit it writes one line per frame to
// the file named by ARVEL_TIMING_FILE: the CLOCK_REALTIME nanoseconds after the swap
// returned (so that a script can also measure from its own start of the process) and
// the processor time of the whole process so far, every thread of the driver included.
#include <dlfcn.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "driver/DriverFunctions.h"

#define TIMING_EXPORT extern "C" __attribute__((visibility("default")))

namespace arvel {
namespace {

int64_t nanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Frame {
    int64_t wall;
    int64_t processor;
};

struct Frames {
    std::vector<Frame> presented;
    Frames() { presented.reserve(1 << 16); }
    ~Frames() {
        const char* path = std::getenv("ARVEL_TIMING_FILE");
        if (!path) return;
        if (FILE* file = std::fopen(path, "w")) {
            for (const Frame& f : presented)
                std::fprintf(file, "%lld %lld\n", static_cast<long long>(f.wall),
                             static_cast<long long>(f.processor));
            std::fclose(file);
        }
    }
};

Frames& frames() {
    static Frames instance;
    return instance;
}

void* target(const char* name) {
    static void* library = [] {
        const char* file = std::getenv("ARVEL_TIMED_DRIVER");
        std::string path = file && *file ? file : "Varnet.drv";
        if (path.find('/') == std::string::npos) {
            Dl_info info{};
            dladdr(reinterpret_cast<void*>(&target), &info);
            const std::string self = info.dli_fname ? info.dli_fname : "";
            path = self.substr(0, self.rfind('/') + 1) + path;
        }
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) std::fprintf(stderr, "TimingDriver: %s\n", dlerror());
        return handle;
    }();
    return library ? dlsym(library, name) : nullptr;
}

void notePresented() {
    frames().presented.push_back(
        {nanoseconds(CLOCK_REALTIME), nanoseconds(CLOCK_PROCESS_CPUTIME_ID)});
}

// Notes the time when the forwarded call has returned, for the swap only.
struct AfterCall {
    bool presents;
    ~AfterCall() {
        if (presents) notePresented();
    }
};

constexpr bool presents(std::string_view name) { return name == "dSwapBuffer"; }

}  // namespace

#define TIMING_FORWARD(ret, name, params, args)                            \
    TIMING_EXPORT ret name params {                                        \
        static auto real = reinterpret_cast<ret(*) params>(target(#name)); \
        if (!real) std::abort();                                           \
        const AfterCall after{presents(#name)};                            \
        return real args;                                                  \
    }
ARVEL_DRIVER_FUNCTIONS(TIMING_FORWARD)
ARVEL_DRIVER_UNBOUND(TIMING_FORWARD)
#undef TIMING_FORWARD

}  // namespace arvel
