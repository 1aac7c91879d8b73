// Texture handles of the plug-in: one handle holds every frame of an animated texture
// (or every cube map), one texture object per image.
#pragma once

#include <cstdint>
#include <vector>

#include "varnet/Extensions.h"

namespace arvel {

struct DTexture {
    uint8_t mipmapped = 0;
    float sScale = 1.0f;  // factors for the s and t coordinates
    float tScale = 1.0f;
    GLenum pixelType = 0;  // GL_UNSIGNED_BYTE or GL_FLOAT
    int kind = 0;          // 512 map, 513 bump map, 514 cube map
    GLenum target = 0;     // 2D, rectangle or cube map
    int imageCount = 0;
    std::vector<GLuint> names;
    int width = 0;  // level 0 as uploaded, bounds screen copies
    int height = 0;
};

namespace varnet {

// True for a handle dRegisterTexture returned and dRemoveTexture has not freed.
bool isLiveTexture(const DTexture* texture);

// The glGet name of what is bound to a texture target of the active unit.
GLenum textureBindingQuery(GLenum target);

// Makes the texture unit current where the context has more than one.
void selectTextureUnit(int unit);

}  // namespace varnet
}  // namespace arvel
