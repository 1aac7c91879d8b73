#include "console/Settings.h"

#include "console/Console.h"

namespace arvel {

void registerSettings(Console& console, Settings& s) {
    ConsoleVariable* const all[] = {
        &s.scrWidth,
        &s.scrHeight,
        &s.scrBpp,
        &s.scrDbpp,
        &s.scrSbpp,
        &s.scrFreq,
        &s.gfxDriver,
        &s.gfxVpprofile,
        &s.gfxFpprofile,
        &s.gfxHwskin,
        &s.gfxTexcompress,
        &s.gfxBumpcompress,
        &s.gfxScissor,
        &s.gfxTwosidestencil,
        &s.gfxDshadows,
        &s.gfxBoxmerge,
        &s.gfxWireframe,
        &s.gfxHwOcclusionCulling,
        &s.gfxForceDynamic,
        &s.gfxLightCache,
        &s.gfxNearClipplane,
        &s.gfxCullVolumes,
        &s.dbgDrawBboxes,
        &s.dbgDrawSboxes,
        &s.dbgDrawTangentspace,
        &s.dbgDrawEdges,
        &s.expDefaultTexturemap,
        &s.expDefaultNormalmap,
        &s.expDefaultTechnique,
        &s.expRootDir,
        &s.expBeamSamples,
        &s.scrFullscreen,
        &s.dbgFrameMs,
        &s.dbgQuitFrame,
        &s.dbgCamera,
        &s.dbgScreenshotFrame,
        &s.dbgScreenshot,
        &s.dbgPrintCamera,
        &s.dbgWalkAll,
        &s.dbgFlatWhite,
    };
    for (ConsoleVariable* variable : all) console.registerVariable(variable);
}

Settings& settings() {
    static Settings instance;
    return instance;
}

}  // namespace arvel
