// A driver plug-in for end-to-end tests: forwards every call to the Varnet.drv beside
// it and counts the calls by name. At exit it writes "name count" lines to the file
// named by ARVEL_COUNT_FILE, so a test can see what game asked of its driver.
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>

#include "driver/DriverFunctions.h"

#ifdef _WIN32
#define COUNTING_EXPORT extern "C" __declspec(dllexport)
#else
#define COUNTING_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace arvel {
namespace {

struct Counts {
    std::map<std::string, long> byName;
    ~Counts() {
        const char* path = std::getenv("ARVEL_COUNT_FILE");
        if (!path) return;
        if (FILE* file = std::fopen(path, "w")) {
            for (auto& [name, count] : byName) std::fprintf(file, "%s %ld\n", name.c_str(), count);
            std::fclose(file);
        }
    }
};

Counts& counts() {
    static Counts instance;
    return instance;
}

#ifdef _WIN32
void* target(const char* name) {
    static HMODULE library = [] {
        HMODULE self = nullptr;
        GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&target), &self);
        char buffer[MAX_PATH * 4] = "";
        GetModuleFileNameA(self, buffer, sizeof buffer);
        std::string path = buffer;
        path = path.substr(0, path.find_last_of("\\/") + 1) + "Varnet.drv";
        return LoadLibraryA(path.c_str());
    }();
    return library ? reinterpret_cast<void*>(GetProcAddress(library, name)) : nullptr;
}
#else
void* target(const char* name) {
    static void* library = [] {
        Dl_info info{};
        dladdr(reinterpret_cast<void*>(&target), &info);
        std::string path = info.dli_fname ? info.dli_fname : "";
        path = path.substr(0, path.rfind('/') + 1) + "Varnet.drv";
        return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }();
    return library ? dlsym(library, name) : nullptr;
}
#endif

}  // namespace

#define COUNTING_FORWARD(ret, name, params, args)                          \
    COUNTING_EXPORT ret name params {                                      \
        ++counts().byName[#name];                                          \
        static auto real = reinterpret_cast<ret(*) params>(target(#name)); \
        if (!real) std::abort();                                           \
        return real args;                                                  \
    }
ARVEL_DRIVER_FUNCTIONS(COUNTING_FORWARD)
ARVEL_DRIVER_UNBOUND(COUNTING_FORWARD)
#undef COUNTING_FORWARD

}  // namespace arvel
