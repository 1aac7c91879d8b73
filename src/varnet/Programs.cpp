// Vertex programs and pixel shaders. Sources are compiled by the GL driver itself: GLSL
// into separable programs joined by one program pipeline, or ARB assembly into ARB
// programs enabled per stage. A stage without a program runs fixed function, so a pass
// may carry a vertex program, a pixel shader, both or neither.
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "varnet/Context.h"
#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"
#include "varnet/Extensions.h"
#include "varnet/Profiles.h"

using namespace arvel::varnet;

namespace {

enum class Stage { kVertex, kFragment };
enum class Language { kNone, kGlsl, kArb };

struct ArbBinding {
    std::string name;
    int base = 0;   // first program.local index
    int count = 1;  // consecutive locals: 4 for a matrix declared as an array
};

}  // namespace

namespace arvel {

// What a parameter handle points at; owned by its program and freed with it.
struct DParameter {
    struct ProgramObject* owner = nullptr;
    std::string name;
    GLint location = -1;  // GLSL uniform
    GLenum type = 0;      // GLSL uniform type
    int base = 0;         // ARB: first local parameter
    int count = 0;        // ARB: number of locals
};

struct ProgramObject {
    Stage stage = Stage::kVertex;
    Language language = Language::kNone;
    GLuint name = 0;          // separable GLSL program or ARB program
    unsigned generation = 0;  // the context it was made in
    std::vector<ArbBinding> arbBindings;
    std::deque<DParameter> parameters;  // a deque keeps handed-out addresses stable
};

struct DVertexProgram : ProgramObject {};
struct DPixelShader : ProgramObject {};

}  // namespace arvel

