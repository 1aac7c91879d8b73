// Whether a picture of game (drawn with dbg_flat_white) agrees with the reference on
// which lights reach each pixel. For a pixel some light reaches strongly, the reference
// gives the colour of its own answer and the colours it would have with any one of
// those lights flipped between lit and shadowed; the game's pixel agrees when it lies
// nearest the reference's own answer. Pixels on a shadow or geometry edge (within
// edgeRadius of a change of surface or of a light's visibility), pixels no light
// reaches strongly, and the overlay text's rows are not counted. Of the counted pixels
// it also tells how many have the reference's colour, which lit/shadowed alone does not
// see (a light of the wrong hue or strength still lies nearest the lit answer).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reference/RayTracer.h"

namespace arvel::reference {

struct ComparisonOptions {
    int maskTopRows = 20;  // the statistics overlay
    int edgeRadius = 1;
    float significant = 16.0f;      // a light's smallest contribution (of 255) that counts
    float colourTolerance = 24.0f;  // of 255, summed over red, green and blue
};

struct Comparison {
    int counted = 0;  // pixels whose lit or shadowed state is compared
    int agreeing = 0;
    int colourAgreeing = 0;  // counted pixels within colourTolerance of the reference
    int edges = 0;           // left out as shadow or geometry edges
    int ambiguous = 0;       // left out: flipping a light would hardly change the colour
    int backgroundCounted = 0, backgroundAgreeing = 0;  // pixels with nothing to see
    // The game's picture in grey, counted pixels that disagree in red, pixels left out
    // in dark blue; 3 bytes a pixel, rows top-down.
    std::vector<uint8_t> difference;

    double agreement() const { return counted ? static_cast<double>(agreeing) / counted : 0.0; }
    double colourAgreement() const {
        return counted ? static_cast<double>(colourAgreeing) / counted : 0.0;
    }
    std::string summary() const;
};

// gameRgb: reference.width x reference.height pixels of 3 bytes, rows top-down.
Comparison compareLighting(const ReferenceImage& reference, const uint8_t* gameRgb,
                           const ComparisonOptions& options = {});

}  // namespace arvel::reference
