// Pbuffers as framebuffer objects. Activation makes the framebuffer object the drawing
// surface and deactivation gives the window back its framebuffer and viewport; binding
// as a texture puts the colour texture on the active unit in place of what was there.
// Messages go to the standard error stream.
#include "varnet/PBuffer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "varnet/Context.h"
#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"
#include "varnet/Texture.h"

namespace arvel {
namespace {

using varnet::gContext;
using varnet::gExt;
using varnet::gl;

std::unordered_set<const DPBuffer*> gPBuffers;
std::vector<DPBuffer*> gActive;

// Buffer codes a texture binding may name: the window system's colour buffers and
// the graphics API's own.
bool isColourBufferCode(int buffer) {
    return (buffer >= 0x2083 && buffer <= 0x2086) || (buffer >= GL_FRONT_LEFT && buffer <= GL_BACK);
}

// The framebuffer object calls of whichever extension the context has.
struct FramebufferApi {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLGENERATEMIPMAPPROC generateMipmap = nullptr;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbufferStorageMultisample = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;
    bool separateRead = false;  // read and draw bindings apart (needed to resolve)

    bool complete() const {
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && framebufferTexture2D &&
               framebufferRenderbuffer && checkFramebufferStatus && genRenderbuffers &&
               deleteRenderbuffers && bindRenderbuffer && renderbufferStorage;
    }
    bool multisample() const {
        return separateRead && renderbufferStorageMultisample && blitFramebuffer;
    }
};

FramebufferApi framebufferApi() {
    FramebufferApi api;
    if (gExt.ARB_framebuffer_object) {
        api = {gl.glGenFramebuffers,         gl.glDeleteFramebuffers,
               gl.glBindFramebuffer,         gl.glFramebufferTexture2D,
               gl.glFramebufferRenderbuffer, gl.glCheckFramebufferStatus,
               gl.glGenRenderbuffers,        gl.glDeleteRenderbuffers,
               gl.glBindRenderbuffer,        gl.glRenderbufferStorage,
               gl.glGenerateMipmap,          gl.glRenderbufferStorageMultisample,
               gl.glBlitFramebuffer,         true};
        if (api.complete()) return api;
    }
    if (gExt.EXT_framebuffer_object) {
        api = {gl.glGenFramebuffersEXT,
               gl.glDeleteFramebuffersEXT,
               gl.glBindFramebufferEXT,
               gl.glFramebufferTexture2DEXT,
               gl.glFramebufferRenderbufferEXT,
               gl.glCheckFramebufferStatusEXT,
               gl.glGenRenderbuffersEXT,
               gl.glDeleteRenderbuffersEXT,
               gl.glBindRenderbufferEXT,
               gl.glRenderbufferStorageEXT,
               gl.glGenerateMipmapEXT,
               nullptr,
               nullptr,
               false};
        if (api.complete()) return api;
    }
    return FramebufferApi{};
}

// ---- mode string ----

bool startsWith(const std::string& token, const char* keyword) {
    return token.compare(0, std::strlen(keyword), keyword) == 0;
}

// The number written after a keyword ("depth24", "depth=24"); fallback when none is.
int numberAfter(const std::string& token, const char* keyword, int fallback) {
    size_t at = std::strlen(keyword);
    if (at < token.size() && token[at] == '=') ++at;
    if (at >= token.size() || !std::isdigit(static_cast<unsigned char>(token[at]))) return fallback;
    const long value = std::strtol(token.c_str() + at, nullptr, 10);
    return static_cast<int>(std::clamp(value, 0L, 256L));
}

std::vector<std::string> splitAtSpaces(const char* text) {
    std::vector<std::string> tokens;
    std::string current;
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c == ' ') {
            if (!current.empty()) tokens.push_back(current);
            current.clear();
        } else {
            current += *c;
        }
    }
    if (!current.empty()) tokens.push_back(current);
    return tokens;
}

