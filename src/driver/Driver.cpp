#include "driver/Driver.h"

#include <cstring>

#include "platform/platform.h"

namespace arvel {

DriverTable gDriver;

namespace {

platform::Library* gLibrary = nullptr;
DriverSymbolLookup gSymbolLookup;

const char* const kNames[] = {
#define ARVEL_NAME(ret, name, params, args) #name,
    ARVEL_DRIVER_FUNCTIONS(ARVEL_NAME)
#undef ARVEL_NAME
};

// Functions without which no window can be opened; the others may be missing.
constexpr const char* kRequired[] = {"dGetResolutions", "dSetResolution", "dRestoreResolution",
                                     "dSetRenderWindow", "dChangeWindowSize"};

template <typename Fn>
void bindOne(Fn& slot, const DriverSymbolLookup& lookup, const char* name) {
    slot = reinterpret_cast<Fn>(lookup(name));
}

bool isRequired(const char* name) {
    for (const char* required : kRequired)
        if (std::strcmp(required, name) == 0) return true;
    return false;
}

}  // namespace

const char* const* driverFunctionNames() { return kNames; }

bool bindDriver(const DriverSymbolLookup& lookup, DriverTable& table) {
    bindOne(table.dIdentifyDriver, lookup, "dIdentifyDriver");
    if (!table.dIdentifyDriver || table.dIdentifyDriver() != dcode::kDriverIdentification)
        return false;
    bindOne(table.dVersionNumber, lookup, "dVersionNumber");
    if (!table.dVersionNumber || table.dVersionNumber() < 1.0f) return false;

    // The rest in binding order; position 3 onwards. The display functions are
    // checked once their group (positions 3 to 12) is bound.
    bool displayComplete = true;
    int position = 0;
#define ARVEL_BIND(ret, name, params, args)                            \
    ++position;                                                        \
    if (position >= 3) {                                               \
        bindOne(table.name, lookup, #name);                            \
        if (!table.name && isRequired(#name)) displayComplete = false; \
        if (position == 12 && !displayComplete) return false;          \
    }
    ARVEL_DRIVER_FUNCTIONS(ARVEL_BIND)
#undef ARVEL_BIND
    return true;
}

bool loadDriver(const char* fileName) {
    platform::Library* library = platform::loadLibrary(fileName);
    if (!library) return false;
    gLibrary = library;
    return bindDriver(
        [library](const char* name) { return platform::getProcAddress(library, name); });
}

void* driverSymbol(const char* name) {
    if (!name) return nullptr;
    if (gSymbolLookup) return gSymbolLookup(name);
    return gLibrary ? platform::getProcAddress(gLibrary, name) : nullptr;
}

void setDriverSymbolLookup(DriverSymbolLookup lookup) { gSymbolLookup = std::move(lookup); }

}  // namespace arvel
