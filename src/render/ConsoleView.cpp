#include "render/ConsoleView.h"

#include <algorithm>
#include <cmath>

#include "core/Exception.h"
#include "driver/Driver.h"
#include "render/Font.h"
#include "render/QuadCorner.h"
#include "render/RenderContext.h"
#include "render/RenderTechnique.h"

namespace arvel {

namespace {

constexpr const char* kTechniqueFile = "console.rt";
constexpr const char* kPrompt = "] ";
// The panel's colour under the text, and the rule along its lower edge.
constexpr float kPanel[3] = {0.05f, 0.06f, 0.12f};
constexpr float kRule[3] = {0.55f, 0.45f, 0.2f};

void fillRectangle(float top, float bottom) {
    QuadCorner corners[4];
    corners[0].set(-1.0f, top);
    corners[1].set(-1.0f, bottom);
    corners[2].set(1.0f, bottom);
    corners[3].set(1.0f, top);
    gDriver.dRenderQuad(&corners[0].vertex, &corners[1].vertex, &corners[2].vertex,
                        &corners[3].vertex);
}

}  // namespace

ConsoleView::ConsoleView()
    : technique_(std::make_unique<RenderTechnique>(kTechniqueFile, nullptr, nullptr)) {
    try {
        technique_->load();
    } catch (Exception* e) {
        problem_ = e->what();
        delete e;
        technique_.reset();
    }
}

ConsoleView::~ConsoleView() = default;

std::vector<std::string> ConsoleView::wrap(const std::string& text, size_t columns) {
    std::vector<std::string> rows;
    if (columns == 0) columns = 1;
    for (size_t at = 0; at < text.size(); at += columns) rows.push_back(text.substr(at, columns));
    if (rows.empty()) rows.emplace_back();
    return rows;
}

void ConsoleView::drawPanel(const Font& font, float bottom, float alpha) const {
    if (!technique_) return;
    const RenderContext& context = renderContext();
    for (const Pass* pass : technique_->ambientPasses()) {
        pass->apply();
        pass->applyObject(context);
        // After the pass, whose object step loads the frame's matrices.
        font.begin2D();
        gDriver.dDisableTextureing(0);
        gDriver.dColor4(kPanel[0], kPanel[1], kPanel[2], alpha);
        fillRectangle(1.0f, bottom);
        gDriver.dColor4(kRule[0], kRule[1], kRule[2], 1.0f);
        fillRectangle(bottom + 0.004f, bottom);
        font.end2D();
        pass->endObject(context);
        pass->end();
    }
}

void ConsoleView::draw(const Font& font, const ConsolePicture& picture) const {
    const float size = std::clamp(std::isfinite(picture.size) ? picture.size : 0.75f, 0.1f, 1.0f);
    const float alpha =
        std::clamp(std::isfinite(picture.transparency) ? picture.transparency : 0.75f, 0.0f, 1.0f);
    const float bottom = 1.0f - 2.0f * size;

    drawPanel(font, bottom, alpha);

    const float glyphWidth = font.glyphWidth();
    const float glyphHeight = font.glyphHeight();
    if (!(glyphWidth > 0.0f) || !(glyphHeight > 0.0f)) return;
    const auto columns = static_cast<size_t>(std::max(1.0f, std::floor(2.0f / glyphWidth) - 1.0f));
    const float left = -1.0f + glyphWidth * 0.5f;

    // The input line, scrolled sideways so that the cursor stays in view.
    const float inputTop = bottom + glyphHeight * 1.25f;
    const std::string prompt = kPrompt;
    const size_t room = columns > prompt.size() + 1 ? columns - prompt.size() - 1 : 1;
    const size_t cursor = std::min(picture.cursor, picture.input.size());
    const size_t first = cursor >= room ? cursor - room + 1 : 0;
    font.print(left, inputTop, "%s%s", kPrompt, picture.input.substr(first, room).c_str());
    if (picture.cursorShown)
        font.print(left + glyphWidth * static_cast<float>(prompt.size() + cursor - first), inputTop,
                   "_");

    // Output rows upwards from above the input line, newest first.
    const auto rows =
        static_cast<int>(std::floor((1.0f - inputTop - glyphHeight * 0.25f) / glyphHeight));
    if (rows <= 0 || !picture.lines) return;
    const std::deque<std::string>& lines = *picture.lines;
    int row = 0;
    float y = inputTop + glyphHeight * 1.25f;
    if (picture.scroll > 0) {
        // More below: a row of marks in place of the newest visible line.
        font.print(left, y, "%s", std::string(std::min<size_t>(columns, 64), '^').c_str());
        ++row;
        y += glyphHeight;
    }
    const int skipped = std::max(0, picture.scroll);
    for (int i = static_cast<int>(lines.size()) - 1 - skipped; i >= 0 && row < rows; --i) {
        const std::vector<std::string> wrapped = wrap(lines[static_cast<size_t>(i)], columns);
        for (auto it = wrapped.rbegin(); it != wrapped.rend() && row < rows; ++it, ++row) {
            font.print(left, y, "%s", it->c_str());
            y += glyphHeight;
        }
    }
}

}  // namespace arvel
