// One compiled pass of a render technique: a complete record of render state, texture
// units, programs with their constant bindings, required driver features and extension
// calls, plus the operations that hand it to the driver when drawing.
#pragma once

#include <string>
#include <vector>

#include "driver/DriverTypes.h"
#include "render/ScriptCalls.h"

namespace arvel {

class PixelShader;
class RenderContext;
class ResourceRegistry;
class Texture;
class VertexProgram;
struct DParameter;

// Codes of the constant bindings (the value uploaded before each drawn object).
namespace binding {
inline constexpr int kLightWorldSpace = 0;
inline constexpr int kLightEyeSpace = 1;
inline constexpr int kLightObjectSpace = 2;
inline constexpr int kLightData = 3;
inline constexpr int kLightAmbient = 4;
inline constexpr int kCameraWorldSpace = 0x10;
inline constexpr int kCameraObjectSpace = 0x11;
inline constexpr int kModelViewMatrix = 0x20;
inline constexpr int kProjectionMatrix = 0x21;
inline constexpr int kModelViewProjection = 0x22;
inline constexpr int kModelViewInverse = 0x23;
inline constexpr int kModelWorldMatrix = 0x24;
inline constexpr int kTextureScale0 = 0x30;  // to 0x37
inline constexpr int kShadowPushBack = 0x40;
inline constexpr int kShadowExtrusion = 0x41;
inline constexpr int kBoneMatrix0 = 0x100;       // to 0x10F
inline constexpr int kLightBoneSpace0 = 0x200;   // to 0x20F
inline constexpr int kCameraBoneSpace0 = 0x300;  // to 0x30F
inline constexpr int kBoneCount = 16;
}  // namespace binding

struct ConstantBinding {
    DParameter* parameter = nullptr;
    int code = 0;
    std::string name;  // the program's parameter, to find it again in a rebuilt program
};

using DriverSwitch = void (*)();

// A feature the pass needs: how to switch it on and off (either may be missing).
struct RequiredFeature {
    DriverSwitch enable = nullptr;
    DriverSwitch disable = nullptr;
};

// A further driver function called with up to six int arguments when the pass is set up,
// through the invoker that knows its real parameter types.
struct ExtensionCall {
    static constexpr int kMaxArguments = 6;
    void* function = nullptr;
    ScriptInvoker invoke = nullptr;
    int argumentCount = 0;
    int arguments[kMaxArguments] = {};
};

class Pass {
public:
    static constexpr int kMaxTextureUnits = 32;
    // Material slots at or above this are never bound.
    static constexpr int kMaxMaterialSlot = 0x20000;

    Pass(ResourceRegistry* programRegistry, ResourceRegistry* textureRegistry);
    // Releases shared programs and textures (deletes them when there is no registry).
    ~Pass();
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

    // Compile time.
    // Loads (or shares) the texture file for unit; a texture that cannot be loaded is
    // reported with a fatal box and the unit stays empty.
    void bindTextureFile(int unit, const char* fileName, int filter, int wrap, bool compress);
    void setMaterialSlot(int unit, int slot);
    // A program that cannot be built leaves the pass without it and unusable, and the
    // first such failure's text (files and the driver's message) in failure.
    void attachVertexProgram(const std::vector<std::string>& files);
    void attachPixelShader(const std::vector<std::string>& files);
    // Takes each constant's parameter handle anew from the vertex program, whose driver
    // program may have been rebuilt since.
    void refreshParameters();

    // Drawing, in the order the render queue uses them.
    void apply() const;
    void applyObject(const RenderContext& context) const;
    void bindMaterialTextures(const std::vector<Texture*>& materialTextures) const;
    void endObject(const RenderContext& context) const;
    void end() const;

    ResourceRegistry* programRegistry;
    ResourceRegistry* textureRegistry;
    int cullMode = 0;  // 0 back faces, 1 front faces, 2 none
    bool colourWrite = true;
    bool alphaWrite = true;
    bool depthWrite = true;
    int depthFunction = dcode::kLessEqual;
    bool blending = false;
    unsigned blendMode = dcode::blendMode(dcode::kBlendOne, dcode::kBlendZero);
    bool alphaTest = false;
    int alphaFunction = dcode::kAlways;
    float alphaReference = 0.0f;
    bool polygonOffset = false;
    float offsetFactor = 0.0f;
    float offsetUnits = 0.0f;
    bool stencil = false;
    int stencilFunction = dcode::kAlways;
    int stencilReference = 0;
    unsigned stencilMask = 0xFFFFFFFFu;
    int stencilFail = dcode::kKeep;
    int depthFail = dcode::kKeep;
    int depthPass = dcode::kKeep;
    bool occlusionQuery = false;
    float scissorScale = 1.0f;
    int textureUnitCount = 0;
    int materialSlots[kMaxTextureUnits];
    Texture* textures[kMaxTextureUnits] = {};
    int attributeMask = -1;
    std::vector<ConstantBinding> constants;
    VertexProgram* vertexProgram = nullptr;
    PixelShader* pixelShader = nullptr;
    std::vector<RequiredFeature> requiredFeatures;
    std::vector<ExtensionCall> extensionCalls;
    bool usable = true;
    std::string failure;

private:
    void noteFailure(const std::string& why);
    void uploadConstant(const ConstantBinding& constant, const RenderContext& context) const;
};

// A stage's passes, in order. The render queue tells stages apart by the list's address.
using PassList = std::vector<Pass*>;

// Deletes every pass of the list and empties it.
void destroyPasses(PassList& passes);

}  // namespace arvel
