// A GoogleTest fixture for tests that draw for real: a 256 x 256 window with the
// Varnet.drv plug-in loaded into gDriver and its rendering context current. Tests
// skip when no X display is available. Pixels are read back before any swap (the
// front buffer reads black after it on X11).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace arvel::platform {
struct Window;
}

namespace arvel::test {

class VarnetTest : public ::testing::Test {
public:
    static constexpr int kSize = 256;

protected:
    void SetUp() override;
    void TearDown() override;

    platform::Window* window() const { return window_; }

    // Colour of the back buffer at (x, y), counted from the lower left corner.
    std::array<uint8_t, 4> readPixel(int x, int y) const;
    // Stencil value at (x, y).
    int readStencil(int x, int y) const;
    // Depth value at (x, y), 0 to 1.
    float readDepth(int x, int y) const;
    // Writes the back buffer as a binary PPM (RGB) file, for looking at a failure.
    bool saveImage(const std::string& path) const;

private:
    platform::Window* window_ = nullptr;
    bool contextOpen_ = false;
};

// Prints an RGBA value readably in assertion messages.
std::string describe(const std::array<uint8_t, 4>& rgba);

}  // namespace arvel::test
