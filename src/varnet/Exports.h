// The plug-in's exported functions: every name of the driver list (but dTexCombine,
// which the plug-in leaves unexported) and the unbound extras. Each family of
// functions is defined in the file named after it.
#pragma once

#include "driver/DriverFunctions.h"

#ifdef _WIN32
#define VARNET_EXPORT extern "C" __declspec(dllexport)
#else
#define VARNET_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace arvel {
#define VARNET_DECLARE(ret, name, params, args) VARNET_EXPORT ret name params;
ARVEL_DRIVER_FUNCTIONS(VARNET_DECLARE)
ARVEL_DRIVER_UNBOUND(VARNET_DECLARE)
#undef VARNET_DECLARE
}  // namespace arvel
