// Vertical sync and multisampling (scr_vsync, scr_multisample). Both are engine
// extensions of the driver, found by name: a driver without them, or a display that
// cannot give them, leaves the game running without them, with one warning each.
#pragma once

namespace arvel {

// Before the driver chooses the window's pixel format: asks for scr_multisample's count.
void requestDisplayOptions();
// Once the driver's context exists: says whether the samples came and sets the swap
// interval scr_vsync asks for.
void applyDisplayOptions();

}  // namespace arvel
