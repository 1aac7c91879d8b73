// Reading the picture back, for screenshots and tests. The back buffer is read: after
// a swap the front buffer is undefined on some window systems.
#include <GL/gl.h>

#include "varnet/Exports.h"

namespace arvel {

void dReadPixels(int x, int y, int width, int height, void* rgba) {
    if (!rgba || width <= 0 || height <= 0) return;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}

}  // namespace arvel
