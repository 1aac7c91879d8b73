#include "core/PngFile.h"

#include <stb_image.h>
#include <stb_image_write.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <memory>

namespace arvel {

namespace {

// Sides past this are no screenshot; it also keeps a row's byte count in an int.
constexpr int kMaxSide = 1 << 16;

void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                               static_cast<size_t>(size));
}

}  // namespace

std::string encodePng(int width, int height, const uint8_t* rgb) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || rgb == nullptr)
        return {};
    std::string png;
    if (!stbi_write_png_to_func(appendBytes, &png, width, height, 3, rgb, width * 3)) return {};
    return png;
}

bool decodePng(std::string_view bytes, RgbImage& image) {
    image = {};
    // stb_image reads other formats too; callers asked for a PNG.
    static constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
    if (bytes.substr(0, kSignature.size()) != kSignature || bytes.size() > INT_MAX) return false;
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, channels = 0;
    // The header alone first, so that a corrupt size allocates nothing.
    if (!stbi_info_from_memory(data, length, &width, &height, &channels) || width > kMaxSide ||
        height > kMaxSide)
        return false;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(data, length, &width, &height, &channels, 3), stbi_image_free);
    if (!pixels) return false;
    image.width = width;
    image.height = height;
    image.rgb.assign(pixels.get(),
                     pixels.get() + static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    return true;
}

bool readPng(const std::filesystem::path& path, RgbImage& image) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        image = {};
        return false;
    }
    const std::string file{std::istreambuf_iterator<char>(in), {}};
    return decodePng(file, image);
}

bool writePng(const std::filesystem::path& path, int width, int height, const uint8_t* rgb) {
    const std::string png = encodePng(width, height, rgb);
    if (png.empty()) return false;
    std::ofstream out(path, std::ios::binary);
    out.write(png.data(), static_cast<std::streamsize>(png.size()));
    out.close();
    return static_cast<bool>(out);
}

bool writePng(const std::filesystem::path& path, const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() !=
            static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3)
        return false;
    return writePng(path, image.width, image.height, image.rgb.data());
}

}  // namespace arvel
