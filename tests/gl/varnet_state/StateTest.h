// Helpers for the render-state tests: a fixture that starts every test from cleared
// buffers and identity matrices (so normalised coordinates are window coordinates),
// and rectangles given in pixels, drawn through the driver's immediate quad.
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>

#include "driver/Driver.h"
#include "platform/platform.h"
#include "support/GLFixture.h"

namespace arvel::test {

// The four vertex records of one quad, counter-clockwise seen from the viewer unless
// asked for clockwise.
struct QuadVertices {
    RenderPosition position[4];
    RenderTexCoord texCoord[4];
    RenderVertex vertex[4];

    QuadVertices(float x0, float y0, float x1, float y1, float z, bool clockwise = false) {
        const float xs[4] = {x0, x1, x1, x0};
        const float ys[4] = {y0, y0, y1, y1};
        for (int i = 0; i < 4; ++i) {
            const int k = clockwise ? 3 - i : i;
            position[i] = {xs[k], ys[k], z, 1.0f};
            texCoord[i] = {xs[k] > x0 ? 1.0f : 0.0f, ys[k] > y0 ? 1.0f : 0.0f};
            vertex[i] = {
                &position[i], &texCoord[i], {0, 0, 1, 0}, {1, 0, 0, 0}, {255, 255, 255, 255}};
        }
    }
    void draw() const { gDriver.dRenderQuad(&vertex[0], &vertex[1], &vertex[2], &vertex[3]); }
};

// A function the plug-in exports but the loader does not bind.
template <typename Fn>
Fn unboundExport(const char* name) {
    platform::Library* library = platform::loadLibrary(ARVEL_BIN_DIR "/Varnet.drv");
    return library ? reinterpret_cast<Fn>(platform::getProcAddress(library, name)) : nullptr;
}

// The result of comparison code `code` for "incoming OP stored", as the graphics API
// defines each function.
inline bool comparisonPasses(int code, double incoming, double stored) {
    switch (code) {
        case 1:
            return false;
        case 2:
            return true;
        case 3:
            return incoming < stored;
        case 4:
            return incoming <= stored;
        case 5:
            return incoming > stored;
        case 6:
            return incoming >= stored;
        case 7:
            return incoming == stored;
        case 8:
            return incoming != stored;
        default:
            return false;
    }
}

class StateTest : public VarnetTest {
protected:
    void SetUp() override {
        VarnetTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        resetMatrices();
        clear(0, 0, 0, 0);
    }

    void TearDown() override {
        expectNoPendingError();
        VarnetTest::TearDown();
    }

    // Clears colour, depth 1 and stencil to the given values.
    void clear(float r, float g, float b, float a, int stencil = 0, float depth = 1.0f) {
        gDriver.dClearColor(r, g, b, a);
        gDriver.dClearDepth(depth);
        gDriver.dClearStencil(stencil);
        gDriver.dSetClear(dcode::kClearColour | dcode::kClearDepth | dcode::kClearStencil);
        gDriver.dClearBuffer();
    }

    // A rectangle from pixel (x0, y0) to (x1, y1) at normalised depth z.
    void fillPixels(int x0, int y0, int x1, int y1, float z = 0.0f, bool clockwise = false) {
        QuadVertices(ndc(x0), ndc(y0), ndc(x1), ndc(y1), z, clockwise).draw();
    }

    void fillWindow(float z = 0.0f) { fillPixels(0, 0, kSize, kSize, z); }
};

}  // namespace arvel::test
