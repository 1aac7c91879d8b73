// Reading the picture back, for screenshots and tests. The back buffer is read: after
// a swap the front buffer is undefined on some window systems.
#include <GL/gl.h>

#include "varnet/Context.h"
#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"

namespace arvel {

namespace {

using varnet::gExt;
using varnet::gl;

bool canResolve() {
    return varnet::gContext.samples > 0 && gExt.ARB_framebuffer_object && gl.glGenFramebuffers &&
           gl.glDeleteFramebuffers && gl.glBindFramebuffer && gl.glFramebufferRenderbuffer &&
           gl.glCheckFramebufferStatus && gl.glGenRenderbuffers && gl.glDeleteRenderbuffers &&
           gl.glBindRenderbuffer && gl.glRenderbufferStorage && gl.glBlitFramebuffer;
}

// A multisampled window read straight from its back buffer gives one sample of each
// pixel on some drivers (Mesa's software rasteriser), not what the display shows; a
// blit into a plain renderbuffer averages the samples. False when it cannot be done.
bool readResolved(int x, int y, int width, int height, void* rgba) {
    GLint readBinding = 0, drawBinding = 0, renderbufferBinding = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    // A pbuffer being drawn is read as it is.
    if (readBinding != 0 || !canResolve()) return false;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawBinding);
    glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbufferBinding);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);

    // A resolving blit keeps the rectangle where it is: the target covers it.
    GLuint colour = 0, framebuffer = 0;
    gl.glGenRenderbuffers(1, &colour);
    gl.glBindRenderbuffer(GL_RENDERBUFFER, colour);
    gl.glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, x + width, y + height);
    gl.glGenFramebuffers(1, &framebuffer);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    gl.glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                 colour);
    const bool complete =
        gl.glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        glDisable(GL_SCISSOR_TEST);
        glReadBuffer(GL_BACK);
        gl.glBlitFramebuffer(x, y, x + width, y + height, x, y, x + width, y + height,
                             GL_COLOR_BUFFER_BIT, GL_NEAREST);
        gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        if (scissor) glEnable(GL_SCISSOR_TEST);
    }
    gl.glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    gl.glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawBinding));
    gl.glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbufferBinding));
    glReadBuffer(GL_BACK);
    gl.glDeleteFramebuffers(1, &framebuffer);
    gl.glDeleteRenderbuffers(1, &colour);
    return complete;
}

}  // namespace

void dReadPixels(int x, int y, int width, int height, void* rgba) {
    if (!rgba || width <= 0 || height <= 0) return;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (x >= 0 && y >= 0 && readResolved(x, y, width, height, rgba)) return;
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

}  // namespace arvel
