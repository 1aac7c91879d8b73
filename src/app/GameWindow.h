// The game's window: opened as the settings ask (scr_width, scr_height, scr_fullscreen,
// scr_resizable), switched between full screen and a window by Alt+Enter, and the size
// the frame is drawn at, which follows the window's drawing area when it changes.
#pragma once

#include <cstdint>

namespace arvel {

namespace platform {
struct Window;
}

// Opens the window, not shown yet; null when the platform cannot. Full screen at
// scr_width x scr_height switches the display mode on activation; at 0 x 0 it covers the
// desktop in its current mode without a switch. A window at 0 x 0 opens at 640 x 480.
// Any other size that no window can have is reported and taken as 0 x 0.
platform::Window* createGameWindow();

// The display-mode switch a full-screen game makes whenever it is activated; true when
// it worked or none is needed.
bool setGameDisplayMode();

// A size message of the window: lParam's low word the new width, its high word the
// height. A minimised window's 0 x 0 is no size to draw at and is ignored.
void noteWindowSize(intptr_t lParam);

// Alt+Enter: full screen becomes a window of the size the window last had, a window
// becomes full screen. When the display refuses the mode the window stays as it was and
// the console says why.
void toggleFullScreen();

// The frame's size in pixels.
int frameWidth();
int frameHeight();
// When the window's drawing area no longer has the frame's size: true once, the frame
// takes the new size and width and height hold it.
bool takeNewFrameSize(int& width, int& height);

}  // namespace arvel
