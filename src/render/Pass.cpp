#include "render/Pass.h"

#include <climits>
#include <cmath>

#include "console/Settings.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "driver/Driver.h"
#include "render/PixelShader.h"
#include "render/RenderContext.h"
#include "render/ResourceRegistry.h"
#include "render/Texture.h"
#include "render/VertexProgram.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Primitives\\RenderTechnique";
constexpr int kTextureFailureLine = 404;

// A plug-in may lack any function but the display ones; a missing one does nothing.
template <typename R, typename... P, typename... A>
R call(R (*function)(P...), A... args) {
    if (!function) return R();
    return function(args...);
}

dbool asDriverBool(bool value) { return value ? 1 : 0; }

bool validUnit(int unit) { return unit >= 0 && unit < Pass::kMaxTextureUnits; }

Vector4 asPoint(const Vector4& p) { return {p.x, p.y, p.z, 1.0f}; }

Vector4 transformed(const Matrix4& m, const Vector4& p) { return asPoint(m.transformPoint(p)); }

// p carried into the space of the node whose matrix is m; false when m has no inverse.
bool intoSpaceOf(const Matrix4* m, const Vector4& p, Vector4& out) {
    Matrix4 inverse;
    if (!m || !m->invert(inverse)) return false;
    out = transformed(inverse, p);
    return true;
}

void uploadVector(DParameter* parameter, const Vector4& v) {
    const float values[4] = {v.x, v.y, v.z, v.w};
    call(gDriver.dSetVertexProgramParameter, parameter, values);
}

void uploadMatrix(DParameter* parameter, const Matrix4& m) {
    call(gDriver.dSetVertexProgramMatrix, parameter, m.m);
}

const Matrix4* boneMatrix(const RenderContext& context, int bone) {
    if (bone < 0 || static_cast<size_t>(bone) >= context.bones.size()) return nullptr;
    return context.bones[static_cast<size_t>(bone)];
}

// Arguments beyond argumentCount are 0: the invoker always reads six.
void invokeExtension(const ExtensionCall& extension) {
    if (extension.invoke) extension.invoke(extension.function, extension.arguments);
}

// A scaled scissor edge in whole pixels. The scale comes from a script and can carry
// the edge beyond what an int holds (or make it NaN), so it is clamped.
int pixelCoordinate(float value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<float>(INT_MIN)) return INT_MIN;
    if (value >= static_cast<float>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
}

bool occlusionActive(const Pass& pass, const RenderContext& context) {
    return pass.occlusionQuery && settings().gfxHwOcclusionCulling.flag &&
           context.occlusionQueries != nullptr;
}

}  // namespace

Pass::Pass(ResourceRegistry* programs, ResourceRegistry* textureSource)
    : programRegistry(programs), textureRegistry(textureSource) {
    for (int& slot : materialSlots) slot = -1;
}

Pass::~Pass() {
    if (programRegistry) {
        programRegistry->release(vertexProgram);
        programRegistry->release(pixelShader);
    } else {
        delete vertexProgram;
        delete pixelShader;
    }
    for (Texture*& texture : textures) {
        if (!texture) continue;
        if (textureRegistry)
            textureRegistry->release(texture);
        else
            delete texture;
        texture = nullptr;
    }
}

void Pass::bindTextureFile(int unit, const char* fileName, int filter, int wrap, bool compress) {
    if (!validUnit(unit) || !fileName) return;
    if (textureUnitCount < unit + 1) textureUnitCount = unit + 1;
    Texture* created = nullptr;
    try {
        Texture* texture = nullptr;
        if (textureRegistry) {
            texture = dynamic_cast<Texture*>(textureRegistry->find(fileName));
            if (!texture) {
                created = new Texture(fileName, true, true, compress);
                created->stream();
                created->setParam(Texture::kParamFilter, filter);
                created->setParam(Texture::kParamWrapS, wrap);
                created->setParam(Texture::kParamWrapT, wrap);
                created->setParam(Texture::kParamWrapR, wrap);
                textureRegistry->add(created);
                texture = created;
                created = nullptr;
            }
            textureRegistry->addRef(texture);
        } else {
            created = new Texture(fileName, true, true, compress);
            created->stream();
            texture = created;
            created = nullptr;
        }
        // A unit named twice keeps only the last file; the first is given back.
        if (textures[unit]) {
            if (textureRegistry)
                textureRegistry->release(textures[unit]);
            else
                delete textures[unit];
        }
        textures[unit] = texture;
    } catch (Exception* error) {
        delete error;
        delete created;
        SetErrorLocation(kTextureFailureLine, kSource);
        FatalError("Error: could not load none material bound texture %s\n", fileName);
    }
}