namespace {

using arvel::DParameter;
using arvel::ProgramObject;

struct StageSlot {
    ProgramObject* bound = nullptr;
    bool enabled = false;
    int switches = 0;  // never reset
};

struct ProgramState {
    StageSlot vertex;
    StageSlot fragment;
    GLuint pipeline = 0;
    const void* context = nullptr;
    unsigned generation = 0;  // counts the contexts seen; names die with theirs
};

ProgramState gPrograms;

StageSlot& slotOf(Stage stage) {
    return stage == Stage::kVertex ? gPrograms.vertex : gPrograms.fragment;
}

GLenum arbTarget(Stage stage) {
    return stage == Stage::kVertex ? GL_VERTEX_PROGRAM_ARB : GL_FRAGMENT_PROGRAM_ARB;
}

// A driver that advertises an extension but lacks one of its entry points gets the path
// switched off rather than a call through null.
bool arbStageAvailable(Stage stage) {
    const bool present =
        stage == Stage::kVertex ? gExt.ARB_vertex_program : gExt.ARB_fragment_program;
    return present && gl.glProgramStringARB && gl.glBindProgramARB && gl.glDeleteProgramsARB &&
           gl.glGenProgramsARB;
}

bool glslAvailable() {
    return gExt.ARB_separate_shader_objects && gl.glCreateShader && gl.glShaderSource &&
           gl.glCompileShader && gl.glGetShaderiv && gl.glGetShaderInfoLog && gl.glDeleteShader &&
           gl.glCreateProgram && gl.glAttachShader && gl.glDetachShader && gl.glLinkProgram &&
           gl.glGetProgramiv && gl.glGetProgramInfoLog && gl.glDeleteProgram &&
           gl.glGetUniformLocation && gl.glGetActiveUniform && gl.glProgramParameteri &&
           gl.glGenProgramPipelines && gl.glBindProgramPipeline && gl.glIsProgramPipeline &&
           gl.glUseProgramStages && gl.glProgramUniform1i && gl.glProgramUniform1fv &&
           gl.glProgramUniform2fv && gl.glProgramUniform3fv && gl.glProgramUniform4fv &&
           gl.glProgramUniformMatrix2fv && gl.glProgramUniformMatrix3fv &&
           gl.glProgramUniformMatrix4fv;
}

// ---------------------------------------------------------------------------------------
// Stage application

// The program a stage actually runs: none unless the stage is enabled and bound.
const ProgramObject* activeProgram(Stage stage) {
    const StageSlot& slot = slotOf(stage);
    return slot.enabled ? slot.bound : nullptr;
}

GLuint activeName(Stage stage, Language language) {
    const ProgramObject* program = activeProgram(stage);
    return program && program->language == language ? program->name : 0;
}

void applyGlslStages() {
    if (!glslAvailable() || gPrograms.pipeline == 0) return;
    const GLuint vertex = activeName(Stage::kVertex, Language::kGlsl);
    const GLuint fragment = activeName(Stage::kFragment, Language::kGlsl);
    if (vertex == 0 && fragment == 0) {
        gl.glBindProgramPipeline(0);
        return;
    }
    const GLuint pipeline = gPrograms.pipeline;
    gl.glUseProgramStages(pipeline, GL_VERTEX_SHADER_BIT, vertex);
    gl.glUseProgramStages(pipeline, GL_FRAGMENT_SHADER_BIT, fragment);
    gl.glBindProgramPipeline(pipeline);
}

void applyArbStage(Stage stage) {
    if (!arbStageAvailable(stage)) return;
    const GLuint name = activeName(stage, Language::kArb);
    if (name != 0) {
        gl.glBindProgramARB(arbTarget(stage), name);
        glEnable(arbTarget(stage));
    } else {
        glDisable(arbTarget(stage));
    }
}

// Programs, their names and the pipeline belong to one context. A context made since
// (closing and opening the driver) starts with nothing bound; its pipeline object doubles
// as the mark that tells a new context from the old one at the same address.
void syncContext() {
    const void* context = gContext.context;
    bool same = context == gPrograms.context;
    if (same && glslAvailable()) same = gl.glIsProgramPipeline(gPrograms.pipeline);
    if (same) return;
    gPrograms.context = context;
    ++gPrograms.generation;
    gPrograms.vertex.bound = gPrograms.fragment.bound = nullptr;
    gPrograms.vertex.enabled = gPrograms.fragment.enabled = false;
    gPrograms.pipeline = 0;
    if (context && glslAvailable()) {
        gl.glGenProgramPipelines(1, &gPrograms.pipeline);
        gl.glBindProgramPipeline(gPrograms.pipeline);  // a name becomes an object when bound
        gl.glBindProgramPipeline(0);
    }
}

// A handle made in a context that is gone has no GL object any more.
bool isLive(const ProgramObject* program) {
    return program && program->generation == gPrograms.generation;
}

// Brings GL in line with the bound and enabled programs of both stages.
void applyStages() {
    applyGlslStages();
    applyArbStage(Stage::kVertex);
    applyArbStage(Stage::kFragment);
}

// ---------------------------------------------------------------------------------------
// Compiler log

const char* stageNoun(Stage stage) {
    return stage == Stage::kVertex ? "Vertex program" : "Pixel shader";
}

const char* languageName(Language language) {
    switch (language) {
        case Language::kGlsl:
            return "GLSL";
        case Language::kArb:
            return "ARB";
        default:
            return "no language for this profile";
    }
}

// Kept for the caller, not written anywhere: a technique trying the next implementation
// after a program of another language fails is no mistake, and only the caller knows.
std::string gProgramLog;

void keepCompilerLog(Stage stage, const char* language, const std::string& log) {
    gProgramLog = std::string(stageNoun(stage)) + " did not compile (" + language + "):\n" +
                  (log.empty() ? "(no log)" : log);
}

// ---------------------------------------------------------------------------------------
// GLSL

// A shader's or program's info log, without the terminating zeros; the two kinds of
// object have getters of the same form.
std::string infoLog(GLuint object, PFNGLGETSHADERIVPROC getParameter,
                    PFNGLGETSHADERINFOLOGPROC getLog) {
    GLint length = 0;
    getParameter(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? size_t(length) : 0, '\0');
    if (length > 0) getLog(object, length, nullptr, log.data());
    while (!log.empty() && log.back() == '\0') log.pop_back();
    return log;
}

bool isSamplerType(GLenum type) {
    switch (type) {
        case GL_SAMPLER_1D:
        case GL_SAMPLER_2D:
        case GL_SAMPLER_3D:
        case GL_SAMPLER_CUBE:
        case GL_SAMPLER_1D_SHADOW:
        case GL_SAMPLER_2D_SHADOW:
        case GL_SAMPLER_2D_RECT:
        case GL_SAMPLER_2D_RECT_SHADOW:
            return true;
        default:
            return false;
    }
}

// "texture0" ... "texture31" name the texture unit of that number; -1 for other names.
int samplerUnit(std::string_view name) {
    constexpr std::string_view prefix = "texture";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
    const std::string_view digits = name.substr(prefix.size());
    if (digits.size() > 2 || (digits.size() == 2 && digits[0] == '0')) return -1;
    int unit = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        unit = unit * 10 + (c - '0');
    }
    return unit < 32 ? unit : -1;
}

