#include "level/GltfMaterials.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "level/GltfAccessor.h"

namespace arvel::level {

namespace {

std::string inQuotes(const std::string& s) { return "\"" + s + "\""; }

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// A file name made of the characters every file system takes.
std::string fileSafe(const std::string& name) {
    std::string out;
    for (char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_';
        out += plain ? c : '_';
    }
    return out.empty() ? "image" : out;
}

// tinygltf gives RGBA at 8 or 16 bits; an image without transparency keeps 3 channels.
void convert(const tinygltf::Image& image, content::Image& out) {
    const size_t pixels = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
    const size_t channels = static_cast<size_t>(std::max(image.component, 1));
    const size_t bytes = image.bits == 16 ? 2 : 1;
    if (image.image.size() < pixels * channels * bytes) return;
    auto at = [&](size_t i, size_t c) -> uint8_t {
        if (c >= channels) return c == 3 ? 255 : image.image[i * channels * bytes];
        const size_t offset = (i * channels + c) * bytes;
        return image.image[offset + bytes - 1];  // a 16-bit channel's high byte
    };
    bool opaque = true;
    for (size_t i = 0; i < pixels && opaque; ++i) opaque = at(i, 3) == 255;
    out.width = image.width;
    out.height = image.height;
    out.channels = opaque ? 3 : 4;
    out.pixels.reserve(pixels * static_cast<size_t>(out.channels));
    for (size_t i = 0; i < pixels; ++i)
        for (size_t c = 0; c < static_cast<size_t>(out.channels); ++c)
            out.pixels.push_back(at(i, c));
}

}  // namespace

bool decodeImage(tinygltf::Image* image, int index, std::string* err, std::string* warn, int width,
                 int height, const unsigned char* bytes, int size, void* user) {
    auto* decoding = static_cast<ImageDecoding*>(user);
    if (!decoding->decode) return true;
    std::string why;
    if (!tinygltf::LoadImageData(image, index, &why, warn, width, height, bytes, size, nullptr)) {
        decoding->failures[index] = why.empty() ? "not a PNG or JPEG image" : why;
        image->image.clear();
    }
    (void)err;
    return true;
}

std::string GltfMaterials::imageFile(int texture, const std::string& material, const char* role) {
    if (texture < 0 || static_cast<size_t>(texture) >= model_.textures.size())
        throw level_.error("material " + inQuotes(material),
                           std::string("its ") + role + " texture does not exist");
    const int source = model_.textures[static_cast<size_t>(texture)].source;
    if (source < 0 || static_cast<size_t>(source) >= model_.images.size())
        throw level_.error("material " + inQuotes(material),
                           std::string("its ") + role + " texture has no image");
    const auto known = imageFiles_.find(source);
    if (known != imageFiles_.end()) return known->second;
    const tinygltf::Image& image = model_.images[static_cast<size_t>(source)];
    std::string label = image.name;
    if (label.empty() && !image.uri.empty() && !startsWith(image.uri, "data:"))
        label = std::filesystem::path(image.uri).stem().string();
    if (label.empty()) label = "image" + std::to_string(source);
    const std::string shown =
        image.uri.empty() || startsWith(image.uri, "data:") ? inQuotes(label) : inQuotes(image.uri);
    LevelImage out;
    out.name = uniqueName(label, static_cast<size_t>(source));
    if (decoding_.decode) {
        const auto failure = decoding_.failures.find(source);
        if (failure != decoding_.failures.end())
            throw level_.error("material " + inQuotes(material),
                               std::string("its ") + role + " image " + shown +
                                   " cannot be read: " + failure->second);
        if (image.image.empty() || image.width <= 0 || image.height <= 0)
            throw level_.error("material " + inQuotes(material),
                               std::string("its ") + role + " image " + shown +
                                   " cannot be read (is the file beside the level?)");
        if (image.width > 8192 || image.height > 8192)
            throw level_.error("material " + inQuotes(material),
                               std::string("its ") + role + " image " + shown +
                                   " is larger than 8192 pixels across");
        convert(image, out.picture);
    }
    imageFiles_[source] = out.name;
    images_.push_back(std::move(out));
    return images_.back().name;
}

// The file name for an image labelled so; tag tells apart two labels that read alike.
std::string GltfMaterials::uniqueName(const std::string& label, size_t tag) const {
    const std::string name = prefix_ + fileSafe(label) + ".tga";
    for (const LevelImage& other : images_)
        if (other.name == name)
            return prefix_ + fileSafe(label) + "_" + std::to_string(tag) + ".tga";
    return name;
}

// An 8 x 8 image of one colour, given as glTF gives colours (linear) and stored as
// images are (sRGB).
std::string GltfMaterials::plainImage(const std::string& label, const Vec3& linear) {
    LevelImage out;
    out.name = uniqueName(label, images_.size());
    out.picture = content::Image(8, 8, 3);
    uint8_t rgb[3];
    for (int c = 0; c < 3; ++c) {
        const double x = std::clamp(std::isfinite(linear[c]) ? linear[c] : 1.0, 0.0, 1.0);
        const double srgb = x <= 0.0031308 ? 12.92 * x : 1.055 * std::pow(x, 1.0 / 2.4) - 0.055;
        rgb[c] = static_cast<uint8_t>(std::lround(srgb * 255.0));
    }
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) out.picture.set(x, y, {rgb[0], rgb[1], rgb[2]});
    images_.push_back(std::move(out));
    return images_.back().name;
}

int GltfMaterials::material(int index, const std::string& object) {
    const auto known = materials_.find(index);
    if (known != materials_.end()) return known->second;
    SourceMaterial m;
    if (index < 0) {
        m.name = "(no material)";
        m.textures.push_back(plainImage("white", {1.0, 1.0, 1.0}));
    } else if (static_cast<size_t>(index) >= model_.materials.size()) {
        throw level_.error(gltfObject(object), "refers to a material that does not exist");
    } else {
        const tinygltf::Material& source = model_.materials[static_cast<size_t>(index)];
        m.name = source.name.empty() ? "material " + std::to_string(index) : source.name;
        m.path = "material " + inQuotes(m.name);
        const int base = source.pbrMetallicRoughness.baseColorTexture.index;
        const int normal = source.normalTexture.index;
        // A normal map needs a colour to modulate; without one the face is lit flat.
        if (base >= 0) {
            m.textures.push_back(imageFile(base, m.name, "base colour"));
            if (normal >= 0) {
                m.textures.push_back(imageFile(normal, m.name, "normal"));
                m.technique = "static_bump.rt";
            }
        } else {
            // The techniques draw texture 0: a surface without an image gets one of
            // its base colour.
            const std::vector<double>& factor = source.pbrMetallicRoughness.baseColorFactor;
            m.textures.push_back(plainImage(m.name, factor.size() >= 3
                                                        ? Vec3{factor[0], factor[1], factor[2]}
                                                        : Vec3{1.0, 1.0, 1.0}));
        }
        if (source.extras.IsObject() && source.extras.Has("technique")) {
            const tinygltf::Value& technique = source.extras.Get("technique");
            if (!technique.IsString() || technique.Get<std::string>().empty())
                throw level_.error(m.path,
                                   "the custom property \"technique\" must name a "
                                   "technique script");
            m.technique = technique.Get<std::string>();
        }
    }
    level_.materials.push_back(std::move(m));
    const int added = static_cast<int>(level_.materials.size()) - 1;
    materials_[index] = added;
    return added;
}

}  // namespace arvel::level
