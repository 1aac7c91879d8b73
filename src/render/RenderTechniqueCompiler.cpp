// The ".rt" compiler: stage blocks, alternative implementations, passes and commands.
#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "console/Parser.h"
#include "core/ErrorReport.h"
#include "core/Exception.h"
#include "driver/Driver.h"
#include "render/RenderTechnique.h"
#include "render/ScriptCalls.h"
#include "render/VertexProgram.h"

namespace arvel {

namespace {

constexpr const char* kSource = "Primitives\\RenderTechnique";
constexpr const char* const kSeparators[] = {"[", "]", ",", "{", "}", "(", ")", "=", ",", "&"};
constexpr int kSeparatorCount = sizeof kSeparators / sizeof kSeparators[0];

// Room for a message with a long token; longer tokens are cut so the message still fits
// the exception's own buffer.
constexpr int kMessageSize = 8192;

struct Keyword {
    const char* name;
    int code;
};

constexpr Keyword kComparisons[] = {{"never", dcode::kNever},     {"always", dcode::kAlways},
                                    {"less", dcode::kLess},       {"lequal", dcode::kLessEqual},
                                    {"greater", dcode::kGreater}, {"gequal", dcode::kGreaterEqual},
                                    {"equal", dcode::kEqual},     {"notequal", dcode::kNotEqual}};

constexpr Keyword kStencilOperations[] = {{"keep", dcode::kKeep},
                                          {"zero", dcode::kZero},
                                          {"replace", dcode::kReplace},
                                          {"incr", dcode::kIncrement},
                                          {"decr", dcode::kDecrement},
                                          {"invert", dcode::kInvert},
                                          {"incr_wrap", dcode::kIncrementWrap},
                                          {"decr_wrap", dcode::kDecrementWrap}};

constexpr Keyword kSourceFactors[] = {
    {"zero", dcode::kBlendZero},           {"one", dcode::kBlendOne},
    {"dst_color", dcode::kBlendDstColour}, {"inverted_dst_color", dcode::kBlendOneMinusDstColour},
    {"src_alpha", dcode::kBlendSrcAlpha},  {"inverted_src_alpha", dcode::kBlendOneMinusSrcAlpha},
    {"dst_alpha", dcode::kBlendDstAlpha},  {"inverted_dst_alpha", dcode::kBlendOneMinusDstAlpha}};

constexpr Keyword kDestinationFactors[] = {
    {"zero", dcode::kBlendZero},           {"one", dcode::kBlendOne},
    {"src_color", dcode::kBlendSrcColour}, {"inverted_src_color", dcode::kBlendOneMinusSrcColour},
    {"src_alpha", dcode::kBlendSrcAlpha},  {"inverted_src_alpha", dcode::kBlendOneMinusSrcAlpha},
    {"dst_alpha", dcode::kBlendDstAlpha},  {"inverted_dst_alpha", dcode::kBlendOneMinusDstAlpha}};

constexpr Keyword kAttributes[] = {{"normal", dcode::kVertexNormal},
                                   {"tangent", dcode::kVertexTangent},
                                   {"color", dcode::kVertexColour},
                                   {"tex0", dcode::kVertexTexCoord0}};

constexpr int kFilterMask = 0xFF;
constexpr Keyword kFilters[] = {
    {"FILTER_NEAREST", dcode::kFilterNearest},
    {"FILTER_NEAREST_MIPMAP_NEAREST", dcode::kFilterNearest | dcode::kMipmapNearest},
    {"FILTER_NEAREST_MIPMAP_LINEAR", dcode::kFilterNearest | dcode::kMipmapLinear},
    {"FILTER_LINEAR", dcode::kFilterLinear},
    {"FILTER_LINEAR_MIPMAP_NEAREST", dcode::kFilterLinear | dcode::kMipmapNearest},
    {"FILTER_LINEAR_MIPMAP_LINEAR", dcode::kFilterLinear | dcode::kMipmapLinear}};
constexpr Keyword kAnisotropy[] = {{"FILTER_ANISO2", dcode::kAnisotropy2},
                                   {"FILTER_ANISO4", dcode::kAnisotropy4},
                                   {"FILTER_ANISO8", dcode::kAnisotropy8},
                                   {"FILTER_ANISO16", dcode::kAnisotropy16}};

bool is(const char* token, const char* keyword) { return strcasecmp(token, keyword) == 0; }

const Keyword* lookUp(const char* token, const Keyword* table, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (is(token, table[i].name)) return &table[i];
    return nullptr;
}

template <size_t N>
const Keyword* lookUp(const char* token, const Keyword (&table)[N]) {
    return lookUp(token, table, N);
}

// Decimal conversion without checks: what is not a number gives 0.
long long plainInteger(const char* token) {
    errno = 0;
    long long value = std::strtoll(token, nullptr, 10);
    return errno == ERANGE ? 0 : value;
}

int plainInt(const char* token) {
    long long value = plainInteger(token);
    if (value > INT_MAX || value < INT_MIN) return 0;
    return static_cast<int>(value);
}

float plainFloat(const char* token) { return static_cast<float>(std::strtod(token, nullptr)); }

struct BindingName {
    std::string name;
    int code;
};

std::vector<BindingName> makeBindingNames() {
    std::vector<BindingName> names = {
        {"LIGHT_WORLDSPACE", binding::kLightWorldSpace},
        {"LIGHT_EYESPACE", binding::kLightEyeSpace},
        {"LIGHT_OBJECTSPACE", binding::kLightObjectSpace},
        {"LIGHT_DATA", binding::kLightData},
        {"LIGHT_AMBIENT", binding::kLightAmbient},
        {"CAMERA_WORLDSPACE", binding::kCameraWorldSpace},
        {"CAMERA_OBJECTSPACE", binding::kCameraObjectSpace},
        {"MODELVIEW_MATRIX", binding::kModelViewMatrix},
        {"PROJECTION_MATRIX", binding::kProjectionMatrix},
        {"MODELVIEW_PROJECTION", binding::kModelViewProjection},
        {"MODELVIEW_INVERSE", binding::kModelViewInverse},
        {"MODELWORLD_MATRIX", binding::kModelWorldMatrix},
    };
    for (int n = 0; n < 8; ++n)
        names.push_back({"TEXTURE_" + std::to_string(n) + "_SCALE", binding::kTextureScale0 + n});
    names.push_back({"SHADOW_PUSH_BACK", binding::kShadowPushBack});
    names.push_back({"SHADOW_EXTRUSION", binding::kShadowExtrusion});
    for (int n = 0; n < binding::kBoneCount; ++n)
        names.push_back({"CONST_BONE" + std::to_string(n) + "_MATRIX", binding::kBoneMatrix0 + n});
    for (int n = 0; n < binding::kBoneCount; ++n)
        names.push_back(
            {"CONST_LIGHT_BONE" + std::to_string(n) + "_SPACE", binding::kLightBoneSpace0 + n});
    for (int n = 0; n < binding::kBoneCount; ++n)
        names.push_back(
            {"CONST_CAMERA_BONE" + std::to_string(n) + "_SPACE", binding::kCameraBoneSpace0 + n});
    return names;
}

const std::vector<BindingName>& bindingNames() {
    static const std::vector<BindingName> names = makeBindingNames();
    return names;
}

}  // namespace

int RenderTechnique::bindingCode(const char* name) {
    if (!name) return -1;
    for (const BindingName& entry : bindingNames())
        if (is(name, entry.name.c_str())) return entry.code;
    return -1;
}

class RenderTechnique::Compiler {
public:
    Compiler(RenderTechnique& technique, Parser& parser) : technique_(technique), parser_(parser) {}

