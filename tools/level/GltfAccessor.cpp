#include "level/GltfAccessor.h"

#include <cstring>

namespace arvel::level {

std::string gltfObject(const std::string& name) { return "object \"" + name + "\""; }

GltfAccessor::GltfAccessor(const tinygltf::Model& model, int index, const std::string& object,
                           const LevelSource& level)
    : model_(model), level_(level), object_(object) {
    if (index < 0 || static_cast<size_t>(index) >= model.accessors.size())
        fail("refers to accessor " + std::to_string(index) + ", which does not exist");
    const tinygltf::Accessor& accessor = model.accessors[static_cast<size_t>(index)];
    if (accessor.sparse.isSparse) fail("uses a sparse accessor, which is not supported");
    components_ = tinygltf::GetNumComponentsInType(static_cast<uint32_t>(accessor.type));
    componentSize_ =
        tinygltf::GetComponentSizeInBytes(static_cast<uint32_t>(accessor.componentType));
    if (components_ <= 0 || componentSize_ <= 0) fail("has an accessor of an unknown type");
    type_ = accessor.componentType;
    normalized_ = accessor.normalized;
    count_ = accessor.count;
    if (accessor.bufferView < 0 ||
        static_cast<size_t>(accessor.bufferView) >= model.bufferViews.size())
        fail("has an accessor without data");
    const tinygltf::BufferView& view = model.bufferViews[static_cast<size_t>(accessor.bufferView)];
    if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= model.buffers.size())
        fail("refers to a buffer that does not exist");
    const std::vector<unsigned char>& buffer = model.buffers[static_cast<size_t>(view.buffer)].data;
    const size_t element = static_cast<size_t>(components_) * componentSize_;
    stride_ = view.byteStride ? view.byteStride : element;
    const size_t viewEnd = view.byteOffset + view.byteLength;
    if (view.byteOffset > buffer.size() || view.byteLength > buffer.size() - view.byteOffset ||
        accessor.byteOffset > view.byteLength || stride_ < element)
        fail("has data beyond the end of its buffer (a missing or short buffer file?)");
    const size_t available = view.byteLength - accessor.byteOffset;
    if (count_ > 0 && (available < element || (count_ - 1) > (available - element) / stride_))
        fail("has data beyond the end of its buffer (a missing or short buffer file?)");
    data_ = buffer.data() + view.byteOffset + accessor.byteOffset;
    (void)viewEnd;
}

double GltfAccessor::get(size_t i, int c) const {
    const unsigned char* p = data_ + i * stride_ + static_cast<size_t>(c) * componentSize_;
    switch (type_) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: {
            float f;
            std::memcpy(&f, p, sizeof f);
            return f;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return normalized_ ? *p / 255.0 : *p;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            uint16_t v;
            std::memcpy(&v, p, sizeof v);
            return normalized_ ? v / 65535.0 : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
            uint32_t v;
            std::memcpy(&v, p, sizeof v);
            return v;
        }
        case TINYGLTF_COMPONENT_TYPE_BYTE: {
            int8_t v;
            std::memcpy(&v, p, sizeof v);
            return normalized_ ? std::max(v / 127.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            int16_t v;
            std::memcpy(&v, p, sizeof v);
            return normalized_ ? std::max(v / 32767.0, -1.0) : v;
        }
        default: {
            double d;
            std::memcpy(&d, p, sizeof d);
            return d;
        }
    }
}

void GltfAccessor::fail(const std::string& what) const {
    throw level_.error(gltfObject(object_), what);
}

}  // namespace arvel::level