PBufferMode parseMode(const char* text) {
    PBufferMode mode;
    const std::vector<std::string> tokens = splitAtSpaces(text);
    for (const std::string& token : tokens) {
        if (token.find("float") != std::string::npos) mode.floatFlag = true;
        if (token.find("texture") != std::string::npos) mode.textureFlag = true;
        if (token.find("alpha") != std::string::npos) mode.alphaFlag = true;
    }
    for (const std::string& token : tokens) {
        if (startsWith(token, "rgb")) {
            if (!mode.floatFlag) mode.redBits = mode.greenBits = mode.blueBits = 8;
        } else if (startsWith(token, "alpha")) {
            if (!mode.floatFlag) mode.alphaBits = 8;
        } else if (startsWith(token, "depth")) {
            // A bare "depth" still wants a depth buffer.
            mode.depthBits = numberAfter(token, "depth", 24);
            if (mode.textureFlag) mode.depthTexture = true;
        } else if (startsWith(token, "stencil")) {
            mode.stencilBits = 8;
        } else if (startsWith(token, "samples")) {
            mode.samples = numberAfter(token, "samples", 4);
        } else if (startsWith(token, "double")) {
            mode.doubleBuffer = true;
        } else if (startsWith(token, "float")) {
            const int bits = numberAfter(token, "float", 16);
            mode.floatComponents = true;
            mode.redBits = mode.greenBits = mode.blueBits = bits;
            if (mode.alphaFlag) mode.alphaBits = bits;
        } else if (token == "texture") {
            mode.textureTarget = mode.floatFlag ? GL_TEXTURE_RECTANGLE_NV : GL_TEXTURE_2D;
        } else if (token == "textureRECT") {
            mode.textureTarget = GL_TEXTURE_RECTANGLE_NV;
        } else if (token == "textureCUBE") {
            mode.textureTarget = GL_TEXTURE_CUBE_MAP_ARB;
        } else if (token == "mipmap") {
            if (mode.textureFlag) mode.mipmapTexture = true;
        } else {
            std::fprintf(stderr, "unknown pbuffer attribute: %s\n", token.c_str());
        }
    }
    return mode;
}

// ---- creation ----

// The pixel format the current drawing surface has: what a shared context must use.
void takeCurrentFormat(PBufferMode* mode) {
    GLint alpha = 0, depth = 0, stencil = 0, samples = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alpha);
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    glGetIntegerv(GL_SAMPLES_ARB, &samples);
    if (!mode->floatComponents) {
        mode->redBits = mode->greenBits = mode->blueBits = 8;
        mode->alphaBits = alpha > 0 ? 8 : 0;
    }
    mode->depthBits = depth;
    mode->stencilBits = stencil;
    mode->samples = samples > 1 ? samples : 0;
}

bool floatTexturesSupported() {
    return gExt.ATI_texture_float || gExt.NV_float_buffer ||
           varnet::hasExtension("GL_ARB_texture_float");
}

// Colour internal format, or 0 when the context has none such.
GLenum colourFormat(const PBufferMode& mode) {
    const bool alpha = mode.alphaBits > 0 || (mode.floatComponents && mode.alphaFlag);
    if (!mode.floatComponents) return alpha ? GL_RGBA8 : GL_RGB8;
    if (!floatTexturesSupported()) return 0;
    if (mode.redBits > 16) return alpha ? GL_RGBA32F_ARB : GL_RGB32F_ARB;
    return alpha ? GL_RGBA16F_ARB : GL_RGB16F_ARB;
}

GLenum depthStencilFormat(const PBufferMode& mode) {
    if (mode.stencilBits > 0) return GL_DEPTH24_STENCIL8;
    if (mode.depthBits <= 0) return 0;
    if (mode.depthBits <= 16) return GL_DEPTH_COMPONENT16;
    if (mode.depthBits <= 24) return GL_DEPTH_COMPONENT24;
    return GL_DEPTH_COMPONENT32;
}