    // Stage blocks until the end of the text.
    void run() {
        while (!parser_.atEnd())
            if (!compileStage()) break;
    }

private:
    [[noreturn]] void fail(int sourceLine, const char* format, ...)
        __attribute__((format(printf, 3, 4))) {
        char message[kMessageSize];
        va_list args;
        va_start(args, format);
        int length = vsnprintf(message, sizeof message, format, args);
        va_end(args);
        if (length < 0) message[0] = '\0';
        throw new Exception(sourceLine, kSource, "%s", message);
    }

    // "RTCompiler: Error at line L (P) token T unexpected" and what was expected.
    [[noreturn]] void unexpected(int sourceLine, const char* token, const char* expected = "") {
        fail(sourceLine, "RTCompiler: Error at line %d (%d) token %.4096s unexpected%s",
             parser_.getLine(), parser_.getPosition(), token, expected);
    }

    // The shader block messages are written without the blank after the colon.
    [[noreturn]] void unexpectedInShader(int sourceLine, const char* token, const char* expected) {
        fail(sourceLine, "RTCompiler:Error at line %d (%d) token %.4096s unexpected%s",
             parser_.getLine(), parser_.getPosition(), token, expected);
    }

    const char* next() { return parser_.next(); }
    bool nextIs(const char* keyword) { return is(parser_.peek(), keyword); }

