#include "console/Settings.h"

#include "console/Console.h"

namespace arvel {

void registerSettings(Console& console, Settings& s) {
    // Declaration order; the descriptions are what cvarlist shows.
    const struct {
        ConsoleVariable* variable;
        const char* description;
    } all[] = {
        {&s.scrWidth,
         "window or screen width in pixels (0 x 0: the desktop's, 640 x 480 in a window)"},
        {&s.scrHeight, "window or screen height in pixels"},
        {&s.scrBpp, "colour bits per pixel of the display mode"},
        {&s.scrDbpp, "depth buffer bits"},
        {&s.scrSbpp, "stencil buffer bits"},
        {&s.scrFreq, "display refresh rate in Hz for full screen"},
        {&s.gfxDriver, "graphics driver module loaded at start"},
        {&s.gfxVpprofile, "vertex program profile the driver uses (best: its choice)"},
        {&s.gfxFpprofile, "fragment program profile the driver uses (best: its choice)"},
        {&s.gfxHwskin, "skin animated meshes on the graphics card"},
        {&s.gfxTexcompress, "compress colour textures when they are loaded"},
        {&s.gfxBumpcompress, "compress normal maps when they are loaded"},
        {&s.gfxScissor, "clip each light's drawing to the screen rectangle it reaches"},
        {&s.gfxTwosidestencil, "draw shadow volumes with two-sided stencil in one pass"},
        {&s.gfxDshadows, "draw stencil shadows of dynamic lights"},
        {&s.gfxBoxmerge, "largest volume of bounding boxes merged into one"},
        {&s.gfxWireframe, "draw the world as wireframe"},
        {&s.gfxHwOcclusionCulling, "skip what hardware occlusion queries find hidden"},
        {&s.gfxForceDynamic, "light everything dynamically, ignoring precomputed lighting"},
        {&s.gfxLightCache, "how many lit pieces the light cache keeps"},
        {&s.gfxNearClipplane, "distance of the near clipping plane"},
        {&s.gfxCullVolumes, "skip shadow volumes that cannot touch the view"},
        {&s.dbgDrawBboxes, "draw the bounding boxes of the static mesh octree"},
        {&s.dbgDrawSboxes, "draw the boxes of the shadow volumes"},
        {&s.dbgDrawTangentspace, "draw the tangent space vectors of static meshes"},
        {&s.dbgDrawEdges, "draw the edges of static meshes"},
        {&s.expDefaultTexturemap, "texture the exporter gives materials without one"},
        {&s.expDefaultNormalmap, "normal map the exporter gives materials without one"},
        {&s.expDefaultTechnique, "technique the exporter gives materials without one"},
        {&s.expRootDir, "game folder the exporter makes paths relative to"},
        {&s.expBeamSamples, "samples per light beam in the exporter"},
        {&s.scrFullscreen, "full screen display mode (false: a normal window)"},
        {&s.scrResizable, "the window's edges can be dragged and it can be maximised"},
        {&s.dbgFrameMs, "above 0: the clock advances exactly this many ms per frame"},
        {&s.dbgQuitFrame, "above 0: close the window after this many frames"},
        {&s.dbgCamera, "\"x y z pitch yaw roll\": where the camera starts"},
        {&s.dbgScreenshotFrame, "above 0: save that frame to dbg_screenshot"},
        {&s.dbgScreenshot, "file name of the screenshot dbg_screenshot_frame takes"},
        {&s.dbgPrintCamera, "print the camera's place and angles on exit"},
        {&s.dbgWalkAll, "walk the portals from every sector each frame, for measuring"},
        {&s.dbgFlatWhite, "materials loaded from now on draw white with flat normals"},
        {&s.dbgClearColour, "\"r g b\" (0 to 1): the colour the frame is cleared to"},
        {&s.dbgRecordPath, "file the camera's place and the clock are appended to each frame"},
        {&s.dbgTimedemo, "replay a recorded camera path at full speed, print the fps, quit"},
        {&s.dbgReload, "check about twice a second for changed files and reload them"},
        {&s.scrVsync, "wait for the display's vertical refresh at each swap"},
        {&s.scrMultisample, "samples per pixel for smooth edges: 0 (off), 2, 4 or 8"},
    };
    static_assert(sizeof all / sizeof all[0] == sizeof(Settings) / sizeof(ConsoleVariable),
                  "every member of Settings is registered");
    for (const auto& entry : all) {
        entry.variable->description = entry.description;
        console.registerVariable(entry.variable);
    }
}

Settings& settings() {
    static Settings instance;
    return instance;
}

}  // namespace arvel