void reportCreateFailure(const char* systemError) {
    std::fprintf(stderr, "pbuffer creation error:  wglCreatePbufferARB() failed\n");
    if (systemError) std::fprintf(stderr, "error:  %s\n", systemError);
}

void releaseObjects(DPBuffer* pb, const FramebufferApi& api) {
    // Objects of another (closed) context are gone already; their names may now
    // belong to someone else.
    if (pb->context && pb->context == gContext.context && api.complete()) {
        if (pb->framebuffer) api.deleteFramebuffers(1, &pb->framebuffer);
        if (pb->resolveFramebuffer) api.deleteFramebuffers(1, &pb->resolveFramebuffer);
        if (pb->colourBuffer) api.deleteRenderbuffers(1, &pb->colourBuffer);
        if (pb->depthStencilBuffer) api.deleteRenderbuffers(1, &pb->depthStencilBuffer);
        if (pb->colourTexture) glDeleteTextures(1, &pb->colourTexture);
    }
    pb->framebuffer = pb->resolveFramebuffer = pb->colourBuffer = 0;
    pb->depthStencilBuffer = pb->colourTexture = 0;
}

void allocateColourTexture(DPBuffer* pb, const FramebufferApi& api) {
    const GLenum target = pb->colourTarget;
    glGenTextures(1, &pb->colourTexture);
    glBindTexture(target, pb->colourTexture);
    const GLenum dataType = pb->mode.floatComponents ? GL_FLOAT : GL_UNSIGNED_BYTE;
    if (target == GL_TEXTURE_CUBE_MAP_ARB) {
        for (GLenum face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB + face, 0,
                         static_cast<GLint>(pb->colourFormat), pb->width, pb->height, 0, GL_RGBA,
                         dataType, nullptr);
    } else {
        glTexImage2D(target, 0, static_cast<GLint>(pb->colourFormat), pb->width, pb->height, 0,
                     GL_RGBA, dataType, nullptr);
    }
    const bool mipmapped =
        pb->mode.mipmapTexture && api.generateMipmap && target != GL_TEXTURE_RECTANGLE_NV;
    if (mipmapped) api.generateMipmap(target);
    // A single level must not be sampled with the default mipmap filter.
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

GLenum colourAttachTarget(const DPBuffer* pb) {
    return pb->colourTarget == GL_TEXTURE_CUBE_MAP_ARB ? GL_TEXTURE_CUBE_MAP_POSITIVE_X_ARB
                                                       : pb->colourTarget;
}

// Builds the framebuffer objects; the GL status of the drawn-into framebuffer.
GLenum buildFramebuffers(DPBuffer* pb, const FramebufferApi& api) {
    allocateColourTexture(pb, api);
    const GLenum depthFormat = depthStencilFormat(pb->mode);
    if (depthFormat) {
        api.genRenderbuffers(1, &pb->depthStencilBuffer);
        api.bindRenderbuffer(GL_RENDERBUFFER, pb->depthStencilBuffer);
        if (pb->samples > 0)
            api.renderbufferStorageMultisample(GL_RENDERBUFFER, pb->samples, depthFormat, pb->width,
                                               pb->height);
        else
            api.renderbufferStorage(GL_RENDERBUFFER, depthFormat, pb->width, pb->height);
    }
    if (pb->samples > 0) {
        api.genRenderbuffers(1, &pb->colourBuffer);
        api.bindRenderbuffer(GL_RENDERBUFFER, pb->colourBuffer);
        api.renderbufferStorageMultisample(GL_RENDERBUFFER, pb->samples, pb->colourFormat,
                                           pb->width, pb->height);
        api.genFramebuffers(1, &pb->resolveFramebuffer);
        api.bindFramebuffer(GL_FRAMEBUFFER, pb->resolveFramebuffer);
        api.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colourAttachTarget(pb),
                                 pb->colourTexture, 0);
    }
    api.genFramebuffers(1, &pb->framebuffer);
    api.bindFramebuffer(GL_FRAMEBUFFER, pb->framebuffer);
    if (pb->colourBuffer)
        api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                    pb->colourBuffer);
    else
        api.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colourAttachTarget(pb),
                                 pb->colourTexture, 0);
    // One packed buffer on both attachment points: the older extension has no
    // combined attachment.
    if (pb->depthStencilBuffer) {
        api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                    pb->depthStencilBuffer);
        if (pb->mode.stencilBits > 0)
            api.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                        pb->depthStencilBuffer);
    }
    return api.checkFramebufferStatus(GL_FRAMEBUFFER);
}

