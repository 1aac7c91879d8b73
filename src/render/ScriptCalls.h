// Driver functions that technique scripts name as text ("Requires X", "EXTName(...)")
// are looked up by export name and called with numbers. Only functions of the driver
// interface can be called that way, each through its own declared type: a name that is
// not in the interface, or whose function takes anything but numbers, counts as an
// export the driver lacks, so no script can hand an integer to a pointer parameter.
#pragma once

namespace arvel {

// Calls function (the export of that name) with arguments converted to its parameter
// types; the first parameters take arguments[0], [1], ... (six are always readable).
using ScriptInvoker = void (*)(void* function, const int* arguments);

// The caller for the named driver function, or null when scripts cannot call it.
ScriptInvoker scriptInvoker(const char* name);
// A feature query: returns bool, takes nothing.
bool isFeatureQuery(const char* name);
// A feature switch: returns nothing, takes nothing.
bool isFeatureSwitch(const char* name);

}  // namespace arvel
