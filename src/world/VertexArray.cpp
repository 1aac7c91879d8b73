#include "world/VertexArray.h"

#include <algorithm>

#include "driver/Driver.h"

namespace arvel {

bool VertexArray::allocate(int vertexCount, int vertexFormat, int kind) {
    release();
    format = vertexFormat;
    count = std::max(vertexCount, 0);
    memoryKind = kind;
    if (gDriver.dVAMemNeeded) bytesNeeded = gDriver.dVAMemNeeded(count, format);
    if (gDriver.dVAAlloc) handle = gDriver.dVAAlloc(count, format, memoryKind);
    return handle != nullptr;
}

bool VertexArray::create(const RenderVertex* vertices, int vertexCount, int vertexFormat,
                         int kind) {
    if (!allocate(vertexCount, vertexFormat, kind)) return false;
    if (vertices && gDriver.dVAWriteVertsArray) gDriver.dVAWriteVertsArray(handle, vertices, count);
    return true;
}

bool VertexArray::create(const std::vector<const RenderVertex*>& vertices, int vertexFormat,
                         int kind) {
    if (!allocate(static_cast<int>(vertices.size()), vertexFormat, kind)) return false;
    const DVertexList list{vertices.data(), count};
    if (gDriver.dVAWriteVerts) gDriver.dVAWriteVerts(handle, &list);
    return true;
}

void VertexArray::update(const RenderVertex* vertices, int vertexCount, int mask) {
    if (!handle || !vertices || !gDriver.dVAUpdateVertsArray) return;
    // The plug-in's array holds count vertices; writing more would run past it.
    vertexCount = std::min(vertexCount, count);
    if (vertexCount <= 0) return;
    gDriver.dVAUpdateVertsArray(handle, vertices, vertexCount, mask);
}

void VertexArray::update(const std::vector<const RenderVertex*>& vertices, int mask) {
    if (!handle || !gDriver.dVAUpdateVerts) return;
    const int vertexCount = std::min(static_cast<int>(vertices.size()), count);
    if (vertexCount <= 0) return;
    const DVertexList list{vertices.data(), vertexCount};
    gDriver.dVAUpdateVerts(handle, &list, mask);
}

void VertexArray::bind() const {
    if (handle && gDriver.dVABind) gDriver.dVABind(handle);
}

void VertexArray::release() {
    if (handle && gDriver.dVAFree) gDriver.dVAFree(handle);
    handle = nullptr;
    format = count = bytesNeeded = memoryKind = 0;
}

}  // namespace arvel