struct UniformInfo {
    std::string name;
    GLint size = 0;
    GLenum type = 0;
};

std::vector<UniformInfo> activeUniforms(GLuint program) {
    GLint count = 0, longest = 0;
    gl.glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    gl.glGetProgramiv(program, GL_ACTIVE_UNIFORM_MAX_LENGTH, &longest);
    std::vector<UniformInfo> uniforms;
    std::vector<char> buffer(size_t(longest > 0 ? longest : 1) + 1, '\0');
    for (GLint i = 0; i < count; ++i) {
        UniformInfo info;
        GLsizei length = 0;
        gl.glGetActiveUniform(program, GLuint(i), GLsizei(buffer.size()), &length, &info.size,
                              &info.type, buffer.data());
        info.name.assign(buffer.data(), size_t(length));
        uniforms.push_back(std::move(info));
    }
    return uniforms;
}

void assignSamplerUnits(GLuint program) {
    for (const UniformInfo& uniform : activeUniforms(program)) {
        const int unit = samplerUnit(uniform.name);
        if (unit < 0 || !isSamplerType(uniform.type)) continue;
        const GLint location = gl.glGetUniformLocation(program, uniform.name.c_str());
        if (location >= 0) gl.glProgramUniform1i(program, location, unit);
    }
}

// A separable program of one stage, or 0 with the reason in log.
GLuint compileGlsl(Stage stage, const char* source, std::string& log) {
    const GLuint shader =
        gl.glCreateShader(stage == Stage::kVertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    if (shader == 0) {
        log = "no shader object could be created";
        return 0;
    }
    gl.glShaderSource(shader, 1, &source, nullptr);
    gl.glCompileShader(shader);
    GLint compiled = GL_FALSE;
    gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        log = infoLog(shader, gl.glGetShaderiv, gl.glGetShaderInfoLog);
        gl.glDeleteShader(shader);
        return 0;
    }
    const GLuint program = gl.glCreateProgram();
    gl.glProgramParameteri(program, GL_PROGRAM_SEPARABLE, GL_TRUE);
    gl.glAttachShader(program, shader);
    gl.glLinkProgram(program);
    gl.glDetachShader(program, shader);
    gl.glDeleteShader(shader);
    GLint linked = GL_FALSE;
    gl.glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        log = infoLog(program, gl.glGetProgramiv, gl.glGetProgramInfoLog);
        gl.glDeleteProgram(program);
        return 0;
    }
    assignSamplerUnits(program);
    return program;
}

// ---------------------------------------------------------------------------------------
// ARB assembly

bool isIdentifierChar(char c, bool first) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
    return letter || (!first && c >= '0' && c <= '9');
}

// Reads a decimal number at text[at]; false when there is none or it is absurdly long.
bool readIndex(std::string_view text, size_t& at, int& value) {
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6)
        value = value * 10 + (text[at++] - '0');
    return at > start && (at == text.size() || text[at] < '0' || text[at] > '9');
}

bool consume(std::string_view text, size_t& at, std::string_view expected) {
    if (text.substr(at, expected.size()) != expected) return false;
    at += expected.size();
    return true;
}

// The right-hand side of a PARAM, blanks removed: "program.local[n]" or
// "{program.local[a..b]}". Other bindings (constants, state) are no parameters.
bool parseLocalBinding(std::string_view rhs, ArbBinding& binding) {
    size_t at = 0;
    const bool braced = consume(rhs, at, "{");
    int first = 0, last = 0;
    if (!consume(rhs, at, "program.local[") || !readIndex(rhs, at, first)) return false;
    last = first;
    if (consume(rhs, at, "..") && !readIndex(rhs, at, last)) return false;
    if (!consume(rhs, at, "]")) return false;
    if (braced && !consume(rhs, at, "}")) return false;
    if (at != rhs.size() || last < first || (!braced && last != first)) return false;
    binding.base = first;
    binding.count = last - first + 1;
    return true;
}

