// Private to the Win32 backend. The opaque handles of platform.h are the system's own
// handles, so game and the driver plug-in, which each link a copy of this backend, pass
// windows to each other without sharing any backend state.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/platform.h"

namespace arvel::platform::win32 {

inline HWND handle(Window* window) { return reinterpret_cast<HWND>(window); }
inline Window* window(HWND handle) { return reinterpret_cast<Window*>(handle); }

}  // namespace arvel::platform::win32