    // The end of the text, as opposed to an empty quoted string.
    bool exhausted(const char* token) const { return token[0] == '\0' && !parser_.isQuoted(); }

    bool compileStage() {
        const char* token = next();
        PassList* stage = nullptr;
        if (is(token, "Ambient"))
            stage = &technique_.ambient_;
        else if (is(token, "Light"))
            stage = &technique_.light_;
        else if (is(token, "PostShade"))
            stage = &technique_.postShade_;
        else if (exhausted(token))
            return false;
        else
            unexpected(__LINE__, token);
        compileTechniqueBlock(*stage);
        return true;
    }

    void compileTechniqueBlock(PassList& stage) {
        const char* token = next();
        if (std::strcmp(token, "{") != 0)
            unexpected(__LINE__, token, ", must begin technique with {");
        bool accepted = false;
        // Why each implementation was turned down; said only when none is left, since
        // falling back to the next one is what the alternatives are for.
        std::string refusals;
        for (;;) {
            token = next();
            if (std::strcmp(token, "}") == 0) break;
            if (!is(token, "impl")) unexpected(__LINE__, token);
            const int line = parser_.getLine() + 1;  // the parser counts from 0
            if (accepted) {
                skipBlock();
                continue;
            }
            std::string failure;
            accepted = compileImplementation(stage, failure);
            if (!accepted && !failure.empty())
                refusals += "impl at line " + std::to_string(line) + ": " + failure + "\n";
        }
        if (!accepted)
            fail(__LINE__, "RTCompiler: Could not find any useful technique for script\n%s",
                 refusals.c_str());
    }

    // An implementation after the accepted one is not compiled, only balanced.
    void skipBlock() {
        const char* token = next();
        if (std::strcmp(token, "{") != 0)
            unexpected(__LINE__, token, ", must begin technique with {");
        int depth = 1;
        while (depth > 0) {
            token = next();
            if (exhausted(token)) break;
            if (std::strcmp(token, "{") == 0)
                ++depth;
            else if (std::strcmp(token, "}") == 0)
                --depth;
        }
    }

    // failure: the first unusable pass's reason, when it gave one.
    bool compileImplementation(PassList& stage, std::string& failure) {
        const char* token = next();
        if (std::strcmp(token, "{") != 0) unexpected(__LINE__, token, ", requires {");
        token = next();
        if (!is(token, "Pass")) unexpected(__LINE__, token, ", requires pass");
        bool usable = true;
        do {
            Pass* pass = compilePass();
            stage.push_back(pass);
            if (!pass->usable && usable) failure = pass->failure;
            if (!pass->usable) usable = false;
            token = next();
        } while (is(token, "Pass"));
        if (std::strcmp(token, "}") != 0) unexpected(__LINE__, token, ", requires }");
        if (!usable) destroyPasses(stage);
        return usable;
    }

