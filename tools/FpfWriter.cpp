#include "FpfWriter.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace arvel::content {

namespace {

constexpr uint32_t kCubeMapFlag = 1;
constexpr uint32_t kBottomFirstFlag = 2;

void put32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

}  // namespace

std::string fpfBytes(const std::vector<Image>& faces, FpfOptions options) {
    const size_t perImage = options.cubeMap ? 6 : 1;
    if (faces.empty() || faces.size() % perImage != 0)
        throw std::invalid_argument("face count does not make whole images");
    const Image& first = faces.front();
    for (const Image& face : faces) {
        if (face.width != first.width || face.height != first.height ||
            face.channels != first.channels ||
            face.pixels.size() != static_cast<size_t>(face.width) *
                                      static_cast<size_t>(face.height) *
                                      static_cast<size_t>(face.channels))
            throw std::invalid_argument("faces differ in size or channels");
    }

    std::string out;
    put32(out, (options.cubeMap ? kCubeMapFlag : 0) | (options.bottomFirst ? kBottomFirstFlag : 0));
    put32(out, static_cast<uint32_t>(faces.size() / perImage));
    put32(out, static_cast<uint32_t>(first.width));
    put32(out, static_cast<uint32_t>(first.height));
    put32(out, static_cast<uint32_t>(first.channels));
    for (const Image& face : faces) {
        for (int i = 0; i < face.height; ++i) {
            const int y = options.bottomFirst ? face.height - 1 - i : i;
            for (int x = 0; x < face.width; ++x) {
                const uint8_t* p = face.at(x, y);
                if (face.channels == 1) {
                    out.push_back(static_cast<char>(p[0]));
                    continue;
                }
                out.push_back(static_cast<char>(p[2]));
                out.push_back(static_cast<char>(p[1]));
                out.push_back(static_cast<char>(p[0]));
                if (face.channels == 4) out.push_back(static_cast<char>(p[3]));
            }
        }
    }
    return out;
}

bool saveFpf(const std::filesystem::path& path, const std::vector<Image>& faces,
             FpfOptions options) {
    const std::string bytes = fpfBytes(faces, options);
    std::ofstream file(path, std::ios::binary);
    if (!file) return false;
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace arvel::content
