#include "app/Screenshot.h"

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/ErrorReport.h"
#include "driver/Driver.h"

namespace arvel {

namespace {

bool writePng(const char* path, int width, int height, const std::vector<unsigned char>& rgba) {
    FILE* file = std::fopen(path, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (png && info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
        // The frame buffer's rows run bottom-up; images run top-down.
        for (int y = height - 1; y >= 0; --y) {
            const unsigned char* source = &rgba[static_cast<size_t>(y) * width * 4];
            for (int x = 0; x < width; ++x) {
                row[x * 3 + 0] = source[x * 4 + 0];
                row[x * 3 + 1] = source[x * 4 + 1];
                row[x * 3 + 2] = source[x * 4 + 2];
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
    return std::fclose(file) == 0 && ok;
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
    if (!writePng(path, width, height, rgba)) {
        WarningBox("Screenshot failed: could not write %s\n", path);
        return false;
    }
    return true;
}

bool writeNumberedScreenshot(int width, int height) {
    char name[32];
    for (int n = 0; n < 10000; ++n) {
        std::snprintf(name, sizeof name, "screenshot%04d.png", n);
        if (!std::filesystem::exists(name)) return writeScreenshot(name, width, height);
    }
    WarningBox("Screenshot failed: screenshot0000.png to screenshot9999.png all exist\n");
    return false;
}

}  // namespace arvel
