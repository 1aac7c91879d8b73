#include "varnet/EntryPoints.h"

namespace arvel::varnet {

EntryPoints gl;

}  // namespace arvel::varnet
