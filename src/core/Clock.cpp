#include "core/Clock.h"

namespace arvel {

FrameClock& frameClock() {
    static FrameClock clock;
    return clock;
}

}  // namespace arvel
