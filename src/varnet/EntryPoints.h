// Entry points fetched by initialiseExtensions(), one X-macro list: X(group, type, name).
// group is the gExt member that must be set for the entry point to be fetched: an
// extension without its "GL_" prefix, version12 ... version20 for core additions, or a
// combined.* flag for functions with more than one definer. Entries are fetched in list
// order: ARB, EXT, ATI and NV extensions, then the core additions, then what the
// plug-in uses beyond the classic list, each family a list of its own (GLEntryPoints*.h).
// A function is called through gl only after its group's flag has been tested; add an
// entry to its family's list before using a new function.
#pragma once

#include "varnet/Extensions.h"
#include "varnet/GLEntryPointTypes.h"
#include "varnet/GLEntryPointsARB.h"
#include "varnet/GLEntryPointsATI.h"
#include "varnet/GLEntryPointsCore.h"
#include "varnet/GLEntryPointsEXT.h"
#include "varnet/GLEntryPointsModern.h"
#include "varnet/GLEntryPointsNV.h"
#include "varnet/WindowSystemEntryPoints.h"

// The whole list, in fetch order.
// clang-format off
#define VARNET_GL_ENTRY_POINTS(X)                                                                  \
    VARNET_GL_ARB_ENTRY_POINTS(X)                                                                  \
    VARNET_GL_EXT_ENTRY_POINTS(X)                                                                  \
    VARNET_GL_ATI_ENTRY_POINTS(X)                                                                  \
    VARNET_GL_NV_ENTRY_POINTS(X)                                                                   \
    VARNET_GL_CORE_ENTRY_POINTS(X)                                                                 \
    VARNET_GL_MODERN_ENTRY_POINTS(X)
// clang-format on

namespace arvel::varnet {

struct EntryPoints {
#define VARNET_ENTRY(group, type, name) type name = nullptr;
    VARNET_GL_ENTRY_POINTS(VARNET_ENTRY)
#undef VARNET_ENTRY
};

extern EntryPoints gl;

using WindowSystemProc = void (*)();

struct WindowSystemEntryPoints {
#define VARNET_ENTRY(group, name) WindowSystemProc name = nullptr;
    VARNET_WINDOW_SYSTEM_ENTRY_POINTS(VARNET_ENTRY)
#undef VARNET_ENTRY
};

extern WindowSystemEntryPoints gWindowSystem;

}  // namespace arvel::varnet
