// Varnet.drv on WGL, run under Windows or Wine with a display: the same driver calls as
// on Linux must give the same pixels. Loads the plug-in beside it through game's loader.
// Prints one line per check and "N passed, N failed".
#include <cstdio>

#include "driver/Driver.h"
#include "platform/platform.h"

namespace arvel {
namespace {

constexpr int kWidth = 64, kHeight = 48;

int passed = 0, failed = 0;

void check(bool ok, const char* what) {
    std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
    ok ? ++passed : ++failed;
}

intptr_t procedure(platform::Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    return platform::defWindowProc(window, message, wParam, lParam);
}

struct Pixel {
    int r, g, b;
};

Pixel readPixel(int x, int y) {
    auto readPixels =
        reinterpret_cast<void (*)(int, int, int, int, void*)>(driverSymbol("dReadPixels"));
    unsigned char rgba[4] = {};
    if (readPixels) readPixels(x, y, 1, 1, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

bool is(Pixel p, int r, int g, int b) { return p.r == r && p.g == g && p.b == b; }

void clear(float r, float g, float b) {
    gDriver.dClearColor(r, g, b, 1.0f);
    gDriver.dClearDepth(1.0f);
    gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
    gDriver.dClearBuffer();
}

void drawFullScreen() {
    const RenderPosition positions[4] = {
        {-1, -1, 0, 1}, {1, -1, 0, 1}, {1, 1, 0, 1}, {-1, 1, 0, 1}};
    const RenderTexCoord coords[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    RenderVertex vertices[4]{};
    for (int i = 0; i < 4; ++i) {
        vertices[i].position = &positions[i];
        vertices[i].texCoord = &coords[i];
    }
    gDriver.dRenderQuad(&vertices[0], &vertices[1], &vertices[2], &vertices[3]);
}

void resetState() {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dLoadIdentity();
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dLoadIdentity();
    gDriver.dDisableDepth();
    gDriver.dDisableCull();
    gDriver.dDisableBlend();
    gDriver.dChangeWindowSize(kWidth, kHeight);
}

void context(platform::Window* window) {
    const DResolutionList* modes = gDriver.dGetResolutions();
    bool deepEnough = modes != nullptr && modes->count > 0;
    for (int i = 0; deepEnough && i < modes->count; ++i) deepEnough = modes->bits[i] >= 16;
    check(deepEnough, "display modes are listed, none under 16 bits");
    check(gDriver.dSetRenderWindow(window, 32, 24, 8), "the rendering context is made");
    check(gDriver.dStencilMaxVal() == 256, "the stencil buffer has 8 bits");
    const int units = gDriver.dTextureUnits();
    check(units >= 2 && units <= 32, "several texture units, at most 32");
    check(gDriver.dTwoSidedStencil() && gDriver.dOcclusionCulling() && gDriver.dDepthClamp(),
          "two-sided stencil, occlusion queries and depth clamp are offered");
}

void drawing() {
    resetState();
    clear(0, 0, 1);
    check(is(readPixel(kWidth / 2, kHeight / 2), 0, 0, 255), "clearing fills the window");
    gDriver.dColor4(1, 0, 0, 1);
    drawFullScreen();
    gDriver.dColor4(1, 1, 1, 1);
    check(is(readPixel(5, 5), 255, 0, 0), "an immediate quad covers the window");

    DOcclusionQueries* queries = gDriver.dGenOcclusionQueries(1);
    clear(0, 0, 0);
    gDriver.dBeginOcclusionQuery(0, queries);
    drawFullScreen();
    gDriver.dEndOcclusionQuery();
    check(gDriver.dGetVisiblePixels(0, queries) == kWidth * kHeight,
          "an occlusion query counts every pixel of the window");
    gDriver.dDeleteOcclusionQueries(1, queries);
    gDriver.dSwapBuffer();
}

void programs() {
    resetState();
    gDriver.dSetVPProfile("glsl");
    gDriver.dSetFPProfile("glsl");
    DVertexProgram* program = gDriver.dRegisterVertexProgram(
        "#version 120\nvoid main() { gl_Position = ftransform(); gl_FrontColor = gl_Color; }\n");
    DPixelShader* shader = gDriver.dRegisterPixelShader(
        "#version 120\nvoid main() { gl_FragColor = gl_Color.bgra; }\n");
    check(program != nullptr && shader != nullptr, "GLSL programs compile");
    gDriver.dBindVertexProgram(program);
    gDriver.dEnableVertexProgram();
    gDriver.dEnablePixelShader();
    gDriver.dBindPixelShader(shader);
    clear(0, 0, 0);
    gDriver.dColor4(1, 0, 0, 1);
    drawFullScreen();
    gDriver.dColor4(1, 1, 1, 1);
    check(is(readPixel(kWidth / 2, kHeight / 2), 0, 0, 255), "the pixel shader swaps red and blue");
    gDriver.dDisableVertexProgram();
    gDriver.dDisablePixelShader();
    gDriver.dDeleteVertexProgram(program);
    gDriver.dDeletePixelShader(shader);
}

void pbuffers() {
    resetState();
    clear(0, 0, 1);
    DPBuffer* pbuffer = gDriver.dCreatePBuffer(32, 32, false, false, "rgb texture");
    check(pbuffer != nullptr, "a pbuffer is made");
    gDriver.dBindPBufferAsRenderTarget(pbuffer);
    clear(0, 1, 0);
    check(is(readPixel(4, 4), 0, 255, 0), "drawing goes into the active pbuffer");
    gDriver.dBindPBufferAsRenderTarget(nullptr);
    check(is(readPixel(4, 4), 0, 0, 255), "the window's picture is untouched by the pbuffer");
    gDriver.dDeletePBuffer(pbuffer);
}

}  // namespace
}  // namespace arvel

int main() {
    using namespace arvel;
    platform::registerClass("VarnetTest", procedure);
    platform::Window* window = platform::createWindow(
        "VarnetTest", "Varnet", platform::kWindowPopup, 0, 0, kWidth, kHeight);
    platform::showWindow(window);
    check(window != nullptr, "a window is made");
    check(loadDriver("Varnet.drv"), "Varnet.drv loads and binds");
    if (window == nullptr || gDriver.dSetRenderWindow == nullptr) {
        std::printf("%d passed, %d failed\n", passed, failed + 1);
        return 1;
    }
    context(window);
    drawing();
    programs();
    pbuffers();
    gDriver.dCloseDriver();
    platform::destroyWindow(window);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
