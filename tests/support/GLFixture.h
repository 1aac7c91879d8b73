// A GoogleTest fixture for tests that draw for real: a 256 x 256 window with the
// Varnet.drv plug-in loaded into gDriver and its rendering context current, and the
// checks of what was drawn that the drawing tests share. Tests skip when no X display
// is available. Pixels are read back before any swap (the front buffer reads black
// after it on X11).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace arvel::platform {
struct Window;
}

namespace arvel::test {

using Rgba = std::array<uint8_t, 4>;

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

    // True when the pixel is within `tolerance` of the colour in r, g and b.
    ::testing::AssertionResult colourAt(int x, int y, int r, int g, int b, int tolerance = 2) const;
    // True when r, g and b of the pixel are all 0.
    bool isBlack(int x, int y) const;

    // Identity projection and model-view, so normalised coordinates are window
    // coordinates.
    static void resetMatrices();
    // Nothing a test does, bad input included, may leave a graphics API error behind;
    // for TearDown, before the context closes.
    void expectNoPendingError() const;

private:
    platform::Window* window_ = nullptr;
    bool contextOpen_ = false;
};

// Window pixel to normalised device coordinate (the window is kSize square).
inline float ndc(int pixel) { return pixel * 2.0f / VarnetTest::kSize - 1.0f; }

// Prints an RGBA value readably in assertion messages.
std::string describe(const std::array<uint8_t, 4>& rgba);

}  // namespace arvel::test
