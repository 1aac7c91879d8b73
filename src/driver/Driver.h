// game's side of the driver interface: one process-wide table of the plug-in's
// functions, filled by name when the plug-in is loaded. Everything above the driver
// calls through gDriver.
#pragma once

#include <functional>

#include "driver/DriverFunctions.h"

namespace arvel {

struct DriverTable {
#define ARVEL_TABLE_ENTRY(ret, name, params, args) ret(*name) params = nullptr;
    ARVEL_DRIVER_FUNCTIONS(ARVEL_TABLE_ENTRY)
#undef ARVEL_TABLE_ENTRY
};

extern DriverTable gDriver;

// The names of the table in binding order (index 0 is dIdentifyDriver).
const char* const* driverFunctionNames();

using DriverSymbolLookup = std::function<void*(const char* name)>;

// Binds the table through lookup, checking as the loader must: the identification
// value, a version of at least 1.0 and the five display functions a window needs.
// On false the table may be partly filled.
bool bindDriver(const DriverSymbolLookup& lookup, DriverTable& table = gDriver);

// Loads the plug-in file with the platform's dynamic loader and binds gDriver. The
// library stays loaded for the rest of the run, also after a failure.
bool loadDriver(const char* fileName);

// An export of the plug-in loadDriver loaded, looked up by name at run time (features
// and extension functions named by technique scripts); null when there is no plug-in
// or it lacks the name.
void* driverSymbol(const char* name);

// Makes driverSymbol answer through lookup instead (a test's own driver); an empty
// lookup goes back to the loaded plug-in.
void setDriverSymbolLookup(DriverSymbolLookup lookup);

}  // namespace arvel