// One statement, comments already removed: "PARAM name = program.local[n]" or
// "PARAM name[4] = { program.local[a..b] }".
bool parseParamStatement(std::string_view statement, ArbBinding& binding) {
    size_t at = 0;
    auto skipBlanks = [&] {
        while (at < statement.size() && std::strchr(" \t\r\n", statement[at])) ++at;
    };
    skipBlanks();
    if (!consume(statement, at, "PARAM")) return false;
    if (at >= statement.size() || !std::strchr(" \t\r\n", statement[at])) return false;
    skipBlanks();
    const size_t nameStart = at;
    while (at < statement.size() && isIdentifierChar(statement[at], at == nameStart)) ++at;
    if (at == nameStart) return false;
    binding.name.assign(statement.substr(nameStart, at - nameStart));
    const size_t equals = statement.find('=', at);
    if (equals == std::string_view::npos) return false;
    std::string rhs;
    for (char c : statement.substr(equals + 1))
        if (!std::strchr(" \t\r\n", c)) rhs.push_back(c);
    return parseLocalBinding(rhs, binding);
}

std::vector<ArbBinding> parseArbBindings(std::string_view source) {
    std::string text;
    text.reserve(source.size());
    bool comment = false;
    for (char c : source) {
        if (c == '#') comment = true;
        if (c == '\n') comment = false;
        if (!comment) text.push_back(c);
    }
    std::vector<ArbBinding> bindings;
    // The "!!ARBvp1.0" header ends without a semicolon; the first statement follows it.
    size_t start = 0;
    const size_t header = text.find("!!");
    if (header != std::string::npos && text.find_first_not_of(" \t\r\n") == header)
        start = text.find_first_of(" \t\r\n", header);
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        ArbBinding binding;
        if (parseParamStatement(std::string_view(text).substr(start, end - start), binding))
            bindings.push_back(std::move(binding));
        start = end + 1;
    }
    return bindings;
}

// The ARB program the stage should have bound once a temporary binding is over.
void restoreArbBinding(Stage stage) {
    gl.glBindProgramARB(arbTarget(stage), activeName(stage, Language::kArb));
}

GLuint compileArb(Stage stage, const char* source, std::string& log) {
    const GLenum target = arbTarget(stage);
    GLuint program = 0;
    gl.glGenProgramsARB(1, &program);
    gl.glBindProgramARB(target, program);
    gl.glProgramStringARB(target, GL_PROGRAM_FORMAT_ASCII_ARB, GLsizei(std::strlen(source)),
                          source);
    GLint errorPosition = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorPosition);
    GLint native = 1;
    if (errorPosition == -1 && gl.glGetProgramivARB)
        gl.glGetProgramivARB(target, GL_PROGRAM_UNDER_NATIVE_LIMITS_ARB, &native);
    if (errorPosition != -1 || native == 0) {
        // The failed load's own error is no caller's business.
        if (errorPosition != -1) glGetError();
        const char* message =
            reinterpret_cast<const char*>(glGetString(GL_PROGRAM_ERROR_STRING_ARB));
        char position[64];
        std::snprintf(position, sizeof position, "at character %d: ", int(errorPosition));
        log = std::string(errorPosition != -1 ? position : "over the native limits: ") +
              (message ? message : "");
        gl.glDeleteProgramsARB(1, &program);
        restoreArbBinding(stage);
        return 0;
    }
    restoreArbBinding(stage);
    return program;
}

// ---------------------------------------------------------------------------------------
// Profiles

// What the current profile of a stage compiles. The NV profiles run ARB assembly with the
// NV options where their extension is present, and build nothing elsewhere.
Language languageOf(Stage stage, std::string& reason) {
    const ProfileState& profiles = gProfiles;
    const Profile profile = stage == Stage::kVertex ? profiles.vertex : profiles.fragment;
    bool nvPresent = false;
    const char* nvName = "";
    switch (profile) {
        case Profile::kBest:
            // A driver without GLSL may still run the ARB alternatives of a technique.
            if (glslAvailable()) return Language::kGlsl;
            if (arbStageAvailable(stage)) return Language::kArb;
            reason = "neither GLSL separable programs nor ARB programs are supported";
            return Language::kNone;
        case Profile::kGlsl:
            if (glslAvailable()) return Language::kGlsl;
            reason = "GLSL separable programs are not supported";
            return Language::kNone;
        case Profile::kArb:
            if (arbStageAvailable(stage)) return Language::kArb;
            reason = "ARB programs are not supported for this stage";
            return Language::kNone;
        case Profile::kVp20:
            nvPresent = gExt.NV_vertex_program, nvName = "GL_NV_vertex_program";
            break;
        case Profile::kVp30:
            nvPresent = gExt.NV_vertex_program2, nvName = "GL_NV_vertex_program2";
            break;
        case Profile::kFp20:
            nvPresent = gExt.NV_register_combiners, nvName = "GL_NV_register_combiners";
            break;
        case Profile::kFp30:
            nvPresent = gExt.NV_fragment_program, nvName = "GL_NV_fragment_program";
            break;
        default:
            reason = "no program profile is available";
            return Language::kNone;
    }
    if (nvPresent && arbStageAvailable(stage)) return Language::kArb;
    reason = std::string("the profile needs ") + nvName;
    return Language::kNone;
}