// Keeps the bindings that building framebuffers disturbs.
class SavedBindings {
public:
    SavedBindings(const FramebufferApi& api, GLenum textureTarget)
        : api_(api), textureTarget_(textureTarget) {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawFramebuffer_);
        if (api.separateRead) glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer_);
        glGetIntegerv(GL_RENDERBUFFER_BINDING, &renderbuffer_);
        glGetIntegerv(varnet::textureBindingQuery(textureTarget), &texture_);
    }
    ~SavedBindings() {
        if (api_.separateRead) {
            api_.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
            api_.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer_));
        } else {
            api_.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(drawFramebuffer_));
        }
        api_.bindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(renderbuffer_));
        glBindTexture(textureTarget_, static_cast<GLuint>(texture_));
    }
    SavedBindings(const SavedBindings&) = delete;
    SavedBindings& operator=(const SavedBindings&) = delete;

private:
    const FramebufferApi& api_;
    GLenum textureTarget_;
    GLint drawFramebuffer_ = 0, readFramebuffer_ = 0, renderbuffer_ = 0, texture_ = 0;
};

// Fills in the platform objects; false (with the message printed) where that fails,
// leaving the handle without objects.
bool initialise(DPBuffer* pb, int width, int height, bool shareContext, bool shareObjects) {
    pb->width = width;
    pb->height = height;
    pb->shareContext = shareContext;
    pb->shareObjects = shareObjects;
    pb->context = gContext.context;
    pb->renderToTexture = false;

    const FramebufferApi api = framebufferApi();
    if (!gContext.context) {
        std::fprintf(stderr,
                     shareContext
                         ? "pbuffer creation error:  GetPixelFormat() failed\n"
                         : "pbuffer creation error:  Couldn't find a suitable pixel format.\n");
        return false;
    }
    if (shareContext) takeCurrentFormat(&pb->mode);
    pb->colourTarget = pb->mode.textureTarget ? pb->mode.textureTarget : GL_TEXTURE_2D;
    pb->colourFormat = colourFormat(pb->mode);
    const bool rectangleMissing =
        pb->colourTarget == GL_TEXTURE_RECTANGLE_NV && !gExt.NV_texture_rectangle;
    const bool cubeMissing =
        pb->colourTarget == GL_TEXTURE_CUBE_MAP_ARB && !gExt.ARB_texture_cube_map;
    if (!api.complete() || !pb->colourFormat || rectangleMissing || cubeMissing) {
        std::fprintf(stderr, "pbuffer creation error:  Couldn't find a suitable pixel format.\n");
        return false;
    }
    // Multisampling degrades to none where it cannot be resolved into a texture.
    pb->samples = 0;
    if (pb->mode.samples > 1 && api.multisample()) {
        GLint most = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &most);
        pb->samples = std::min(pb->mode.samples, static_cast<int>(most));
        if (pb->samples < 2) pb->samples = 0;
    }

    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    const bool badCube = pb->colourTarget == GL_TEXTURE_CUBE_MAP_ARB && width != height;
    if (width <= 0 || height <= 0 || width > largest || height > largest || badCube) {
        reportCreateFailure("ERROR_INVALID_DATA");
        return false;
    }

    while (glGetError() != GL_NO_ERROR) {
    }  // only this creation's errors count below
    GLenum status = 0;
    {
        SavedBindings saved(api, pb->colourTarget);
        status = buildFramebuffers(pb, api);
    }
    const GLenum error = glGetError();
    if (status != GL_FRAMEBUFFER_COMPLETE || error != GL_NO_ERROR) {
        if (error == GL_OUT_OF_MEMORY)
            reportCreateFailure("ERROR_NO_SYSTEM_RESOURCES");
        else if (status == GL_FRAMEBUFFER_UNSUPPORTED)
            reportCreateFailure("ERROR_INVALID_PIXEL_FORMAT");
        else
            reportCreateFailure(nullptr);
        releaseObjects(pb, api);
        return false;
    }
    pb->renderToTexture = pb->mode.textureTarget != 0;
    return true;
}

