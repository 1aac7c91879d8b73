// What the fuzz targets share: headless message boxes, a scratch folder for inputs that
// are read through the file system, and a check that aborts (so the fuzzer records the
// input) when a loader breaks one of its own promises.
#pragma once

#include <unistd.h>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <sanitizer/common_interface_defs.h>

#include "console/ConsoleVariable.h"
#include "fs/CommonFile.h"
#include "fs/FileSystem.h"
#include "platform/platform.h"
#include "shared/TempDir.h"

namespace arvel::fuzz {

// A broken promise is a finding like a crash: say which, then abort. The summary goes
// to the sanitizers' report stream, which outlives libFuzzer's -close_fd_mask.
#define FUZZ_CHECK(condition)                                                               \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            char summary_[512];                                                             \
            std::snprintf(summary_, sizeof summary_, "check failed at %s:%d: %s", __FILE__, \
                          __LINE__, #condition);                                            \
            std::fprintf(stderr, "%s\n", summary_);                                         \
            __sanitizer_report_error_summary(summary_);                                     \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// Boxes write to standard error and return at once; nothing waits for a person.
inline void headless() { setenv("ARVEL_NO_DIALOGS", "1", 1); }

// Fatal boxes post a close each; without draining, the queue grows with every input.
inline void drainMessages() {
    platform::Message message;
    while (platform::peekMessage() && platform::getMessage(&message) != 0) {
    }
}

// One folder for the whole run, removed at exit; in memory where there is such a
// file system, since every input of some targets is written to a file first.
inline test::TempDir& scratch() {
    static const bool inMemory = [] {
        if (std::getenv("TMPDIR") || access("/dev/shm", W_OK) != 0) return false;
        return setenv("TMPDIR", "/dev/shm", 1) == 0;
    }();
    static test::TempDir folder;
    (void)inMemory;
    return folder;
}

inline std::string scratchPrefix() { return scratch().path().string() + "/"; }

inline std::string_view bytesOf(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The scratch folder as the only file source, holding the given files.
inline void mountScratch() {
    fileSystem().clear();
    auto* source = new CommonFile();
    if (!fileSystem().mount(source, scratchPrefix().c_str())) {
        delete source;
        std::fprintf(stderr, "cannot mount %s\n", scratchPrefix().c_str());
        std::abort();
    }
}

// The techniques the map and mesh materials name by default, as short as a usable
// technique can be, so that loading gets past the materials.
inline void provideDefaultTechniques() {
    const char* plain = "Ambient { impl { Pass { } } }";
    scratch().write("static_default.rt", plain);
    scratch().write("dynamic_default.rt", plain);
}

// A variable keeps a name and a text, and whenever its text starts with a number its
// number is that number; as an int (what the game reads sizes and depths as) it is that
// number truncated, within int.
inline void checkVariable(const ConsoleVariable& variable) {
    FUZZ_CHECK(variable.name != nullptr && variable.text != nullptr);
    char* end = nullptr;
    const double number = std::strtod(variable.text, &end);
    if (end != variable.text)
        FUZZ_CHECK(variable.number == number ||
                   (std::isnan(number) && std::isnan(variable.number)));
    const int integer = variable.integer();
    if (std::isnan(variable.number)) FUZZ_CHECK(integer == 0);
    if (std::fabs(variable.number) < 2147483647.0)
        FUZZ_CHECK(integer == static_cast<int>(std::trunc(variable.number)));
    if (variable.number >= 2147483647.0) FUZZ_CHECK(integer == INT_MAX);
    if (variable.number <= -2147483648.0) FUZZ_CHECK(integer == INT_MIN);
}

}  // namespace arvel::fuzz
