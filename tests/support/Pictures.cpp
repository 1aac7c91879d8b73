#include "support/Pictures.h"

namespace arvel::test {

double darkShare(const RgbImage& image, int threshold) {
    size_t dark = 0, total = size_t(image.width) * image.height;
    for (size_t i = 0; i < total; ++i) {
        const uint8_t* p = &image.rgb[i * 3];
        if (p[0] <= threshold && p[1] <= threshold && p[2] <= threshold) ++dark;
    }
    return total ? double(dark) / double(total) : 0.0;
}

}  // namespace arvel::test