DPBuffer* live(DPBuffer* pb) { return pb && gPBuffers.count(pb) ? pb : nullptr; }

// The live pbuffer to bind or release as a texture; null, with a message naming the
// operation when its format cannot render to a texture.
DPBuffer* renderTexture(DPBuffer* pbuffer, const char* operation) {
    DPBuffer* pb = live(pbuffer);
    if (pb && !pb->renderToTexture) {
        std::fprintf(stderr,
                     "PBuffer::%s() failed - pbuffer format does not support render to texture!\n",
                     operation);
        return nullptr;
    }
    return pb;
}

bool usable(const DPBuffer* pb) {
    return pb->framebuffer && pb->context && pb->context == gContext.context;
}

// Copies multisampled drawing into the texture.
void resolve(DPBuffer* pb, const FramebufferApi& api) {
    if (!pb->resolveFramebuffer || !api.multisample() || !usable(pb)) return;
    GLint draw = 0, read = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    api.bindFramebuffer(GL_READ_FRAMEBUFFER, pb->framebuffer);
    api.bindFramebuffer(GL_DRAW_FRAMEBUFFER, pb->resolveFramebuffer);
    api.blitFramebuffer(0, 0, pb->width, pb->height, 0, 0, pb->width, pb->height,
                        GL_COLOR_BUFFER_BIT, GL_NEAREST);
    api.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
    api.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
}

void restoreSurface(const DPBuffer* pb, const FramebufferApi& api) {
    if (api.separateRead) {
        api.bindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(pb->previousDrawFramebuffer));
        api.bindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(pb->previousReadFramebuffer));
    } else {
        api.bindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(pb->previousDrawFramebuffer));
    }
    glViewport(pb->previousViewport[0], pb->previousViewport[1], pb->previousViewport[2],
               pb->previousViewport[3]);
}

void activate(DPBuffer* pb) {
    gActive.push_back(pb);
    if (pb->active) return;
    const FramebufferApi api = framebufferApi();
    if (!usable(pb) || !api.complete()) {
        std::fprintf(stderr, "PBuffer::Activate() failed.\n");
        return;
    }
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &pb->previousDrawFramebuffer);
    if (api.separateRead) glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &pb->previousReadFramebuffer);
    glGetIntegerv(GL_VIEWPORT, pb->previousViewport);
    api.bindFramebuffer(GL_FRAMEBUFFER, pb->framebuffer);
    // A pbuffer's own context starts with a viewport of its size.
    glViewport(0, 0, pb->width, pb->height);
    pb->active = true;
}

void deactivateAll() {
    const FramebufferApi api = framebufferApi();
    // Latest first, so nested activations unwind to the window's own state.
    for (auto it = gActive.rbegin(); it != gActive.rend(); ++it) {
        DPBuffer* pb = *it;
        if (!pb->active) continue;
        pb->active = false;
        if (!usable(pb) || !api.complete()) {
            std::fprintf(stderr, "PBuffer::Deactivate() failed.\n");
            continue;
        }
        restoreSurface(pb, api);
        resolve(pb, api);
    }
    gActive.clear();
    if (gContext.context && api.complete()) api.bindFramebuffer(GL_FRAMEBUFFER, 0);
}

