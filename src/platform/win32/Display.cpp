// Display modes of the primary display.
#include "platform/win32/Backend.h"

namespace arvel::platform {
namespace {

DEVMODEA toSystem(const DisplayMode& mode) {
    DEVMODEA devmode{};
    devmode.dmSize = sizeof devmode;
    devmode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
    devmode.dmPelsWidth = static_cast<DWORD>(mode.width);
    devmode.dmPelsHeight = static_cast<DWORD>(mode.height);
    devmode.dmBitsPerPel = static_cast<DWORD>(mode.bits);
    devmode.dmDisplayFrequency = static_cast<DWORD>(mode.frequency);  // 0: the default
    return devmode;
}

bool validSize(const DisplayMode& mode) {
    return mode.width > 0 && mode.height > 0 && mode.bits > 0 && mode.frequency >= 0;
}

}  // namespace

bool enumDisplayMode(int index, DisplayMode* mode) {
    if (index < 0 || mode == nullptr) return false;
    DEVMODEA devmode{};
    devmode.dmSize = sizeof devmode;
    if (!EnumDisplaySettingsA(nullptr, static_cast<DWORD>(index), &devmode)) return false;
    mode->width = static_cast<int>(devmode.dmPelsWidth);
    mode->height = static_cast<int>(devmode.dmPelsHeight);
    mode->bits = static_cast<int>(devmode.dmBitsPerPel);
    mode->frequency = static_cast<int>(devmode.dmDisplayFrequency);
    return true;
}

bool desktopDisplayMode(DisplayMode* mode) {
    if (mode == nullptr) return false;
    DEVMODEA devmode{};
    devmode.dmSize = sizeof devmode;
    // The registry holds the mode a switch returns to; Wine may keep none there.
    if (!EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &devmode) ||
        devmode.dmPelsWidth == 0) {
        devmode = DEVMODEA{};
        devmode.dmSize = sizeof devmode;
        if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &devmode)) return false;
    }
    mode->width = static_cast<int>(devmode.dmPelsWidth);
    mode->height = static_cast<int>(devmode.dmPelsHeight);
    mode->bits = static_cast<int>(devmode.dmBitsPerPel);
    mode->frequency = static_cast<int>(devmode.dmDisplayFrequency);
    return mode->width > 0 && mode->height > 0;
}

bool testDisplayMode(const DisplayMode& mode) {
    if (!validSize(mode)) return false;
    DEVMODEA devmode = toSystem(mode);
    return ChangeDisplaySettingsA(&devmode, CDS_TEST) == DISP_CHANGE_SUCCESSFUL;
}

bool changeDisplayMode(const DisplayMode& mode) {
    if (!validSize(mode)) return false;
    DEVMODEA devmode = toSystem(mode);
    return ChangeDisplaySettingsA(&devmode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

bool restoreDisplayMode() { return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL; }

}  // namespace arvel::platform
