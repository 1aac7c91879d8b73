// Overlay text: short formatted texts drawn over the frame in normalised device
// coordinates, one screen-aligned quad per character, through the technique "font.rt"
// and a glyph image of 16 x 16 equal cells indexed by the character code.
#pragma once

#include <memory>

namespace arvel {

class Material;
class RenderTechnique;

class Font {
public:
    static constexpr int kTextCapacity = 4096;

    // Loads the glyph image and "font.rt". Throws an Exception ending in "Could not
    // create font: <file>" when either is missing or unusable. A glyph covers its cell
    // size in screen pixels on a screen of screenWidth x screenHeight.
    Font(const char* file, int screenWidth, int screenHeight);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The window's new size: glyphs keep their size in pixels.
    void setScreenSize(int screenWidth, int screenHeight);

    // Projection and model-view saved and set to the identity-based 2D view;
    // end2D restores them.
    void begin2D() const;
    void end2D() const;
    // Formats and draws the text, its first glyph's top left corner at (x, y). At most
    // kTextCapacity - 1 characters are drawn; '\n' starts the next line at x.
    void print(float x, float y, const char* format, ...) const
        __attribute__((format(printf, 4, 5)));

    float glyphWidth() const { return glyphWidth_; }
    float glyphHeight() const { return glyphHeight_; }
    float cellU() const { return cellU_; }
    float cellV() const { return cellV_; }
    // "font.rt", for the reload check.
    RenderTechnique* technique() const { return technique_; }

private:
    void drawText(const char* text, float x, float y) const;

    RenderTechnique* technique_ = nullptr;
    Material* textureSet_ = nullptr;
    int imageWidth_ = 0;  // the glyph image's pixels
    int imageHeight_ = 0;
    float glyphWidth_ = 0.0f;
    float glyphHeight_ = 0.0f;
    float cellU_ = 0.0f;
    float cellV_ = 0.0f;
};

}  // namespace arvel
