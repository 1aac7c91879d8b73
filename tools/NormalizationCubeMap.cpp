#include "NormalizationCubeMap.h"

#include <cmath>
#include <stdexcept>

namespace arvel::content {

void cubeMapDirection(int face, int size, int x, int y, float direction[3]) {
    // Texel centres in -1 .. 1. The API's t runs from the first row it is given, and
    // images reach it bottom row first, so t grows upwards in reading order.
    const float s = 2.0f * (static_cast<float>(x) + 0.5f) / static_cast<float>(size) - 1.0f;
    const float t =
        2.0f * (static_cast<float>(size - 1 - y) + 0.5f) / static_cast<float>(size) - 1.0f;
    float d[3];
    switch (face) {
        case 0:
            d[0] = 1.0f, d[1] = -t, d[2] = -s;
            break;
        case 1:
            d[0] = -1.0f, d[1] = -t, d[2] = s;
            break;
        case 2:
            d[0] = s, d[1] = 1.0f, d[2] = t;
            break;
        case 3:
            d[0] = s, d[1] = -1.0f, d[2] = -t;
            break;
        case 4:
            d[0] = s, d[1] = -t, d[2] = 1.0f;
            break;
        default:
            d[0] = -s, d[1] = -t, d[2] = -1.0f;
            break;
    }
    const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    for (int i = 0; i < 3; ++i) direction[i] = d[i] / length;
}

std::vector<Image> normalizationCubeMap(int size) {
    if (size < 1) throw std::invalid_argument("cube map size must be at least 1");
    std::vector<Image> faces;
    for (int face = 0; face < 6; ++face) {
        Image image(size, size, 3);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                float d[3];
                cubeMapDirection(face, size, x, y, d);
                uint8_t* p = image.at(x, y);
                for (int i = 0; i < 3; ++i)
                    p[i] = static_cast<uint8_t>(std::lround((d[i] * 0.5f + 0.5f) * 255.0f));
            }
        }
        faces.push_back(std::move(image));
    }
    return faces;
}

}  // namespace arvel::content
