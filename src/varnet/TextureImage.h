// Pixel work done before an upload: padding or resampling an image to power-of-two
// sides, and the box filter for mip levels the driver does not generate itself. Images
// are tightly packed rows of `channels` components, bottom row first. Byte images are
// computed in integers and truncated; float images in floats.
//
// Preconditions: width, height >= 0, channels >= 0, and source holds width x height x
// channels components (or is null when one of them is 0). Results are never empty: a
// side of 0 becomes 1 and the missing pixels are zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace arvel::varnet {

// The smallest power of two not below n (1 for n <= 1). Sides above 2^30 are not
// representable and give 0.
constexpr int powerOfTwoAtLeast(int n) {
    if (n > (1 << 30)) return 0;
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

constexpr bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

namespace detail {
inline size_t pixelIndex(int x, int y, int width, int channels) {
    return (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
           static_cast<size_t>(channels);
}
}  // namespace detail

// A P(width) x P(height) image: the source in the first width columns of the first
// height rows, zeros elsewhere.
template <typename T>
std::vector<T> padImage(const T* source, int width, int height, int channels) {
    const int pw = powerOfTwoAtLeast(width), ph = powerOfTwoAtLeast(height);
    std::vector<T> out(detail::pixelIndex(0, ph, pw, channels), T(0));
    if (!source) return out;
    const size_t row = static_cast<size_t>(width) * static_cast<size_t>(channels);
    for (int y = 0; y < height; ++y) {
        const T* from = source + detail::pixelIndex(0, y, width, channels);
        T* to = out.data() + detail::pixelIndex(0, y, pw, channels);
        for (size_t k = 0; k < row; ++k) to[k] = from[k];
    }
    return out;
}

// A P(width) x P(height) image by bilinear filtering. Target pixel (i, j) samples the
// source at (i * width / P(width), j * height / P(height)) between the pixel at the
// integer part and its right and upper neighbours, which wrap at the edges.
template <typename T>
std::vector<T> resampleImage(const T* source, int width, int height, int channels) {
    const int pw = powerOfTwoAtLeast(width), ph = powerOfTwoAtLeast(height);
    std::vector<T> out(detail::pixelIndex(0, ph, pw, channels), T(0));
    if (!source || width <= 0 || height <= 0) return out;
    for (int j = 0; j < ph; ++j) {
        // Positions as a whole part and a fraction of P: exact for bytes.
        const int64_t yNum = static_cast<int64_t>(j) * height;
        const int y0 = static_cast<int>(yNum / ph), y1 = (y0 + 1) % height;
        const int64_t fy = yNum % ph;
        for (int i = 0; i < pw; ++i) {
            const int64_t xNum = static_cast<int64_t>(i) * width;
            const int x0 = static_cast<int>(xNum / pw), x1 = (x0 + 1) % width;
            const int64_t fx = xNum % pw;
            const T* a = source + detail::pixelIndex(x0, y0, width, channels);
            const T* b = source + detail::pixelIndex(x1, y0, width, channels);
            const T* c = source + detail::pixelIndex(x0, y1, width, channels);
            const T* d = source + detail::pixelIndex(x1, y1, width, channels);
            T* to = out.data() + detail::pixelIndex(i, j, pw, channels);
            for (int k = 0; k < channels; ++k) {
                if constexpr (std::is_floating_point_v<T>) {
                    const T tx = T(fx) / T(pw), ty = T(fy) / T(ph);
                    to[k] = (a[k] * (1 - tx) + b[k] * tx) * (1 - ty) +
                            (c[k] * (1 - tx) + d[k] * tx) * ty;
                } else {
                    const int64_t sum = a[k] * (pw - fx) * (ph - fy) + b[k] * fx * (ph - fy) +
                                        c[k] * (pw - fx) * fy + d[k] * fx * fy;
                    to[k] = static_cast<T>(sum / (static_cast<int64_t>(pw) * ph));
                }
            }
        }
    }
    return out;
}

// The next mip level: max(width/2, 1) x max(height/2, 1), each pixel the mean of the
// 2 x 2 block at (2i, 2j), coordinates wrapping modulo the source size.
template <typename T>
std::vector<T> halveImage(const T* source, int width, int height, int channels) {
    const int hw = width / 2 > 1 ? width / 2 : 1, hh = height / 2 > 1 ? height / 2 : 1;
    std::vector<T> out(detail::pixelIndex(0, hh, hw, channels), T(0));
    if (!source || width <= 0 || height <= 0) return out;
    for (int j = 0; j < hh; ++j) {
        const int y0 = (2 * j) % height, y1 = (2 * j + 1) % height;
        for (int i = 0; i < hw; ++i) {
            const int x0 = (2 * i) % width, x1 = (2 * i + 1) % width;
            const T* a = source + detail::pixelIndex(x0, y0, width, channels);
            const T* b = source + detail::pixelIndex(x1, y0, width, channels);
            const T* c = source + detail::pixelIndex(x0, y1, width, channels);
            const T* d = source + detail::pixelIndex(x1, y1, width, channels);
            T* to = out.data() + detail::pixelIndex(i, j, hw, channels);
            for (int k = 0; k < channels; ++k) {
                if constexpr (std::is_floating_point_v<T>) {
                    to[k] = (a[k] + b[k] + c[k] + d[k]) / T(4);
                } else {
                    to[k] = static_cast<T>((a[k] + b[k] + c[k] + d[k]) >> 2);
                }
            }
        }
    }
    return out;
}

}  // namespace arvel::varnet