    Pass* compilePass() {
        Pass* pass = new Pass(technique_.programRegistry_, technique_.textureRegistry_);
        try {
            const char* token = next();
            if (std::strcmp(token, "{") != 0) unexpected(__LINE__, token, ", requires {");
            for (;;) {
                token = next();
                if (std::strcmp(token, "}") == 0) break;
                compileCommand(*pass, token);
            }
        } catch (Exception* error) {
            delete pass;
            throw new Exception(__LINE__, kSource, error, "Deleted pass information memory");
        }
        return pass;
    }

    void compileCommand(Pass& pass, const char* command) {
        if (is(command, "CullFace"))
            compileCullFace(pass);
        else if (is(command, "DepthMask"))
            pass.depthWrite = readBool();
        else if (is(command, "ColorMask"))
            compileColorMask(pass);
        else if (is(command, "BlendFunc"))
            compileBlendFunc(pass);
        else if (is(command, "AlphaFunc"))
            compileAlphaFunc(pass);
        else if (is(command, "DepthFunc"))
            pass.depthFunction = readComparison();
        else if (is(command, "DepthOffset"))
            compileDepthOffset(pass);
        else if (is(command, "StencilFunc"))
            compileStencilFunc(pass);
        else if (is(command, "StencilOp"))
            compileStencilOp(pass);
        else if (is(command, "StencilMask"))
            compileStencilMask(pass);
        else if (is(command, "ScissorScale"))
            pass.scissorScale = static_cast<float>(parser_.readFloat());
        else if (is(command, "OcclusionQuery"))
            pass.occlusionQuery = true;
        else if (is(command, "Texture"))
            compileTexture(pass);
        else if (is(command, "VertexShader"))
            compileVertexShader(pass);
        else if (is(command, "TexShader"))
            pass.attachPixelShader(readFileNames());
        else if (is(command, "Requires"))
            compileRequires(pass);
        else if (strncasecmp(command, "EXT", 3) == 0)
            compileExtensionCall(pass, command);
        else
            unexpected(__LINE__, command, ", not a command");
    }

    void expectComma() {
        const char* token = next();
        if (std::strcmp(token, ",") != 0) unexpected(__LINE__, token, ", \",\"expected");
    }

    template <size_t N>
    int readKeyword(const Keyword (&table)[N]) {
        const char* token = next();
        const Keyword* found = lookUp(token, table);
        if (!found) unexpected(__LINE__, token);
        return found->code;
    }

    bool readBool() {
        const char* token = next();
        if (is(token, "true")) return true;
        if (is(token, "false")) return false;
        unexpected(__LINE__, token, ", true or false expected");
    }

    int readComparison() { return readKeyword(kComparisons); }

    void compileCullFace(Pass& pass) {
        const char* token = next();
        if (is(token, "front"))
            pass.cullMode = 1;
        else if (is(token, "back"))
            pass.cullMode = 0;
        else if (is(token, "none"))
            pass.cullMode = 2;
        else
            unexpected(__LINE__, token, ", front, back or none expected");
    }

    void compileColorMask(Pass& pass) {
        const bool colour = readBool();
        expectComma();
        pass.colourWrite = colour;
        pass.alphaWrite = readBool();
    }

    void compileBlendFunc(Pass& pass) {
        const unsigned source = static_cast<unsigned>(readKeyword(kSourceFactors));
        expectComma();
        const unsigned destination = static_cast<unsigned>(readKeyword(kDestinationFactors));
        pass.blendMode = dcode::blendMode(source, destination);
        pass.blending = pass.blendMode != dcode::blendMode(dcode::kBlendOne, dcode::kBlendZero);
    }

    void compileAlphaFunc(Pass& pass) {
        const int function = readComparison();
        expectComma();
        pass.alphaFunction = function;
        pass.alphaReference = plainFloat(next());
        pass.alphaTest = function != 2;
    }

    void compileDepthOffset(Pass& pass) {
        const float factor = plainFloat(next());
        expectComma();
        const float units = static_cast<float>(parser_.readFloat());
        pass.offsetFactor = factor;
        pass.offsetUnits = units;
        pass.polygonOffset = !(factor == 0.0f && units == 0.0f);
    }

