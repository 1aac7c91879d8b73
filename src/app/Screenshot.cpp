#include "app/Screenshot.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "core/PngFile.h"
#include "driver/Driver.h"

namespace arvel {

namespace {

// The frame buffer's rows run bottom-up with 4 bytes a pixel; PNG rows run top-down.
std::vector<uint8_t> topDownRgb(const std::vector<unsigned char>& rgba, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const unsigned char* source = &rgba[static_cast<size_t>(height - 1 - y) * width * 4];
        uint8_t* target = &rgb[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            target[x * 3 + 0] = source[x * 4 + 0];
            target[x * 3 + 1] = source[x * 4 + 1];
            target[x * 3 + 2] = source[x * 4 + 2];
        }
    }
    return rgb;
}

}  // namespace

bool writeScreenshot(const char* path, int width, int height) {
    using ReadPixels = void (*)(int, int, int, int, void*);
    auto readPixels = reinterpret_cast<ReadPixels>(driverSymbol("dReadPixels"));
    if (!readPixels || width <= 0 || height <= 0) {
        WarningBox("Screenshot failed: the driver cannot read the picture back\n");
        return false;
    }
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    readPixels(0, 0, width, height, rgba.data());
    if (!writePng(path, width, height, topDownRgb(rgba, width, height).data())) {
        WarningBox("Screenshot failed: could not write %s\n", path);
        return false;
    }
    return true;
}

bool writeNumberedScreenshot(int width, int height, std::string* written) {
    char name[32];
    for (int n = 0; n < 10000; ++n) {
        std::snprintf(name, sizeof name, "screenshot%04d.png", n);
        if (std::filesystem::exists(name)) continue;
        if (written) *written = name;
        return writeScreenshot(name, width, height);
    }
    WarningBox("Screenshot failed: screenshot0000.png to screenshot9999.png all exist\n");
    return false;
}

}  // namespace arvel
