#include "MaterialTextures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace arvel::content {

namespace {

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float unit(uint32_t x, uint32_t y, uint32_t seed) {
    return static_cast<float>(hash(x, y, seed) & 0xFFFFFF) / 16777215.0f;
}

int wrap(int value, int period) { return ((value % period) + period) % period; }

// Value noise on a lattice of periodU x periodV cells across the image, so it tiles.
float valueNoise(float u, float v, int periodU, int periodV, uint32_t seed) {
    const float x = u * static_cast<float>(periodU), y = v * static_cast<float>(periodV);
    const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
    const float sx = fx * fx * (3.0f - 2.0f * fx), sy = fy * fy * (3.0f - 2.0f * fy);
    auto at = [&](int i, int j) {
        return unit(static_cast<uint32_t>(wrap(x0 + i, periodU)),
                    static_cast<uint32_t>(wrap(y0 + j, periodV)), seed);
    };
    const float top = at(0, 0) + (at(1, 0) - at(0, 0)) * sx;
    const float bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * sx;
    return top + (bottom - top) * sy;
}

// Octaves of value noise, 0 to 1.
float fractalNoise(float u, float v, int period, uint32_t seed, int octaves = 4) {
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += valueNoise(u, v, period << i, period << i, seed + static_cast<uint32_t>(i)) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

uint8_t byte(float value) { return static_cast<uint8_t>(std::clamp(value, 0.0f, 255.0f) + 0.5f); }

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

SurfacePattern blank(int size) {
    SurfacePattern p;
    p.size = size;
    p.height.assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0.0f);
    p.colour = Image(size, size, 3);
    return p;
}

float& heightOf(SurfacePattern& p, int x, int y) {
    return p.height[static_cast<size_t>(y) * static_cast<size_t>(p.size) + static_cast<size_t>(x)];
}

// Four bricks across and eight rows, every other row shifted by half a brick.
SurfacePattern brick(int size) {
    SurfacePattern p = blank(size);
    const int bw = size / 4, bh = size / 8;
    const float mortar = std::max(1.0f, static_cast<float>(size) / 96.0f);
    for (int y = 0; y < size; ++y) {
        const int row = y / bh;
        for (int x = 0; x < size; ++x) {
            const int shifted = wrap(x + (row % 2 ? bw / 2 : 0), size);
            const int col = shifted / bw;
            const float lx = static_cast<float>(shifted % bw) + 0.5f;
            const float ly = static_cast<float>(y % bh) + 0.5f;
            const float edge =
                std::min({lx, static_cast<float>(bw) - lx, ly, static_cast<float>(bh) - ly});
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float grain = fractalNoise(u, v, 16, 7);
            const float bevel = smoothstep(mortar, mortar + 3.0f, edge);
            heightOf(p, x, y) = 0.15f + 0.75f * bevel + 0.1f * grain * bevel;
            const float tone =
                0.8f + 0.35f * unit(static_cast<uint32_t>(col), static_cast<uint32_t>(row), 11);
            const float shade = 0.85f + 0.3f * grain;
            const float r = 165.0f * tone * shade, g = 72.0f * tone * shade,
                        b = 52.0f * tone * shade;
            const float m = 140.0f + 25.0f * grain;
            p.colour.set(x, y,
                         {byte(m + (r - m) * bevel), byte(m + (g - m) * bevel),
                          byte(m - 8.0f + (b - m + 8.0f) * bevel)});
        }
    }
    return p;
}

// Flagstones: the cells of jittered points on a 4 x 4 grid, with grooves between.
SurfacePattern stone(int size) {
    SurfacePattern p = blank(size);
    constexpr int kCells = 4;
    const float cell = static_cast<float>(size) / kCells;
    auto feature = [&](int i, int j) {
        const auto wi = static_cast<uint32_t>(wrap(i, kCells)),
                   wj = static_cast<uint32_t>(wrap(j, kCells));
        return std::pair<float, float>{
            (static_cast<float>(i) + 0.2f + 0.6f * unit(wi, wj, 21)) * cell,
            (static_cast<float>(j) + 0.2f + 0.6f * unit(wi, wj, 22)) * cell};
    };
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int ci = static_cast<int>(static_cast<float>(x) / cell);
            const int cj = static_cast<int>(static_cast<float>(y) / cell);
            float d1 = 1e9f, d2 = 1e9f;
            int nearest = 0;
            for (int j = cj - 2; j <= cj + 2; ++j) {
                for (int i = ci - 2; i <= ci + 2; ++i) {
                    const auto [fx, fy] = feature(i, j);
                    const float d =
                        std::hypot(fx - static_cast<float>(x), fy - static_cast<float>(y));
                    if (d < d1) {
                        d2 = d1;
                        d1 = d;
                        nearest = wrap(i, kCells) + kCells * wrap(j, kCells);
                    } else if (d < d2) {
                        d2 = d;
                    }
                }
            }
            const float groove = smoothstep(1.0f, 5.0f, (d2 - d1) * 0.5f);
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            const float grain = fractalNoise(u, v, 8, 31, 5);
            heightOf(p, x, y) = 0.1f + 0.7f * groove + 0.2f * grain * groove;
            const float tone = 0.85f + 0.3f * unit(static_cast<uint32_t>(nearest), 0, 41);
            const float grey = (95.0f + 70.0f * grain) * tone * (0.55f + 0.45f * groove);
            p.colour.set(x, y, {byte(grey * 1.02f), byte(grey), byte(grey * 0.94f)});
        }
    }
    return p;
}