    void compileStencilFunc(Pass& pass) {
        const int function = readComparison();
        expectComma();
        const char* token = next();
        int reference;
        if (is(token, "STENCIL_MAX_VAL"))
            reference = gDriver.dStencilMaxVal ? gDriver.dStencilMaxVal() : 0;
        else if (is(token, "STENCIL_HALF_VAL"))
            reference = (gDriver.dStencilMaxVal ? gDriver.dStencilMaxVal() : 0) / 2;
        else
            reference = plainInt(token);
        expectComma();
        pass.stencilFunction = function;
        pass.stencilReference = reference;
        pass.stencilMask = readMask();
        if (function != 2) pass.stencil = true;
    }

    unsigned readMask() {
        const char* token = next();
        if (is(token, "ALL_BITS")) return 0xFFFFFFFFu;
        return static_cast<unsigned>(plainInteger(token));
    }

    void compileStencilOp(Pass& pass) {
        const int stencilFail = readKeyword(kStencilOperations);
        expectComma();
        const int depthFail = readKeyword(kStencilOperations);
        expectComma();
        pass.depthPass = readKeyword(kStencilOperations);
        pass.stencilFail = stencilFail;
        pass.depthFail = depthFail;
        pass.stencil = true;
    }

    void compileStencilMask(Pass& pass) {
        readMask();
        pass.stencil = true;
    }

    void compileTexture(Pass& pass) {
        const int unit = parser_.readInt();
        if (unit < 0 || unit >= Pass::kMaxTextureUnits)
            fail(__LINE__, "RTCompiler: Error at line %d (%d) invalid textureunit",
                 parser_.getLine(), parser_.getPosition());
        expectComma();
        const char* token = next();
        if (!parser_.isQuoted()) {
            if (strncasecmp(token, "Texture", 7) != 0) unexpectedTextureSource(token);
            pass.setMaterialSlot(unit, plainInt(token + 7));
            return;
        }
        const std::string fileName = token;
        int filter = 18, wrap = 2;
        bool compress = true;
        if (std::strcmp(parser_.peek(), ",") == 0) {
            next();
            readTextureOption(filter, wrap, compress);
            while (std::strcmp(parser_.peek(), "&") == 0) {
                next();
                readTextureOption(filter, wrap, compress);
            }
        }
        pass.bindTextureFile(unit, fileName.c_str(), filter, wrap, compress);
    }

    [[noreturn]] void unexpectedTextureSource(const char* token) {
        unexpected(__LINE__, token,
                   ". Should be either a symbolic material texture number or a quoted searchpath");
    }

    void readTextureOption(int& filter, int& wrap, bool& compress) {
        const char* token = next();
        if (const Keyword* found = lookUp(token, kFilters))
            filter = found->code;
        else if (const Keyword* level = lookUp(token, kAnisotropy))
            filter = (filter & kFilterMask) | level->code;
        else if (is(token, "WRAP_REPEAT"))
            wrap = 2;
        else if (is(token, "WRAP_CLAMP"))
            wrap = 1;
        else if (is(token, "DONT_COMPRESS"))
            compress = false;
        else if (is(token, "COMPRESS"))
            compress = true;
        else
            unexpected(__LINE__, token);
    }

    // One name, then more after each "&".
    std::vector<std::string> readFileNames() {
        std::vector<std::string> names;
        names.emplace_back(next());
        while (std::strcmp(parser_.peek(), "&") == 0) {
            next();
            names.emplace_back(next());
        }
        return names;
    }

    void compileVertexShader(Pass& pass) {
        const char* token = next();
        if (std::strcmp(token, "{") != 0) unexpectedInShader(__LINE__, token, ", { expected");
        pass.attachVertexProgram(readFileNames());
        for (;;) {
            token = next();
            if (std::strcmp(token, "}") == 0) break;
            if (is(token, "Constants"))
                compileConstants(pass);
            else if (is(token, "Attributes"))
                compileAttributes(pass);
            else
                unexpected(__LINE__, token, ", shader command or } expected");
        }
    }

