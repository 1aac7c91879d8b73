// Screenshots of the current frame as PNG files.
#pragma once

#include <string>

namespace arvel {

// Reads the frame being drawn (before it is presented) through the driver and writes
// it to path. False, with a warning box, when the driver cannot read or the file cannot
// be written.
bool writeScreenshot(const char* path, int width, int height);

// The first "screenshotNNNN.png" of the working directory that does not exist yet; its
// name goes to written when given.
bool writeNumberedScreenshot(int width, int height, std::string* written = nullptr);

}  // namespace arvel
