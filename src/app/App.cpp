#include "app/App.h"

namespace arvel {

int runGame(int, char**) { return 0; }

}  // namespace arvel
