// The drop-down console over the frame: a translucent panel from the top of the window,
// the newest output lines above the input line, the input line with its cursor. It only
// draws what it is given; the console's logic lives in src/console.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace arvel {

class Font;
class RenderTechnique;

struct ConsolePicture {
    const std::deque<std::string>* lines = nullptr;  // oldest first
    int scroll = 0;                                  // lines hidden below the view
    std::string input;
    size_t cursor = 0;
    float size = 0.75f;          // share of the window's height, clamped to [0.1, 1]
    float transparency = 0.75f;  // the panel's opacity, clamped to [0, 1]
    bool cursorShown = true;     // blinks
};

class ConsoleView {
public:
    // Loads "console.rt", the panel's blending state. Without it only the text is drawn
    // and problem() says why.
    ConsoleView();
    ~ConsoleView();
    ConsoleView(const ConsoleView&) = delete;
    ConsoleView& operator=(const ConsoleView&) = delete;

    void draw(const Font& font, const ConsolePicture& picture) const;

    // Rows of at most columns characters that text takes when wrapped (at least one).
    static std::vector<std::string> wrap(const std::string& text, size_t columns);

    const std::string& problem() const { return problem_; }
    // "console.rt", or null without it.
    RenderTechnique* technique() const { return technique_.get(); }

private:
    void drawPanel(const Font& font, float bottom, float alpha) const;

    std::unique_ptr<RenderTechnique> technique_;
    std::string problem_;
};

}  // namespace arvel
