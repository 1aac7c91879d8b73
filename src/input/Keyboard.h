// The keyboard, polled once per frame: a table of key states by virtual-key code with
// press and release edges.
#pragma once

#include <cstdint>

namespace arvel {

class Keyboard {
public:
    // Entry values: up, down, down and pressed since the last poll, up and released.
    enum : uint8_t { kUp = 1, kDown = 2, kPressed = 4, kReleased = 8 };

    Keyboard();
    // Derives the new table from the down bits (bit 7) of keys, one byte per code.
    void poll(const uint8_t keys[256]);
    // Polls the platform's keyboard state.
    void poll();
    const uint8_t* state() const { return table_; }
    bool pressed(int code) const { return (table_[code & 0xFF] & kPressed) != 0; }

private:
    uint8_t table_[256];
};

Keyboard& keyboard();

}  // namespace arvel
