#include "varnet/EntryPoints.h"

namespace arvel::varnet {

EntryPoints gl;
WindowSystemEntryPoints gWindowSystem;

}  // namespace arvel::varnet
