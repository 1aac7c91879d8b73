#include "reference/Comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace arvel::reference {

namespace {

float strongest(const float* c) { return std::max({c[0], c[1], c[2]}); }

float distance(const uint8_t* game, const std::array<float, 3>& colour) {
    float sum = 0.0f;
    for (int k = 0; k < 3; ++k)
        sum += std::fabs(static_cast<float>(game[k]) - colour[static_cast<size_t>(k)]);
    return sum;
}

float distance(const std::array<float, 3>& a, const std::array<float, 3>& b) {
    float sum = 0.0f;
    for (size_t k = 0; k < 3; ++k) sum += std::fabs(a[k] - b[k]);
    return sum;
}

class EdgeTest {
public:
    EdgeTest(const ReferenceImage& image, float significant)
        : image_(image), significant_(significant) {}

    bool edge(int x, int y, int radius) const {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx) {
                const int qx = x + dx, qy = y + dy;
                if ((dx == 0 && dy == 0) || qx < 0 || qy < 0 || qx >= image_.width ||
                    qy >= image_.height)
                    continue;
                if (differ(index(x, y), index(qx, qy))) return true;
            }
        return false;
    }

private:
    size_t index(int x, int y) const {
        return static_cast<size_t>(y) * static_cast<size_t>(image_.width) + static_cast<size_t>(x);
    }

    bool differ(size_t p, size_t q) const {
        const Sample& a = image_.samples[p];
        const Sample& b = image_.samples[q];
        if (a.hit != b.hit) return true;
        if (!a.hit) return false;
        if (a.object != b.object) return true;
        if (a.object == 0) {
            // The map's faces are flat: another plane, or the same plane further back.
            if (dot(a.faceNormal, b.faceNormal) < 0.99) return true;
            if (std::fabs(dot(b.point - a.point, a.faceNormal)) > 1e-3 * (1.0 + a.depth))
                return true;
        } else if (std::fabs(a.depth - b.depth) > 0.1 * a.depth) {
            return true;  // a mesh in front of another part of itself
        }
        for (size_t l = 0; l < image_.lightCount(); ++l) {
            const bool strong = strongest(image_.lightAt(p, l)) >= significant_ ||
                                strongest(image_.lightAt(q, l)) >= significant_;
            if (strong && image_.visibleAt(p, l) != image_.visibleAt(q, l)) return true;
        }
        return false;
    }

    const ReferenceImage& image_;
    float significant_;
};

}  // namespace

std::string Comparison::summary() const {
    char text[320];
    std::snprintf(text, sizeof text,
                  "lit/shadowed agree on %d of %d pixels (%.2f%%); %d edge and %d ambiguous "
                  "pixels left out; background %d of %d; colour agrees on %.2f%%",
                  agreeing, counted, 100.0 * agreement(), edges, ambiguous, backgroundAgreeing,
                  backgroundCounted, 100.0 * colourAgreement());
    return text;
}

Comparison compareLighting(const ReferenceImage& reference, const uint8_t* gameRgb,
                           const ComparisonOptions& options) {
    Comparison result;
    const size_t pixels = reference.samples.size();
    result.difference.assign(pixels * 3, 0);
    const EdgeTest edges(reference, options.significant);
    const size_t lights = reference.lightCount();
    std::vector<uint8_t> lit(lights);

    for (int y = 0; y < reference.height; ++y) {
        for (int x = 0; x < reference.width; ++x) {
            const size_t p = static_cast<size_t>(y) * static_cast<size_t>(reference.width) +
                             static_cast<size_t>(x);
            const uint8_t* game = gameRgb + p * 3;
            uint8_t* out = &result.difference[p * 3];
            const uint8_t grey = static_cast<uint8_t>((game[0] + game[1] + game[2]) / 6);
            auto mark = [out](uint8_t r, uint8_t g, uint8_t b) {
                out[0] = r, out[1] = g, out[2] = b;
            };
            mark(0, 0, 64);
            if (y < options.maskTopRows) continue;
            if (edges.edge(x, y, options.edgeRadius)) {
                ++result.edges;
                continue;
            }
            if (!reference.samples[p].hit) {
                ++result.backgroundCounted;
                if (std::max({game[0], game[1], game[2]}) <= 8) {
                    ++result.backgroundAgreeing;
                    mark(grey, grey, grey);
                } else {
                    mark(255, 0, 0);
                }
                continue;
            }
            bool strong = false;
            for (size_t l = 0; l < lights; ++l) {
                strong = strong || strongest(reference.lightAt(p, l)) >= options.significant;
                lit[l] = reference.visibleAt(p, l) ? 1 : 0;
            }
            if (!strong) continue;  // no light to be lit or shadowed by
            const std::array<float, 3> expected = reference.colour(p, lit);
            const float own = distance(game, expected);
            bool ambiguous = false;
            bool nearest = true;
            for (size_t l = 0; l < lights && !ambiguous; ++l) {
                if (strongest(reference.lightAt(p, l)) < options.significant) continue;
                lit[l] ^= 1;
                const std::array<float, 3> flipped = reference.colour(p, lit);
                lit[l] ^= 1;
                if (distance(expected, flipped) < 12.0f) ambiguous = true;  // saturated
                if (distance(game, flipped) <= own) nearest = false;
            }
            if (ambiguous) {
                ++result.ambiguous;
                continue;
            }
            ++result.counted;
            if (own <= options.colourTolerance) ++result.colourAgreeing;
            if (nearest) {
                ++result.agreeing;
                mark(grey, grey, grey);
            } else {
                mark(255, 0, 0);
            }
        }
    }
    return result;
}

}  // namespace arvel::reference
