// Ticks, message boxes, keyboard state, dynamic libraries and the executable's folder.
#include "platform/win32/Backend.h"

#include <cstdlib>
#include <string>

namespace arvel::platform {
namespace {

bool isFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A name without a folder is taken from beside the executable, else from the working
// folder, and never from the system's search path.
std::string resolveLibraryPath(const char* fileName) {
    std::string name(fileName);
    if (name.find_first_of("\\/:") != std::string::npos) return isFile(name) ? name : std::string();
    std::string beside = std::string(executableDirectory()) + name;
    if (isFile(beside)) return beside;
    if (isFile(name)) return ".\\" + name;
    return {};
}

void writeStandardError(const std::string& line) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    // One write so that boxes from several sources never interleave.
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

uint32_t tickCount() { return GetTickCount(); }

int messageBox(const char* text, const char* caption, unsigned flags) {
    if (text == nullptr) text = "";
    if (caption == nullptr) caption = "Error";
    std::string line = std::string(caption) + ": " + text;
    if (line.back() != '\n') line += '\n';
    writeStandardError(line);
    if (std::getenv("ARVEL_NO_DIALOGS") != nullptr) return IDOK;
    return MessageBoxA(nullptr, text, caption, flags);
}

void getKeyboardState(uint8_t state[256]) {
    if (state == nullptr) return;
    BYTE keys[256] = {};
    if (!GetKeyboardState(keys)) ZeroMemory(keys, sizeof keys);
    for (int key = 0; key < 256; ++key) state[key] = keys[key];
}

// The mouse is read through DirectInput on Windows (DirectInputMouseDevice); the
// relative mouse of the seam exists for the other platforms.
bool setRelativeMouse(Window*, bool) { return false; }

int readMouseEvents(MouseEvent*, int) { return 0; }

Library* loadLibrary(const char* fileName) {
    if (fileName == nullptr || *fileName == '\0') return nullptr;
    const std::string path = resolveLibraryPath(fileName);
    if (path.empty()) return nullptr;
    // A damaged file fails the call instead of raising a system dialog.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryA(path.c_str());
    SetErrorMode(previous);
    return reinterpret_cast<Library*>(module);
}

void* getProcAddress(Library* library, const char* name) {
    if (library == nullptr || name == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

const char* executableDirectory() {
    static const std::string directory = [] {
        char path[MAX_PATH * 4];
        const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
        if (length == 0 || length >= sizeof path) return std::string(".\\");
        std::string full(path, length);
        const size_t separator = full.find_last_of("\\/");
        return separator == std::string::npos ? std::string(".\\") : full.substr(0, separator + 1);
    }();
    return directory.c_str();
}

}  // namespace arvel::platform
