#include "input/Keyboard.h"

#include "platform/platform.h"

namespace arvel {

Keyboard::Keyboard() : table_{} { table_[0] = kUp; }

void Keyboard::poll(const uint8_t keys[256]) {
    // Edges come only from the plain states: a key that goes down right after its
    // release edge (or up right after its press edge) reports no new edge.
    for (int code = 0; code < 256; ++code) {
        uint8_t& entry = table_[code];
        if (keys[code] & 0x80)
            entry = entry == kUp ? kDown | kPressed : kDown;
        else
            entry = entry == kDown ? kUp | kReleased : kUp;
    }
}

void Keyboard::poll() {
    uint8_t keys[256] = {};
    platform::getKeyboardState(keys);
    poll(keys);
}

Keyboard& keyboard() {
    static Keyboard instance;
    return instance;
}

}  // namespace arvel