void Pass::setMaterialSlot(int unit, int slot) {
    if (!validUnit(unit)) return;
    if (textureUnitCount < unit + 1) textureUnitCount = unit + 1;
    materialSlots[unit] = slot;
}

void Pass::noteFailure(const std::string& why) {
    if (usable) failure = why;
    usable = false;
}

void Pass::attachVertexProgram(const std::vector<std::string>& files) {
    std::string why;
    VertexProgram* program = VertexProgram::obtain(files, programRegistry, &why);
    if (vertexProgram) {
        if (programRegistry)
            programRegistry->release(vertexProgram);
        else if (vertexProgram != program)
            delete vertexProgram;
    }
    vertexProgram = program;
    if (!program) noteFailure(why);
}

void Pass::attachPixelShader(const std::vector<std::string>& files) {
    std::string why;
    PixelShader* shader = PixelShader::obtain(files, programRegistry, &why);
    if (pixelShader) {
        if (programRegistry)
            programRegistry->release(pixelShader);
        else if (pixelShader != shader)
            delete pixelShader;
    }
    pixelShader = shader;
    if (!shader) noteFailure(why);
}

void Pass::refreshParameters() {
    for (ConstantBinding& constant : constants)
        constant.parameter =
            vertexProgram ? vertexProgram->getParameter(constant.name.c_str()) : nullptr;
}

void Pass::apply() const {
    call(gDriver.dDepthMask, asDriverBool(depthWrite));
    call(gDriver.dColorMask, asDriverBool(colourWrite), asDriverBool(colourWrite),
         asDriverBool(colourWrite), asDriverBool(alphaWrite));
    // Passing every fragment needs no depth test at all.
    if (depthFunction == dcode::kAlways) {
        call(gDriver.dDisableDepth);
    } else {
        call(gDriver.dDepthFunc, depthFunction);
        call(gDriver.dEnableDepth);
    }
    if (alphaTest) {
        call(gDriver.dAlphaFunc, alphaFunction, alphaReference);
        call(gDriver.dEnableAlphaTest);
    } else {
        call(gDriver.dDisableAlphaTest);
    }
    if (blending) {
        call(gDriver.dBlendFunc, blendMode);
        call(gDriver.dEnableBlend);
    } else {
        call(gDriver.dDisableBlend);
    }
    if (polygonOffset) {
        call(gDriver.dPolygonOffset, offsetFactor, offsetUnits);
        call(gDriver.dEnableOffset);
    } else {
        call(gDriver.dDisableOffset);
    }
    if (stencil) {
        call(gDriver.dEnableStencil);
        call(gDriver.dStencilFunc, stencilFunction, stencilReference, stencilMask);
        call(gDriver.dStencilOp, stencilFail, depthFail, depthPass);
    } else {
        call(gDriver.dDisableStencil);
    }

    int unit = 0;
    for (; unit < textureUnitCount && unit < kMaxTextureUnits; ++unit) {
        if (textures[unit])
            textures[unit]->activate(unit);
        else
            call(gDriver.dDisableTextureing, unit);
    }
    for (; unit < call(gDriver.dTextureUnits); ++unit) call(gDriver.dDisableTextureing, unit);

    if (vertexProgram)
        vertexProgram->bind();
    else
        call(gDriver.dDisableVertexProgram);
    if (pixelShader)
        pixelShader->bind();
    else
        call(gDriver.dDisablePixelShader);

    if (cullMode == 2) {
        call(gDriver.dDisableCull);
    } else {
        call(gDriver.dEnableCull);
        call(gDriver.dCullFace, cullMode == 1 ? dcode::kFront : dcode::kBack);
    }

    for (const RequiredFeature& feature : requiredFeatures)
        if (feature.enable) feature.enable();
    for (const ExtensionCall& extension : extensionCalls)
        if (extension.function) invokeExtension(extension);
    call(gDriver.dVASetActiveAttribs, attributeMask);
}

void Pass::applyObject(const RenderContext& context) const {
    call(gDriver.dMatrixMode, dcode::kProjection);
    call(gDriver.dMatrix, static_cast<const float*>(context.projection.m));
    call(gDriver.dMatrixMode, dcode::kModelView);
    call(gDriver.dMatrix, static_cast<const float*>(context.modelView.m));

    if (settings().gfxScissor.flag && context.scissorValid) {
        const float dx = static_cast<float>(context.scissorWidth) * 0.5f * (scissorScale - 1.0f);
        const float dy = static_cast<float>(context.scissorHeight) * 0.5f * (scissorScale - 1.0f);
        const int x = pixelCoordinate(std::floor(static_cast<float>(context.scissorX) - dx));
        const int y = pixelCoordinate(std::floor(static_cast<float>(context.scissorY) - dy));
        const int w = pixelCoordinate(std::ceil(static_cast<float>(context.scissorWidth) + 2 * dx));
        const int h =
            pixelCoordinate(std::ceil(static_cast<float>(context.scissorHeight) + 2 * dy));
        call(gDriver.dEnableScissor);
        call(gDriver.dScissor, x, y, w, h);
    } else {
        call(gDriver.dDisableScissor);
    }

    if (occlusionActive(*this, context)) {
        call(gDriver.dEnableOcclusion);
        call(gDriver.dBeginOcclusionQuery, context.occlusionQueryIndex, context.occlusionQueries);
    } else {
        call(gDriver.dDisableOcclusion);
    }

    for (const ConstantBinding& constant : constants) uploadConstant(constant, context);
}

