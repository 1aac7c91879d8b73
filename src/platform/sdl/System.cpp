// Start-up, ticks, message boxes, dynamic libraries and the executable's folder.
#include "platform/sdl/Backend.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace arvel::platform {

struct Library {
    void* handle = nullptr;
};

namespace sdl {

bool videoReady() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

namespace {

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool hasEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::string resolveLibraryPath(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') return {};
    std::string name(fileName);
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    if (name.find('/') != std::string::npos) return isRegularFile(name) ? name : std::string();
    // What LoadLibraryA would find first: the program's folder, then the working one.
    std::string beside = std::string(executableDirectory()) + name;
    if (isRegularFile(beside)) return beside;
    if (isRegularFile(name)) return "./" + name;
    return {};
}

}  // namespace sdl

bool initialise() {
    if (sdl::videoReady()) return true;
    // Without a display SDL falls back to its off-screen driver, which shows nothing;
    // only a driver asked for by name counts then.
    const bool chosen = std::getenv("SDL_VIDEODRIVER") != nullptr;
    if (!chosen && !sdl::hasEnvironment("DISPLAY") && !sdl::hasEnvironment("WAYLAND_DISPLAY"))
        return false;
    // Closing the last window is a close message to the program, not a quit of SDL.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // A busy X server can refuse a connection for a moment (SDL then falls back to its
    // off-screen driver); try again before giving up.
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (attempt > 0) SDL_Delay(100u << attempt);
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0) continue;
        const char* driver = SDL_GetCurrentVideoDriver();
        const bool headless = driver == nullptr || SDL_strcmp(driver, "offscreen") == 0 ||
                              SDL_strcmp(driver, "dummy") == 0;
        if (!headless || chosen) break;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (!sdl::videoReady()) return false;
    // Keys are read as key-down messages and key state; composed text is never used.
    SDL_StopTextInput();
    return true;
}

uint32_t tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = uint64_t(now.tv_sec) * 1000u + uint64_t(now.tv_nsec) / 1000000u;
    return uint32_t(ms);
}

int messageBox(const char* text, const char* caption, unsigned flags) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "Error";
    std::string line = std::string(caption) + ": " + text;
    if (line.empty() || line.back() != '\n') line += '\n';
    // One write so that boxes from several sources never interleave on stderr.
    ssize_t written = write(STDERR_FILENO, line.data(), line.size());
    (void)written;
    if (std::getenv("ARVEL_NO_DIALOGS") != nullptr) return 1;
    const Uint32 kind =
        (flags & 0xF0u) == kBoxIconError ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    return SDL_ShowSimpleMessageBox(kind, caption, text, nullptr) == 0 ? 1 : 0;
}

const char* executableDirectory() {
    static std::string directory = [] {
        char path[4096];
        const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
        if (length <= 0) return std::string("./");
        std::string full(path, size_t(length));
        const size_t slash = full.rfind('/');
        return slash == std::string::npos ? std::string("./") : full.substr(0, slash + 1);
    }();
    return directory.c_str();
}

Library* loadLibrary(const char* fileName) {
    const std::string path = sdl::resolveLibraryPath(fileName);
    if (path.empty()) return nullptr;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    // Libraries stay loaded for the rest of the run; the list owns their records.
    static std::vector<std::unique_ptr<Library>> loaded;
    loaded.push_back(std::make_unique<Library>(Library{handle}));
    return loaded.back().get();
}

void* getProcAddress(Library* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return dlsym(library->handle, name);
}

}  // namespace arvel::platform
