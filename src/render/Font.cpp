#include "render/Font.h"

#include <cstdarg>
#include <cstdio>

#include "core/Exception.h"
#include "driver/Driver.h"
#include "render/Material.h"
#include "render/QuadCorner.h"
#include "render/RenderContext.h"
#include "render/RenderTechnique.h"
#include "render/Texture.h"

namespace arvel {

namespace {

constexpr const char* kSource = "2dGraphics\\Font";
constexpr int kCreateFailureLine = 40;
constexpr const char* kTechniqueFile = "font.rt";
constexpr int kGridCells = 16;

}  // namespace

Font::Font(const char* file, int screenWidth, int screenHeight) {
    auto* texture = new Texture(file ? file : "", false, false, true);
    technique_ = new RenderTechnique(kTechniqueFile, nullptr, nullptr);
    float s = 1.0f, t = 1.0f;
    try {
        texture->stream();
        // A missing image loads nothing without a word; the font cannot do without it.
        if (!texture->loaded())
            throw new Exception(__LINE__, kSource, "Font image %s is missing or unreadable\n",
                                texture->name().c_str());
        technique_->load();
        imageWidth_ = texture->width();
        imageHeight_ = texture->height();
        setScreenSize(screenWidth, screenHeight);
        texture->getNormalizationFactors(&s, &t);
    } catch (Exception* cause) {
        delete texture;
        delete technique_;
        technique_ = nullptr;
        throw new Exception(kCreateFailureLine, kSource, cause, "Could not create font: %s\n",
                            file ? file : "");
    }
    cellU_ = s * 0.0625f;
    cellV_ = t * 0.0625f;
    textureSet_ = new Material(nullptr, nullptr);
    textureSet_->addTexture(texture);
}

void Font::setScreenSize(int screenWidth, int screenHeight) {
    const int width = screenWidth > 0 ? screenWidth : 1;
    const int height = screenHeight > 0 ? screenHeight : 1;
    glyphWidth_ = static_cast<float>(imageWidth_) * 2.0f /
                  (static_cast<float>(width) * static_cast<float>(kGridCells));
    glyphHeight_ = static_cast<float>(imageHeight_) * 2.0f /
                   (static_cast<float>(height) * static_cast<float>(kGridCells));
}

Font::~Font() {
    delete technique_;
    delete textureSet_;
}

void Font::begin2D() const {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dPushMatrix();
    gDriver.dLoadIdentity();
    gDriver.dOrtho(-1, 1, -1, 1, -1, 1);
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dPushMatrix();
    gDriver.dLoadIdentity();
    gDriver.dMatrixMode(dcode::kTextureMatrix);
    gDriver.dLoadIdentity();
    gDriver.dDisableScissor();
}

void Font::end2D() const {
    gDriver.dMatrixMode(dcode::kProjection);
    gDriver.dPopMatrix();
    gDriver.dMatrixMode(dcode::kModelView);
    gDriver.dPopMatrix();
}

void Font::print(float x, float y, const char* format, ...) const {
    char text[kTextCapacity];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(text, sizeof text, format ? format : "", args);
    va_end(args);
    // A text too long for the buffer is cut at its end; a failed format draws nothing.
    if (length < 0) text[0] = '\0';
    drawText(text, x, y);
}

void Font::drawText(const char* text, float x, float y) const {
    const RenderContext& context = renderContext();
    QuadCorner corners[4];
    gDriver.dColor4(1, 1, 1, 1);
    for (const Pass* pass : technique_->ambientPasses()) {
        pass->apply();
        pass->applyObject(context);
        pass->bindMaterialTextures(textureSet_->textures());
        begin2D();
        float penX = x;
        float penY = y;
        int line = 0;
        for (const char* p = text; *p; ++p) {
            if (*p == '\n') {
                ++line;
                penX = x;
                penY = y - static_cast<float>(line) * glyphHeight_;
                continue;
            }
            const int c = static_cast<signed char>(*p);
            const int column = c % kGridCells;
            const int row = c / kGridCells;
            const float u = static_cast<float>(column) * cellU_;
            const float top = kGridCells * cellV_ - static_cast<float>(row) * cellV_;
            corners[0].set(penX, penY, u, top);
            corners[1].set(penX, penY - glyphHeight_, u, top - cellV_);
            corners[2].set(penX + glyphWidth_, penY - glyphHeight_, u + cellU_, top - cellV_);
            corners[3].set(penX + glyphWidth_, penY, u + cellU_, top);
            gDriver.dRenderQuad(&corners[0].vertex, &corners[1].vertex, &corners[2].vertex,
                                &corners[3].vertex);
            penX += glyphWidth_;
        }
        end2D();
        pass->endObject(context);
        pass->end();
    }
}

}  // namespace arvel