    void compileConstants(Pass& pass) {
        const char* token = next();
        if (std::strcmp(token, "{") != 0) unexpectedInShader(__LINE__, token, ", { expected");
        std::vector<ConstantBinding> constants;
        for (;;) {
            token = next();
            if (std::strcmp(token, "}") == 0) break;
            const std::string parameter = token;
            token = next();
            if (std::strcmp(token, "[") == 0) {
                parser_.readInt();
                token = next();
                if (std::strcmp(token, "]") != 0)
                    unexpectedInShader(__LINE__, token, ", ] expected");
                token = next();
            }
            if (std::strcmp(token, "=") != 0) unexpectedInShader(__LINE__, token, ", = expected");
            token = next();
            const int code = bindingCode(token);
            if (code < 0) unexpectedInShader(__LINE__, token, ", constant binding type expected");
            DParameter* handle =
                pass.vertexProgram ? pass.vertexProgram->getParameter(parameter.c_str()) : nullptr;
            constants.push_back({handle, code, parameter});
        }
        pass.constants = std::move(constants);
    }

    void compileAttributes(Pass& pass) {
        const char* token = next();
        if (std::strcmp(token, "{") != 0) unexpectedInShader(__LINE__, token, ", { expected");
        int mask = 0;
        for (;;) {
            token = next();
            if (std::strcmp(token, "}") == 0) break;
            const Keyword* attribute = lookUp(token, kAttributes);
            if (!attribute) unexpectedInShader(__LINE__, token, ", attribute definition expected");
            mask |= attribute->code;
        }
        pass.attributeMask = mask;
    }

    void compileRequires(Pass& pass) {
        std::vector<std::string> features = readFileNames();
        for (const std::string& feature : features) {
            if (!pass.usable) break;
            // A name that is no query or switch of the driver interface counts as missing:
            // it could not be called without arguments.
            const std::string queryName = "d" + feature;
            auto query = isFeatureQuery(queryName.c_str())
                             ? reinterpret_cast<bool (*)()>(driverSymbol(queryName.c_str()))
                             : nullptr;
            RequiredFeature required;
            required.enable = featureSwitch("dEnable" + feature);
            required.disable = featureSwitch("dDisable" + feature);
            pass.requiredFeatures.push_back(required);
            if (!query || !query()) pass.usable = false;
        }
    }

    static DriverSwitch featureSwitch(const std::string& name) {
        if (!isFeatureSwitch(name.c_str())) return nullptr;
        return reinterpret_cast<DriverSwitch>(driverSymbol(name.c_str()));
    }

    void compileExtensionCall(Pass& pass, const char* command) {
        const std::string word = command;
        const std::string function = "d" + word.substr(3);
        const char* token = next();
        if (std::strcmp(token, "(") != 0)
            fail(__LINE__, "ERROR: token ( expected after extension function %.4096s\n",
                 word.c_str());
        ExtensionCall call;
        for (;;) {
            token = next();
            if (std::strcmp(token, ")") == 0) break;
            const int value = plainInt(token);
            if (call.argumentCount < ExtensionCall::kMaxArguments)
                call.arguments[call.argumentCount++] = value;
            token = next();
            if (std::strcmp(token, ")") == 0) break;
            if (std::strcmp(token, ",") != 0)
                fail(__LINE__, "ERROR: Token , or ) expected for extension calls, got %.4096s\n",
                     token);
        }
        // Only functions that take numbers can be called with the script's integers.
        call.invoke = scriptInvoker(function.c_str());
        call.function = call.invoke ? driverSymbol(function.c_str()) : nullptr;
        if (call.function) {
            pass.extensionCalls.push_back(call);
        } else {
            pass.usable = false;
            WarningBox("WARNING: Failed to load ext func %s\n", word.c_str());
        }
    }

    RenderTechnique& technique_;
    Parser& parser_;
};

void RenderTechnique::compile(const char* text) {
    parser_->setSeparators(kSeparatorCount, kSeparators);
    parser_->setText(text ? text : "");
    Compiler(*this, *parser_).run();
}

}  // namespace arvel