template <typename Handle>
Handle* registerProgram(Stage stage, const char* source) {
    if (!source) return nullptr;
    syncContext();
    std::string log;
    const Language language = languageOf(stage, log);
    GLuint name = 0;
    if (language == Language::kGlsl) name = compileGlsl(stage, source, log);
    if (language == Language::kArb) name = compileArb(stage, source, log);
    if (name == 0) {
        keepCompilerLog(stage, languageName(language), log);
        return nullptr;
    }
    gProgramLog.clear();
    Handle* handle = new Handle;
    handle->stage = stage;
    handle->language = language;
    handle->name = name;
    handle->generation = gPrograms.generation;
    if (language == Language::kArb) handle->arbBindings = parseArbBindings(source);
    return handle;
}

void deleteProgram(ProgramObject* program) {
    if (!program) return;
    syncContext();
    StageSlot& slot = slotOf(program->stage);
    // Forget it before its name dies, so a later handle at the same address still counts
    // as a switch and GL never runs a deleted program.
    if (slot.bound == program) {
        slot.bound = nullptr;
        applyStages();
    }
    if (isLive(program)) {
        if (program->language == Language::kGlsl) gl.glDeleteProgram(program->name);
        if (program->language == Language::kArb) gl.glDeleteProgramsARB(1, &program->name);
    }
    delete program;
}

void bindProgram(Stage stage, ProgramObject* program) {
    syncContext();
    StageSlot& slot = slotOf(stage);
    if (!isLive(program) || program == slot.bound) return;
    ++slot.switches;
    slot.bound = program;
    applyStages();
}

void enableStage(Stage stage, bool enabled) {
    syncContext();
    slotOf(stage).enabled = enabled;
    applyStages();
}

// ---------------------------------------------------------------------------------------
// Parameters

DParameter* findGlslParameter(ProgramObject& program, const char* name) {
    for (const UniformInfo& uniform : activeUniforms(program.name)) {
        const bool arrayHead = uniform.name.size() > 3 &&
                               uniform.name.compare(uniform.name.size() - 3, 3, "[0]") == 0 &&
                               uniform.name.compare(0, uniform.name.size() - 3, name) == 0;
        if (uniform.name != name && !arrayHead) continue;
        const GLint location = gl.glGetUniformLocation(program.name, name);
        if (location < 0) return nullptr;
        DParameter& parameter = program.parameters.emplace_back();
        parameter.owner = &program;
        parameter.name = name;
        parameter.location = location;
        parameter.type = uniform.type;
        return &parameter;
    }
    return nullptr;
}

DParameter* findArbParameter(ProgramObject& program, const char* name) {
    for (const ArbBinding& binding : program.arbBindings) {
        if (binding.name != name) continue;
        DParameter& parameter = program.parameters.emplace_back();
        parameter.owner = &program;
        parameter.name = name;
        parameter.base = binding.base;
        parameter.count = binding.count;
        return &parameter;
    }
    return nullptr;
}

void setGlslVector(const DParameter& parameter, const float* value) {
    const GLuint program = parameter.owner->name;
    switch (parameter.type) {
        case GL_FLOAT:
            gl.glProgramUniform1fv(program, parameter.location, 1, value);
            break;
        case GL_FLOAT_VEC2:
            gl.glProgramUniform2fv(program, parameter.location, 1, value);
            break;
        case GL_FLOAT_VEC3:
            gl.glProgramUniform3fv(program, parameter.location, 1, value);
            break;
        case GL_FLOAT_VEC4:
            gl.glProgramUniform4fv(program, parameter.location, 1, value);
            break;
        default:
            break;  // not a vector: nothing fits
    }
}

