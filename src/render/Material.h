// A mesh surface's look: a render technique, the textures its symbolic texture slots
// index, an opacity and two switches read by the renderer.
#pragma once

#include <vector>

namespace arvel {

class DataStream;
class RenderTechnique;
class ResourceRegistry;
class Texture;

class Material {
public:
    // Registries are not owned; without them the material owns what it loads.
    Material(ResourceRegistry* textureRegistry, ResourceRegistry* techniqueRegistry);
    ~Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;

    // Reads a material record (flags byte, opacity byte, technique name, texture count,
    // texture names) and resolves the names, sharing through the registries. Errors
    // from the stream or from loading the technique propagate.
    void loadMaterial(DataStream& stream);
    // Appends texture to the list (counting a reference when there is a registry).
    void addTexture(Texture* texture);

    RenderTechnique* technique() const { return technique_; }
    const std::vector<Texture*>& textures() const { return textures_; }
    float opacity() const { return opacity_; }
    bool firstSwitch() const { return firstSwitch_; }
    bool secondSwitch() const { return secondSwitch_; }

private:
    RenderTechnique* obtainTechnique(const char* name);
    Texture* obtainTexture(const char* name);
    Texture* obtainFlatNormalMap();  // for dbg_flat_white

    ResourceRegistry* textureRegistry_;
    ResourceRegistry* techniqueRegistry_;
    bool secondSwitch_ = false;
    bool firstSwitch_ = false;
    float opacity_ = 1.0f;
    RenderTechnique* technique_ = nullptr;
    std::vector<Texture*> textures_;
};

}  // namespace arvel
