#include "support/GLFixture.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "driver/Driver.h"
#include "platform/platform.h"

namespace arvel::test {

namespace {

constexpr const char* kClassName = "ArvelGLTest";

intptr_t testWindowProc(platform::Window* window, unsigned message, uintptr_t wParam,
                        intptr_t lParam) {
    return platform::defWindowProc(window, message, wParam, lParam);
}

bool displayAvailable() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

}  // namespace

void VarnetTest::SetUp() {
    if (!displayAvailable())
        GTEST_SKIP() << "no DISPLAY set: drawing tests need an X server (Xvfb)";
    // A box must never wait for a person during a test.
    setenv("ARVEL_NO_DIALOGS", "1", 1);

    ASSERT_TRUE(platform::initialise()) << "the platform could not open the display";
    // A class is registered once per process, as on Win32.
    static const bool registered = platform::registerClass(kClassName, testWindowProc);
    ASSERT_TRUE(registered);
    window_ = platform::createWindow(kClassName, "Arvel GL test", platform::kWindowNormal, 0, 0,
                                     kSize, kSize);
    ASSERT_NE(window_, nullptr) << "the test window could not be created";

    ASSERT_TRUE(loadDriver(ARVEL_BIN_DIR "/Varnet.drv"))
        << "could not load " ARVEL_BIN_DIR "/Varnet.drv";
    ASSERT_TRUE(gDriver.dSetRenderWindow(window_, 32, 24, 8)) << "dSetRenderWindow failed";
    contextOpen_ = true;

    platform::showWindow(window_);
    gDriver.dChangeWindowSize(kSize, kSize);
}

void VarnetTest::TearDown() {
    if (contextOpen_ && gDriver.dCloseDriver) gDriver.dCloseDriver();
    contextOpen_ = false;
    if (window_) platform::destroyWindow(window_);
    window_ = nullptr;
}

std::array<uint8_t, 4> VarnetTest::readPixel(int x, int y) const {
    std::array<uint8_t, 4> rgba{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

int VarnetTest::readStencil(int x, int y) const {
    GLuint value = 0;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_INT, &value);
    return static_cast<int>(value);
}

float VarnetTest::readDepth(int x, int y) const {
    GLfloat value = 0.0f;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &value);
    return value;
}

bool VarnetTest::saveImage(const std::string& path) const {
    std::vector<uint8_t> pixels(static_cast<size_t>(kSize) * kSize * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::fprintf(file, "P6\n%d %d\n255\n", kSize, kSize);
    // PPM rows run top to bottom, GL rows bottom to top.
    bool ok = true;
    for (int row = kSize - 1; row >= 0 && ok; --row)
        ok = std::fwrite(&pixels[static_cast<size_t>(row) * kSize * 3], 1, kSize * 3, file) ==
             static_cast<size_t>(kSize) * 3;
    return std::fclose(file) == 0 && ok;
}

::testing::AssertionResult VarnetTest::colourAt(int x, int y, int r, int g, int b,
                                                int tolerance) const {
    const Rgba p = readPixel(x, y);
    if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
        std::abs(p[2] - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << describe(p)
                                         << ", expected (" << r << ", " << g << ", " << b << ")";
}

bool VarnetTest::isBlack(int x, int y) const {
    const Rgba p = readPixel(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

void VarnetTest::resetMatrices() {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dLoadIdentity();
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dLoadIdentity();
}

void VarnetTest::expectNoPendingError() const {
    if (!IsSkipped() && gDriver.dError) {
        EXPECT_EQ(gDriver.dError(), 0) << "a graphics API error is pending";
    }
}

std::string describe(const std::array<uint8_t, 4>& rgba) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d, %d, %d, %d)", rgba[0], rgba[1], rgba[2], rgba[3]);
    return text;
}

}  // namespace arvel::test
