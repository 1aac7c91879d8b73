// display-mode-probe LOG PROGRAM [ARGUMENTS...]: starts PROGRAM and writes to LOG the
// display mode Windows reports as current (EnumDisplaySettings, ENUM_CURRENT_SETTINGS)
// at the start and at every change while it runs, then its exit status, then (after
// waiting up to five seconds for the starting mode to come back) the final mode. Exits
// with PROGRAM's status. scripts/test-windows starts the full-screen game through it in
// a Wine virtual desktop, to see the game's mode switch and its restoring from outside.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string currentMode() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%lux%lux%lu", static_cast<unsigned long>(mode.dmPelsWidth),
                  static_cast<unsigned long>(mode.dmPelsHeight),
                  static_cast<unsigned long>(mode.dmBitsPerPel));
    return text;
}

class Log {
public:
    explicit Log(const char* path) : file_(std::fopen(path, "w")), started_(GetTickCount()) {}
    ~Log() {
        if (file_) std::fclose(file_);
    }
    bool open() const { return file_ != nullptr; }
    void line(const char* what, const std::string& text) {
        std::fprintf(file_, "%.2f %s %s\n", (GetTickCount() - started_) / 1000.0, what,
                     text.c_str());
        std::fflush(file_);  // read while the program still runs
    }

private:
    FILE* file_;
    DWORD started_;
};

// One argument of a command line, quoted when it has blanks.
std::string quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string out = "\"";
    for (char c : argument) out += c == '"' ? std::string("\\\"") : std::string(1, c);
    return out + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: display-mode-probe LOG PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    Log log(argv[1]);
    if (!log.open()) {
        std::fprintf(stderr, "display-mode-probe: cannot write %s\n", argv[1]);
        return 2;
    }
    std::string commandLine;
    for (int i = 2; i < argc; ++i) commandLine += (i > 2 ? " " : "") + quoted(argv[i]);

    const std::string starting = currentMode();
    std::string last = starting;
    log.line("start", starting);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &child)) {
        log.line("cannot start", commandLine);
        return 2;
    }
    auto watch = [&] {
        const std::string now = currentMode();
        if (now != last) log.line("change", now);
        last = now;
    };
    while (WaitForSingleObject(child.hProcess, 20) == WAIT_TIMEOUT) watch();
    DWORD status = 1;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    log.line("exit", std::to_string(status));
    // Another process's restoring reaches this one a moment later.
    for (int waited = 0; waited < 5000 && last != starting; waited += 20) {
        Sleep(20);
        watch();
    }
    log.line("final", last);
    return static_cast<int>(status);
}
