// The plug-in's process-wide context state (window, rendering context, limits read at
// creation) and its error box, shared by every family of driver functions.
#pragma once

#include <cstring>

namespace arvel::platform {
struct Window;
struct GLContext;
}  // namespace arvel::platform

namespace arvel::varnet {

struct ContextState {
    platform::Window* window = nullptr;
    platform::GLContext* context = nullptr;
    int textureUnits = 1;  // 1 to 32
    int maxTextureSize = 0;
    int maxCubeMapSize = 0;
    int generalCombiners = 0;
    int stencilBits = 0;
    int samples = 0;  // of the window's pixel format; 0 without multisampling
    // Compressed storage pays: the context can compress and samples the result in
    // hardware. Textures asked to be compressed stay uncompressed otherwise.
    bool compressTextures = false;
};

extern ContextState gContext;

// Usable texture units: the image units of fragment programs where those exist, else the
// fixed-function units of multitexturing, else one; never more than 32 (nor fewer than 1).
inline int textureUnitCount(bool fragmentPrograms, bool multitexture, int imageUnits,
                            int fixedFunctionUnits) {
    int units = fragmentPrograms ? imageUnits : multitexture ? fixedFunctionUnits : 1;
    if (units > 32) units = 32;
    return units < 1 ? 1 : units;
}

// Mesa's software rasterisers name themselves in GL_RENDERER; they decode every fetch
// from a compressed texture in software, which costs more than the memory it saves.
inline bool decodesCompressedTexturesInSoftware(const char* renderer) {
    if (renderer == nullptr) return false;
    static const char* const kNames[] = {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"};
    for (const char* name : kNames)
        if (std::strstr(renderer, name)) return true;
    return false;
}

// Whether textures asked to be compressed are stored compressed: "1" or "0" in forced
// (the ARVEL_TEXCOMPRESS environment variable, for measuring) forces the choice;
// otherwise only where the renderer samples compressed textures in hardware.
inline bool compressionPays(const char* renderer, const char* forced) {
    if (forced && std::strcmp(forced, "1") == 0) return true;
    if (forced && std::strcmp(forced, "0") == 0) return false;
    return !decodesCompressedTexturesInSoftware(renderer);
}

// The "Error" box: "Error in file %s at row %d\n\n" and the message. module is the
// family's name ("newmain", "Texture"). Nothing is shown when the text does not fit.
void errorBox(const char* module, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

}  // namespace arvel::varnet