// Brushed plates, two by two, with a rivet near each plate corner.
SurfacePattern metal(int size) {
    SurfacePattern p = blank(size);
    const int plate = size / 2;
    const float seam = std::max(1.0f, static_cast<float>(size) / 128.0f);
    const float rivet = static_cast<float>(size) / 48.0f;
    const float inset = static_cast<float>(size) / 16.0f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float lx = static_cast<float>(x % plate) + 0.5f,
                        ly = static_cast<float>(y % plate) + 0.5f;
            const float ex = std::min(lx, static_cast<float>(plate) - lx);
            const float ey = std::min(ly, static_cast<float>(plate) - ly);
            const float edge = std::min(ex, ey);
            const float r = std::hypot(ex - inset, ey - inset);
            const float dome = r < rivet ? std::sqrt(1.0f - (r / rivet) * (r / rivet)) : 0.0f;
            const float u = static_cast<float>(x) / static_cast<float>(size);
            const float v = static_cast<float>(y) / static_cast<float>(size);
            // Stretched along the rows: brushing marks.
            const float brushed =
                valueNoise(u, v, 8, 64, 51) * 0.6f + fractalNoise(u, v, 4, 52) * 0.4f;
            const float body = smoothstep(seam, seam + 2.0f, edge);
            heightOf(p, x, y) = 0.3f + 0.4f * body + 0.3f * dome + 0.02f * brushed;
            const float grey = (105.0f + 55.0f * brushed) * (0.6f + 0.4f * body) + 60.0f * dome;
            p.colour.set(x, y, {byte(grey * 0.95f), byte(grey), byte(grey * 1.08f)});
        }
    }
    return p;
}

}  // namespace

float SurfacePattern::heightAt(int x, int y) const {
    return height[static_cast<size_t>(wrap(y, size)) * static_cast<size_t>(size) +
                  static_cast<size_t>(wrap(x, size))];
}

const std::vector<std::string>& surfacePatternNames() {
    static const std::vector<std::string> names{"brick", "stone", "metal"};
    return names;
}

SurfacePattern surfacePattern(const std::string& name, int size) {
    if (size < 8) throw std::invalid_argument("texture size below 8");
    if (name == "brick") return brick(size);
    if (name == "stone") return stone(size);
    if (name == "metal") return metal(size);
    throw std::invalid_argument("no surface pattern named \"" + name + "\"");
}

Image normalMap(const SurfacePattern& pattern, float strength) {
    Image out(pattern.size, pattern.size, 3);
    for (int y = 0; y < pattern.size; ++y) {
        for (int x = 0; x < pattern.size; ++x) {
            const float du = (pattern.heightAt(x + 1, y) - pattern.heightAt(x - 1, y)) * 0.5f;
            // Rows run down the image while v runs up it.
            const float dv = (pattern.heightAt(x, y - 1) - pattern.heightAt(x, y + 1)) * 0.5f;
            float n[3] = {-du * strength, -dv * strength, 1.0f};
            const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            out.set(x, y,
                    {byte((n[0] / length * 0.5f + 0.5f) * 255.0f),
                     byte((n[1] / length * 0.5f + 0.5f) * 255.0f),
                     byte((n[2] / length * 0.5f + 0.5f) * 255.0f)});
        }
    }
    return out;
}

Image flatImage(int size, uint8_t r, uint8_t g, uint8_t b) {
    Image out(size, size, 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) out.set(x, y, {r, g, b});
    }
    return out;
}

}  // namespace arvel::content