// Values that need something the context does not hold (no light, no object, a bone
// beyond the list, a matrix without inverse) are not uploaded.
void Pass::uploadConstant(const ConstantBinding& constant, const RenderContext& context) const {
    const int code = constant.code;
    DParameter* parameter = constant.parameter;
    const Vector4* light = context.lightPosition;
    const Vector4* camera = context.cameraPosition;
    Vector4 value;
    switch (code) {
        case binding::kLightWorldSpace:
            if (light) uploadVector(parameter, asPoint(*light));
            return;
        case binding::kLightEyeSpace:
            if (light && context.viewMatrix)
                uploadVector(parameter, transformed(*context.viewMatrix, *light));
            return;
        case binding::kLightObjectSpace:
            if (light && intoSpaceOf(context.objectMatrix, *light, value))
                uploadVector(parameter, value);
            return;
        case binding::kLightData:
            if (context.lightColour && context.lightOuterRadius) {
                const float* colour = context.lightColour;
                uploadVector(parameter,
                             {0.5f / *context.lightOuterRadius, colour[0], colour[1], colour[2]});
            }
            return;
        case binding::kLightAmbient:
            uploadVector(parameter, {0.25f, 0.25f, 0.25f, 0.25f});
            return;
        case binding::kCameraWorldSpace:
            if (camera) uploadVector(parameter, asPoint(*camera));
            return;
        case binding::kCameraObjectSpace:
            if (camera && intoSpaceOf(context.objectMatrix, *camera, value))
                uploadVector(parameter, value);
            return;
        case binding::kModelViewMatrix:
            uploadMatrix(parameter, context.modelView);
            return;
        case binding::kProjectionMatrix:
            uploadMatrix(parameter, context.projection);
            return;
        case binding::kModelViewProjection:
            uploadMatrix(parameter, multiply(context.projection, context.modelView));
            return;
        case binding::kModelWorldMatrix:
            if (context.objectMatrix) uploadMatrix(parameter, *context.objectMatrix);
            return;
        case binding::kShadowExtrusion:
            uploadVector(parameter, {context.shadowExtrusion, 0.0f, 0.0f, 0.0f});
            return;
        default:
            break;
    }
    if (code >= binding::kBoneMatrix0 && code < binding::kBoneMatrix0 + binding::kBoneCount) {
        if (const Matrix4* bone = boneMatrix(context, code - binding::kBoneMatrix0))
            uploadMatrix(parameter, *bone);
    } else if (code >= binding::kLightBoneSpace0 &&
               code < binding::kLightBoneSpace0 + binding::kBoneCount) {
        const Matrix4* bone = boneMatrix(context, code - binding::kLightBoneSpace0);
        if (light && intoSpaceOf(bone, *light, value)) uploadVector(parameter, value);
    } else if (code >= binding::kCameraBoneSpace0 &&
               code < binding::kCameraBoneSpace0 + binding::kBoneCount) {
        const Matrix4* bone = boneMatrix(context, code - binding::kCameraBoneSpace0);
        if (camera && intoSpaceOf(bone, *camera, value)) uploadVector(parameter, value);
    }
}

void Pass::bindMaterialTextures(const std::vector<Texture*>& materialTextures) const {
    for (int unit = 0; unit < textureUnitCount && unit < kMaxTextureUnits; ++unit) {
        if (textures[unit]) continue;
        const int slot = materialSlots[unit];
        if (slot < 0 || slot >= kMaxMaterialSlot) continue;
        // A slot beyond the material's list leaves the unit as apply() set it.
        if (static_cast<size_t>(slot) >= materialTextures.size()) continue;
        if (Texture* texture = materialTextures[static_cast<size_t>(slot)]) texture->activate(unit);
    }
}

void Pass::endObject(const RenderContext& context) const {
    if (occlusionActive(*this, context)) call(gDriver.dEndOcclusionQuery);
}

void destroyPasses(PassList& passes) {
    for (Pass* pass : passes) delete pass;
    passes.clear();
}

void Pass::end() const {
    for (const RequiredFeature& feature : requiredFeatures)
        if (feature.disable) feature.disable();
}

}  // namespace arvel
