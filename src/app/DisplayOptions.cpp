#include "app/DisplayOptions.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "driver/Driver.h"

namespace arvel {

namespace {

// What requestDisplayOptions asked the driver for.
int gRequestedSamples = 0;

template <typename F>
F driverFunction(const char* name) {
    return reinterpret_cast<F>(driverSymbol(name));
}

// scr_vsync as true or false (1 or 0 too); -1 for anything else.
int vsyncWanted(const char* text) {
    if (!text) return -1;
    if (strcasecmp(text, "true") == 0 || std::strcmp(text, "1") == 0) return 1;
    if (strcasecmp(text, "false") == 0 || std::strcmp(text, "0") == 0) return 0;
    return -1;
}

// The sample count a scr_multisample text names: 0, 2, 4 or 8; -1 for anything else.
int multisampleCount(const char* text) {
    if (!text) return -1;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text) return -1;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0') return -1;
    for (int count : {0, 2, 4, 8})
        if (value == count) return count;
    return -1;
}

void reportSamples() {
    if (gRequestedSamples == 0) return;
    const char* driver = settings().gfxDriver.text;
    auto get = driverFunction<int (*)()>("dGetMultisample");
    if (!get || !driverSymbol("dSetMultisample")) {
        RunTimeWarning("%s cannot multisample; running without multisampling\n", driver);
        return;
    }
    const int samples = get();
    if (samples <= 0)
        RunTimeWarning(
            "The display has no pixel format with %d samples; running without multisampling\n",
            gRequestedSamples);
    else if (samples != gRequestedSamples)
        RunTimeMessage("The display has no pixel format with %d samples; using %d\n",
                       gRequestedSamples, samples);
}

void applyVsync() {
    const ConsoleVariable& setting = settings().scrVsync;
    int wanted = vsyncWanted(setting.text);
    if (wanted < 0) {
        RunTimeWarning(
            "scr_vsync %s: the choices are true and false; running without "
            "vertical sync\n",
            setting.text);
        wanted = 0;
    }
    auto setInterval = driverFunction<bool (*)(int)>("dSetSwapInterval");
    // Off is asked for too: some drivers wait for the refresh unless told not to.
    const bool set = setInterval && setInterval(wanted);
    if (wanted && !setInterval)
        RunTimeWarning("%s has no swap control; running without vertical sync\n",
                       settings().gfxDriver.text);
    else if (wanted && !set)
        RunTimeWarning("The display has no swap control; running without vertical sync\n");
}

}  // namespace

void requestDisplayOptions() {
    const ConsoleVariable& setting = settings().scrMultisample;
    int samples = multisampleCount(setting.text);
    if (samples < 0) {
        RunTimeWarning(
            "scr_multisample %s: the choices are 0, 2, 4 and 8 samples; running "
            "without multisampling\n",
            setting.text);
        samples = 0;
    }
    gRequestedSamples = samples;
    if (auto set = driverFunction<void (*)(int)>("dSetMultisample")) set(samples);
}

void applyDisplayOptions() {
    reportSamples();
    applyVsync();
}

}  // namespace arvel
