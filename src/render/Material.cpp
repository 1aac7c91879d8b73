#include "render/Material.h"

#include <cstdint>
#include <string>

#include "console/Settings.h"
#include "core/Exception.h"
#include "fs/DataStream.h"
#include "render/RenderTechnique.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"

namespace arvel {

namespace {

// The registry name of the flat normal map; no file has it.
constexpr const char* kFlatNormalName = "*flat normal*";

// A 2 x 2 Targa whose normals all point straight out of the surface (0.5, 0.5, 1).
Texture* createFlatNormalMap() {
    const uint8_t header[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    std::string bytes(reinterpret_cast<const char*>(header), sizeof header);
    for (int i = 0; i < 4; ++i) bytes += "\xff\x80\x80";  // blue, green, red
    // Uncompressed: a block-compressed normal would lean.
    auto* texture = new Texture(kFlatNormalName, true, true, false);
    DataStream stream(bytes.data(), static_cast<int>(bytes.size()));
    texture->loadTarga(stream);
    return texture;
}

}  // namespace

Material::Material(ResourceRegistry* textureRegistry, ResourceRegistry* techniqueRegistry)
    : textureRegistry_(textureRegistry), techniqueRegistry_(techniqueRegistry) {}

Material::~Material() {
    for (Texture* texture : textures_) {
        if (textureRegistry_)
            textureRegistry_->release(texture);
        else
            delete texture;
    }
    if (techniqueRegistry_)
        techniqueRegistry_->release(technique_);
    else
        delete technique_;
}

void Material::loadMaterial(DataStream& stream) {
    const uint8_t flags = stream.readByte();
    firstSwitch_ = (flags & 1) != 0;
    secondSwitch_ = (flags & 2) != 0;
    opacity_ = static_cast<float>(stream.readByte()) * (1.0f / 255.0f);

    const std::string techniqueName = stream.readString();
    RenderTechnique* technique = obtainTechnique(techniqueName.c_str());
    // A record read twice replaces the technique; the old one is given back.
    if (technique_ && technique_ != technique) {
        if (techniqueRegistry_)
            techniqueRegistry_->release(technique_);
        else
            delete technique_;
    }
    technique_ = technique;

    const bool flatWhite = settings().dbgFlatWhite.flag;
    const int32_t count = stream.readInt32();
    for (int32_t i = 0; i < count; ++i) {
        const std::string textureName = stream.readString();
        if (!flatWhite)
            textures_.push_back(obtainTexture(textureName.c_str()));
        else if (i == 0)
            textures_.push_back(obtainTexture("white.tga"));
        else
            textures_.push_back(obtainFlatNormalMap());
    }
}

RenderTechnique* Material::obtainTechnique(const char* name) {
    if (techniqueRegistry_) {
        if (auto* shared = dynamic_cast<RenderTechnique*>(techniqueRegistry_->find(name)))
            return shared;
    }
    auto* technique = new RenderTechnique(name, techniqueRegistry_, textureRegistry_);
    try {
        technique->load();
    } catch (Exception*) {
        delete technique;
        throw;
    }
    if (techniqueRegistry_) techniqueRegistry_->add(technique);
    return technique;
}

Texture* Material::obtainTexture(const char* name) {
    Texture* texture =
        textureRegistry_ ? dynamic_cast<Texture*>(textureRegistry_->find(name)) : nullptr;
    if (!texture) {
        texture = new Texture(name, true, true, true);
        try {
            texture->stream();
        } catch (Exception*) {
            delete texture;
            throw;
        }
        if (textureRegistry_) textureRegistry_->add(texture);
    }
    if (textureRegistry_) textureRegistry_->addRef(texture);
    return texture;
}

Texture* Material::obtainFlatNormalMap() {
    Texture* texture = textureRegistry_
                           ? dynamic_cast<Texture*>(textureRegistry_->find(kFlatNormalName))
                           : nullptr;
    if (!texture) {
        texture = createFlatNormalMap();
        if (textureRegistry_) textureRegistry_->add(texture);
    }
    if (textureRegistry_) textureRegistry_->addRef(texture);
    return texture;
}

void Material::addTexture(Texture* texture) {
    if (textureRegistry_) textureRegistry_->addRef(texture);
    textures_.push_back(texture);
}

}  // namespace arvel
