// Off-screen render targets that can be bound as textures. On this platform a pbuffer
// is a framebuffer object in the window's context: a colour texture (or a multisampled
// colour buffer resolved into it) and a depth/stencil buffer, as the mode string asks.
#pragma once

#include "varnet/Extensions.h"

namespace arvel::platform {
struct GLContext;
}

namespace arvel {

// What a mode string asks for; the platform's equivalent of the pixel format and
// pbuffer attribute lists.
struct PBufferMode {
    bool floatFlag = false;  // some token contains "float"
    bool textureFlag = false;
    bool alphaFlag = false;
    int redBits = 0, greenBits = 0, blueBits = 0, alphaBits = 0;
    bool floatComponents = false;
    int depthBits = 0;
    int stencilBits = 0;
    int samples = 0;
    bool doubleBuffer = false;  // one colour buffer suffices off screen; kept for reference
    GLenum textureTarget = 0;   // 0: cannot be bound as a texture
    bool mipmapTexture = false;
    bool depthTexture = false;  // depth binding asked for; only colour is ever bound
};

struct DPBuffer {
    PBufferMode mode;
    int width = 0, height = 0;
    bool shareContext = false;
    bool shareObjects = false;
    bool renderToTexture = false;
    bool bound = false;
    bool active = false;

    // The objects, in the context they were made in.
    platform::GLContext* context = nullptr;
    GLenum colourTarget = 0;
    GLenum colourFormat = 0;
    GLuint framebuffer = 0;         // drawn into
    GLuint resolveFramebuffer = 0;  // holds the texture when drawing is multisampled
    GLuint colourTexture = 0;
    GLuint colourBuffer = 0;  // multisampled colour
    GLuint depthStencilBuffer = 0;
    int samples = 0;

    // What was current when it was activated, put back on deactivation.
    GLint previousDrawFramebuffer = 0;
    GLint previousReadFramebuffer = 0;
    GLint previousViewport[4] = {0, 0, 0, 0};

    // The texture its colour replaced on a unit while bound.
    int boundUnit = 0;
    GLint replacedTexture = 0;
};

}  // namespace arvel