void release(DPBuffer* pb) {
    GLint activeUnit = GL_TEXTURE0_ARB;
    if (gl.glActiveTextureARB) glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &activeUnit);
    varnet::selectTextureUnit(pb->boundUnit);
    glBindTexture(pb->colourTarget, static_cast<GLuint>(pb->replacedTexture));
    if (gl.glActiveTextureARB) gl.glActiveTextureARB(static_cast<GLenum>(activeUnit));
    pb->bound = false;
}

}  // namespace

DPBuffer* dCreatePBuffer(int width, int height, dbool shareContext, dbool shareObjects,
                         const char* mode) {
    DPBuffer* pb = new DPBuffer;
    pb->mode = parseMode(mode);
    gPBuffers.insert(pb);
    initialise(pb, width, height, (shareContext & 0xFF) != 0, (shareObjects & 0xFF) != 0);
    return pb;
}

void dDeletePBuffer(DPBuffer* pbuffer) {
    DPBuffer* pb = live(pbuffer);
    if (!pb) return;
    const FramebufferApi api = framebufferApi();
    if (pb->bound && usable(pb)) release(pb);
    if (pb->active) {
        // Drawing must not go on into a framebuffer that is about to vanish.
        GLint current = 0;
        if (usable(pb)) glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &current);
        if (usable(pb) && static_cast<GLuint>(current) == pb->framebuffer) restoreSurface(pb, api);
    }
    // Pbuffers activated on top of this one return to what it returned to.
    for (DPBuffer* other : gActive) {
        if (other == pb || !other->active) continue;
        if (static_cast<GLuint>(other->previousDrawFramebuffer) == pb->framebuffer) {
            other->previousDrawFramebuffer = pb->previousDrawFramebuffer;
            other->previousReadFramebuffer = pb->previousReadFramebuffer;
        }
    }
    gActive.erase(std::remove(gActive.begin(), gActive.end(), pb), gActive.end());
    releaseObjects(pb, api);
    gPBuffers.erase(pb);
    delete pb;
}

void dBindPBufferAsRenderTarget(DPBuffer* pbuffer) {
    if (!pbuffer) {
        deactivateAll();
        return;
    }
    if (DPBuffer* pb = live(pbuffer)) activate(pb);
}

void dBindPBufferAsTexture(DPBuffer* pbuffer, int /*buffer: the colour buffer is bound always*/) {
    DPBuffer* pb = renderTexture(pbuffer, "Bind");
    if (!pb) return;
    if (pb->bound) {
        std::fprintf(stderr, "PBuffer::Bind() failed - pbuffer is already bound.\n");
        return;
    }
    if (!usable(pb) || !pb->colourTexture) {
        std::fprintf(stderr, "PBuffer::Bind() failed.\n");
        return;
    }
    const FramebufferApi api = framebufferApi();
    resolve(pb, api);
    GLint activeUnit = GL_TEXTURE0_ARB;
    if (gl.glActiveTextureARB) glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &activeUnit);
    pb->boundUnit = static_cast<int>(activeUnit - GL_TEXTURE0_ARB);
    glGetIntegerv(varnet::textureBindingQuery(pb->colourTarget), &pb->replacedTexture);
    glBindTexture(pb->colourTarget, pb->colourTexture);
    if (pb->mode.mipmapTexture && api.generateMipmap && pb->colourTarget != GL_TEXTURE_RECTANGLE_NV)
        api.generateMipmap(pb->colourTarget);
    pb->bound = true;
}

void dUnbindPBufferAsTexture(DPBuffer* pbuffer, int buffer) {
    DPBuffer* pb = renderTexture(pbuffer, "Release");
    if (!pb) return;
    if (!pb->bound) {
        std::fprintf(stderr, "PBuffer::Release() failed - pbuffer is not bound.\n");
        return;
    }
    if (!isColourBufferCode(buffer) || !usable(pb)) {
        std::fprintf(stderr, "PBuffer::Release() failed.\n");
        return;
    }
    release(pb);
}

// Framebuffer objects live as long as their context: nothing is ever lost.
int dRestoreBuffer(DPBuffer* /*pbuffer*/) { return 0; }

}  // namespace arvel