void setGlslMatrix(const DParameter& parameter, const float* m) {
    const GLuint program = parameter.owner->name;
    const GLint location = parameter.location;
    switch (parameter.type) {
        case GL_FLOAT_MAT4:
            gl.glProgramUniformMatrix4fv(program, location, 1, GL_FALSE, m);
            break;
        case GL_FLOAT_MAT3: {
            const float upper[9] = {m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]};
            gl.glProgramUniformMatrix3fv(program, location, 1, GL_FALSE, upper);
            break;
        }
        case GL_FLOAT_MAT2: {
            const float upper[4] = {m[0], m[1], m[4], m[5]};
            gl.glProgramUniformMatrix2fv(program, location, 1, GL_FALSE, upper);
            break;
        }
        default:
            break;
    }
}

// ARB locals live with the program bound to the target; the stage's own binding comes
// back afterwards.
void setArbLocals(const DParameter& parameter, const float* rows, int rowCount) {
    const Stage stage = parameter.owner->stage;
    if (!arbStageAvailable(stage) || !gl.glProgramLocalParameter4fvARB) return;
    const GLenum target = arbTarget(stage);
    gl.glBindProgramARB(target, parameter.owner->name);
    for (int row = 0; row < rowCount && row < parameter.count; ++row)
        gl.glProgramLocalParameter4fvARB(target, GLuint(parameter.base + row), rows + 4 * row);
    restoreArbBinding(stage);
}

}  // namespace

namespace arvel {

const char* dProgramLog() { return gProgramLog.c_str(); }

DPixelShader* dRegisterPixelShader(const char* source) {
    return registerProgram<DPixelShader>(Stage::kFragment, source);
}

void dDeletePixelShader(DPixelShader* shader) { deleteProgram(shader); }

void dEnablePixelShader() { enableStage(Stage::kFragment, true); }

void dDisablePixelShader() { enableStage(Stage::kFragment, false); }

void dBindPixelShader(DPixelShader* shader) { bindProgram(Stage::kFragment, shader); }

int dGetPSSwitches() { return gPrograms.fragment.switches; }

DVertexProgram* dRegisterVertexProgram(const char* source) {
    return registerProgram<DVertexProgram>(Stage::kVertex, source);
}

void dDeleteVertexProgram(DVertexProgram* program) { deleteProgram(program); }

void dBindVertexProgram(DVertexProgram* program) { bindProgram(Stage::kVertex, program); }

void dEnableVertexProgram() { enableStage(Stage::kVertex, true); }

void dDisableVertexProgram() { enableStage(Stage::kVertex, false); }

DParameter* dGetVertexProgramParameter(const char* name, DVertexProgram* program) {
    if (!name || !program) return nullptr;
    syncContext();
    if (!isLive(program)) return nullptr;
    for (DParameter& parameter : program->parameters)
        if (parameter.name == name) return &parameter;
    if (program->language == Language::kGlsl) return findGlslParameter(*program, name);
    if (program->language == Language::kArb) return findArbParameter(*program, name);
    return nullptr;
}

// Parameters die with their program; there is nothing to free on their own.
void dDeleteVertexProgramParameter(DParameter*) {}

void dSetVertexProgramParameter(DParameter* parameter, const float* value) {
    if (!parameter || !value) return;
    syncContext();
    if (!isLive(parameter->owner)) return;
    if (parameter->owner->language == Language::kGlsl) setGlslVector(*parameter, value);
    if (parameter->owner->language == Language::kArb) setArbLocals(*parameter, value, 1);
}

void dSetVertexProgramMatrix(DParameter* parameter, const float* matrix) {
    if (!parameter || !matrix) return;
    syncContext();
    if (!isLive(parameter->owner)) return;
    if (parameter->owner->language == Language::kGlsl) {
        setGlslMatrix(*parameter, matrix);
        return;
    }
    // An ARB matrix is four locals holding its rows.
    float rows[16];
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            rows[row * 4 + column] = matrix[column * 4 + row];
    setArbLocals(*parameter, rows, 4);
}

int dGetVPSwitches() { return gPrograms.vertex.switches; }

}  // namespace arvel
