#include <gtest/gtest.h>

#include "TechniqueTestSupport.h"
#include "fs/DataStream.h"
#include "render/Material.h"
#include "render/Texture.h"
#include "support/ExceptionText.h"

namespace arvel::test {
namespace {

// A material record: flags, opacity, technique name, texture count, texture names.
std::string materialRecord(int flags, int opacity, const std::string& technique,
                           std::initializer_list<std::string> textureNames) {
    std::string out;
    out.push_back(static_cast<char>(flags));
    out.push_back(static_cast<char>(opacity));
    out += technique;
    out.push_back('\0');
    putLe32(out, static_cast<int32_t>(textureNames.size()));
    for (const std::string& name : textureNames) {
        out += name;
        out.push_back('\0');
    }
    return out;
}

class MaterialLoading : public TechniqueTest {
protected:
    MaterialLoading() { provide("wall.rt", "Ambient { impl { Pass { Texture 0, Texture1 } } }"); }

    void load(Material& material, const std::string& record) {
        DataStream stream(record.data(), static_cast<int>(record.size()));
        material.loadMaterial(stream);
    }
};

TEST_F(MaterialLoading, RecordSetsSwitchesOpacityTechniqueAndTextures) {
    Material material(&textures, &programs);
    load(material, materialRecord(3, 255, "wall.rt", {"a.tga", "b.tga"}));
    EXPECT_TRUE(material.firstSwitch());
    EXPECT_TRUE(material.secondSwitch());
    EXPECT_FLOAT_EQ(material.opacity(), 1.0f);
    ASSERT_NE(material.technique(), nullptr);
    EXPECT_EQ(material.technique()->name(), "wall.rt");
    EXPECT_EQ(material.technique()->ambientPasses().size(), 1u);
    ASSERT_EQ(material.textures().size(), 2u);
    EXPECT_EQ(material.textures()[0]->name(), "a.tga");
    EXPECT_EQ(material.textures()[1]->name(), "b.tga");
    EXPECT_TRUE(material.textures()[0]->compress());
    EXPECT_TRUE(material.textures()[0]->mipmaps());
}

TEST_F(MaterialLoading, FlagBitsAreIndependentAndOpacityIsAFraction) {
    Material material(&textures, &programs);
    load(material, materialRecord(0xFE, 51, "wall.rt", {}));
    EXPECT_FALSE(material.firstSwitch());
    EXPECT_TRUE(material.secondSwitch());
    EXPECT_FLOAT_EQ(material.opacity(), 0.2f);
    EXPECT_TRUE(material.textures().empty());
}

TEST_F(MaterialLoading, MaterialsShareTechniquesAndCountTextureReferences) {
    Material first(&textures, &programs);
    Material second(&textures, &programs);
    load(first, materialRecord(0, 255, "wall.rt", {"a.tga"}));
    load(second, materialRecord(0, 255, "WALL.RT", {"A.TGA", "b.tga"}));
    EXPECT_EQ(first.technique(), second.technique());
    EXPECT_EQ(first.textures()[0], second.textures()[0]);
    EXPECT_EQ(first.textures()[0]->refCount(), 2);
    EXPECT_EQ(second.textures()[1]->refCount(), 1);
    EXPECT_EQ(textures.size(), 2u);
    EXPECT_EQ(programs.size(), 1u);
}

TEST_F(MaterialLoading, DestructionReleasesButKeepsRegisteredResources) {
    Texture* texture = nullptr;
    {
        Material material(&textures, &programs);
        load(material, materialRecord(0, 255, "wall.rt", {"a.tga"}));
        texture = material.textures()[0];
    }
    EXPECT_EQ(texture->refCount(), 0);
    EXPECT_EQ(textures.find("a.tga"), texture);
    EXPECT_NE(programs.find("wall.rt"), nullptr);
}

TEST_F(MaterialLoading, WithoutRegistriesTheMaterialOwnsWhatItLoads) {
    provide("red.tga", targaFile({.width = 1, .height = 1, .depth = 24}, bytes({0, 0, 255})));
    driver.setResult("dRegisterTexture", fakeHandle<DTexture>(1));
    {
        Material material(nullptr, nullptr);
        load(material, materialRecord(0, 255, "wall.rt", {"red.tga"}));
        ASSERT_EQ(material.textures().size(), 1u);
        EXPECT_TRUE(material.textures()[0]->loaded());
        material.textures()[0]->activate(0);
        EXPECT_EQ(material.technique()->programRegistry(), nullptr);
    }
    // Deleting the owned texture removes its driver texture.
    EXPECT_EQ(driver.countOf("dRemoveTexture"), 1);
    EXPECT_EQ(textures.size(), 0u);
}

TEST_F(MaterialLoading, MissingTechniqueFilePropagatesItsError) {
    Material material(&textures, &programs);
    const std::string message =
        exceptionText([&] { load(material, materialRecord(0, 255, "gone.rt", {})); });
    EXPECT_TRUE(contains(message, "Failed to open render technique: gone.rt\n"));
    EXPECT_TRUE(contains(message, "Script is: gone.rt\n"));
    EXPECT_EQ(material.technique(), nullptr);
    EXPECT_EQ(programs.size(), 0u);
}

TEST_F(MaterialLoading, TruncatedRecordThrowsTheStreamError) {
    Material material(&textures, &programs);
    std::string record = materialRecord(0, 255, "wall.rt", {"a.tga", "b.tga"});
    record.resize(record.size() - 3);  // inside the second name
    EXPECT_NE(exceptionText([&] { load(material, record); }), "");
    EXPECT_EQ(material.textures().size(), 1u);
}

TEST_F(MaterialLoading, AddTextureCountsAReferenceOnlyWithARegistry) {
    auto* shared = new Texture("s.tga", true, true, true);
    textures.add(shared);
    {
        Material material(&textures, &programs);
        material.addTexture(shared);
        EXPECT_EQ(shared->refCount(), 1);
        ASSERT_EQ(material.textures().size(), 1u);
        EXPECT_EQ(material.textures()[0], shared);
    }
    EXPECT_EQ(shared->refCount(), 0);

    Material owner(nullptr, nullptr);
    owner.addTexture(new Texture("own.tga", false, false, true));
    EXPECT_EQ(owner.textures()[0]->refCount(), 0);
}

TEST_F(MaterialLoading, MaterialTexturesBindThroughTheTechniquesSlots) {
    Material material(&textures, &programs);
    load(material, materialRecord(0, 255, "wall.rt", {"a.tga", "b.tga"}));
    material.textures()[1]->createBlank(1, 1, Texture::kFormatRgba, 1);
    driver.setResult("dRegisterTexture", fakeHandle<DTexture>(1));
    driver.clearCalls();
    material.technique()->ambientPasses()[0]->bindMaterialTextures(material.textures());
    EXPECT_EQ(driver.callsTo({"dActivateTexture"}),
              (std::vector<std::string>{"dActivateTexture(ptr, 0, 0)"}));
}

}  // namespace
}  // namespace arvel::test
