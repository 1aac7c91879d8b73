// Vertex arrays: render vertices packed into an interleaved layout chosen by the format
// word, kept in a buffer object (falling back to system memory when graphics memory
// runs out) and drawn with index lists through the fixed-function client arrays.
#include "varnet/VertexArrays.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>

#include "varnet/EntryPoints.h"
#include "varnet/Exports.h"
#include "varnet/Extensions.h"

namespace arvel {

struct DVertexArray {
    int format = 0;
    int count = 0;
    int stride = 0;
    int kind = dcode::kMemorySystem;
    GLuint buffer = 0;          // buffer kinds
    uint8_t* memory = nullptr;  // system memory
};

namespace {

using varnet::gExt;
using varnet::gl;

// Byte offsets of the attributes that are written and fed; -1 where the format lacks
// one. The position is always at 0 and always takes its 12 bytes.
struct Layout {
    int normal = -1, tangent = -1, colour = -1, texCoord = -1;
    int stride = 12;
};

Layout layoutOf(int format) {
    Layout layout;
    auto take = [&](int bit, int bytes, int* offset) {
        if (!(format & bit)) return;
        if (offset) *offset = layout.stride;
        layout.stride += bytes;
    };
    take(dcode::kVertexNormal, 12, &layout.normal);
    take(dcode::kVertexTangent, 12, &layout.tangent);
    take(dcode::kVertexColour, 4, &layout.colour);
    take(dcode::kVertexTexCoord0, 8, &layout.texCoord);
    // Further sets that take space but are neither written nor fed.
    for (int bit : {0x200, 0x400, 0x800, 0x10000}) take(bit, 8, nullptr);
    for (int bit : {0x1000, 0x2000, 0x4000, 0x8000}) take(bit, 12, nullptr);
    return layout;
}

// Bytes for count vertices, or -1 when the count is negative or the size does not fit.
long long bytesFor(int count, int format) {
    if (count < 0) return -1;
    const long long bytes = static_cast<long long>(count) * layoutOf(format).stride;
    return bytes > INT_MAX ? -1 : bytes;
}

int gRenderedTriangles = 0;
int gActiveAttributes = -1;

// A 16-entry FIFO model of the post-transform cache, reset on every bind. No drawing
// path feeds it, so its miss counter stays 0.
struct VertexCacheModel {
    int entries[16] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    int position = 0;
    int misses = 0;
    void reset() {
        for (int& entry : entries) entry = -1;
        position = 0;
    }
};
VertexCacheModel gCache;

bool buffersSupported() {
    return gExt.ARB_vertex_buffer_object && gl.glGenBuffersARB && gl.glBindBufferARB &&
           gl.glBufferDataARB && gl.glDeleteBuffersARB && gl.glMapBufferARB && gl.glUnmapBufferARB;
}

bool multitexture() { return gl.glClientActiveTextureARB != nullptr; }

// Reserves the buffer object; false when the API runs out of memory (the buffer is
// then deleted again).
bool allocateBuffer(DVertexArray& array, GLsizeiptrARB bytes) {
    gl.glGenBuffersARB(1, &array.buffer);
    gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, array.buffer);
    gl.glBufferDataARB(
        GL_ARRAY_BUFFER_ARB, bytes, nullptr,
        array.kind == dcode::kMemoryStatic ? GL_STATIC_DRAW_ARB : GL_DYNAMIC_DRAW_ARB);
    bool outOfMemory = glGetError() == GL_OUT_OF_MEMORY;
    // An error queued before this call would hide the out-of-memory one; the size
    // actually reserved tells for certain.
    if (!outOfMemory && gl.glGetBufferParameterivARB) {
        GLint reserved = 0;
        gl.glGetBufferParameterivARB(GL_ARRAY_BUFFER_ARB, GL_BUFFER_SIZE_ARB, &reserved);
        outOfMemory = reserved != bytes;
    }
    if (!outOfMemory) return true;
    gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    gl.glDeleteBuffersARB(1, &array.buffer);
    array.buffer = 0;
    return false;
}

// Where the update calls write: the block itself, or a write-only mapping of the
// buffer (null when the mapping fails).
uint8_t* beginWriting(DVertexArray* array) {
    if (array->kind == dcode::kMemorySystem) return array->memory;
    gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, array->buffer);
    return static_cast<uint8_t*>(gl.glMapBufferARB(GL_ARRAY_BUFFER_ARB, GL_WRITE_ONLY_ARB));
}

void endWriting(DVertexArray* array) {
    if (array->kind != dcode::kMemorySystem) gl.glUnmapBufferARB(GL_ARRAY_BUFFER_ARB);
}

// Copies the masked attributes of one render vertex; the others keep their bytes.
void writeVertex(uint8_t* out, const Layout& layout, const RenderVertex& v, int mask) {
    if ((mask & dcode::kVertexPosition) && v.position) {
        const float position[3] = {v.position->x, v.position->y, v.position->z};
        std::memcpy(out, position, sizeof position);
    }
    if (layout.normal >= 0 && (mask & dcode::kVertexNormal))
        std::memcpy(out + layout.normal, v.normal, 3 * sizeof(float));
    if (layout.tangent >= 0 && (mask & dcode::kVertexTangent))
        std::memcpy(out + layout.tangent, v.tangent, 3 * sizeof(float));
    if (layout.colour >= 0 && (mask & dcode::kVertexColour))
        std::memcpy(out + layout.colour, v.colour, 4);
    if (layout.texCoord >= 0 && (mask & dcode::kVertexTexCoord0) && v.texCoord) {
        const float uv[2] = {v.texCoord->u, v.texCoord->v};
        std::memcpy(out + layout.texCoord, uv, sizeof uv);
    }
}

// Writes count vertices, each fetched by vertexAt(i) (null to skip one); never more
// than the array holds.
template <typename VertexAt>
void writeVertices(DVertexArray* array, int count, int mask, VertexAt vertexAt) {
    if (!array) return;
    if (count > array->count) count = array->count;
    if (count <= 0) return;  // an empty buffer cannot be mapped
    uint8_t* out = beginWriting(array);
    if (!out) return;
    const Layout layout = layoutOf(array->format);
    for (int i = 0; i < count; ++i, out += layout.stride)
        if (const RenderVertex* v = vertexAt(i)) writeVertex(out, layout, *v, mask);
    endWriting(array);
}

template <typename Index>
bool indicesBelow(const void* indices, unsigned count, int limit) {
    const auto* index = static_cast<const Index*>(indices);
    for (unsigned i = 0; i < count; ++i)
        if (static_cast<long long>(index[i]) >= limit) return false;
    return true;
}

// Drawing never reads past the array: every index must name one of its vertices.
bool indicesValid(const void* indices, unsigned count, int indexType, int vertexCount) {
    switch (indexType) {
        case GL_UNSIGNED_INT:
            return indicesBelow<GLuint>(indices, count, vertexCount);
        case GL_UNSIGNED_SHORT:
            return indicesBelow<GLushort>(indices, count, vertexCount);
        case GL_UNSIGNED_BYTE:
            return indicesBelow<GLubyte>(indices, count, vertexCount);
        default:
            return false;
    }
}

bool fed(int offset, int bit) { return offset >= 0 && (gActiveAttributes & bit); }

// Points the client arrays at the array's attributes: position always, the others
// where both the format and the active mask have them.
void setClientArrays(const DVertexArray* array, const uint8_t* base) {
    const Layout layout = layoutOf(array->format);
    const GLsizei stride = layout.stride;
    glVertexPointer(3, GL_FLOAT, stride, base);
    glEnableClientState(GL_VERTEX_ARRAY);

    if (fed(layout.normal, dcode::kVertexNormal)) {
        glNormalPointer(GL_FLOAT, stride, base + layout.normal);
        glEnableClientState(GL_NORMAL_ARRAY);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
    }

    if (multitexture()) {
        gl.glClientActiveTextureARB(GL_TEXTURE7_ARB);
        if (fed(layout.tangent, dcode::kVertexTangent)) {
            glTexCoordPointer(3, GL_FLOAT, stride, base + layout.tangent);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        } else {
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }

    if (fed(layout.colour, dcode::kVertexColour)) {
        glColorPointer(4, GL_UNSIGNED_BYTE, stride, base + layout.colour);
        glEnableClientState(GL_COLOR_ARRAY);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
    }

    if (multitexture()) gl.glClientActiveTextureARB(GL_TEXTURE0_ARB);
    if (fed(layout.texCoord, dcode::kVertexTexCoord0)) {
        glTexCoordPointer(2, GL_FLOAT, stride, base + layout.texCoord);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
}

// Makes the array's storage the source of the client arrays.
void bindSource(const DVertexArray* array) {
    if (array->kind != dcode::kMemorySystem)
        gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, array->buffer);
    else if (buffersSupported())
        gl.glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
}

}  // namespace

int varnet::renderedTriangles() { return gRenderedTriangles; }

int dVAMemNeeded(int count, int format) {
    const long long bytes = bytesFor(count, format);
    return bytes < 0 ? 0 : static_cast<int>(bytes);
}

DVertexArray* dVAAlloc(int count, int format, int memoryKind) {
    const long long bytes = bytesFor(count, format);
    if (bytes < 0) return nullptr;
    auto* array = new (std::nothrow) DVertexArray;
    if (!array) return nullptr;
    array->format = format;
    array->count = count;
    array->stride = layoutOf(format).stride;
    array->kind = memoryKind;
    if (memoryKind != dcode::kMemorySystem && buffersSupported() &&
        allocateBuffer(*array, static_cast<GLsizeiptrARB>(bytes)))
        return array;

    array->kind = dcode::kMemorySystem;
    array->memory = new (std::nothrow) uint8_t[static_cast<size_t>(bytes)]();
    if (!array->memory) {
        delete array;
        return nullptr;
    }
    return array;
}

void dVAFree(DVertexArray* array) {
    if (!array) return;
    if (array->kind == dcode::kMemorySystem)
        delete[] array->memory;
    else
        gl.glDeleteBuffersARB(1, &array->buffer);
    delete array;
}

int dVAMaxHWElements() { return 29; }

void dVASetActiveAttribs(int mask) { gActiveAttributes = mask; }

void dVAUpdateVerts(DVertexArray* array, const DVertexList* list, int mask) {
    if (!list || !list->items) return;
    writeVertices(array, list->count, mask, [&](int i) { return list->items[i]; });
}

void dVAWriteVerts(DVertexArray* array, const DVertexList* list) {
    dVAUpdateVerts(array, list, -1);
}

void dVAUpdateVertsArray(DVertexArray* array, const RenderVertex* vertices, int count, int mask) {
    if (!vertices) return;
    writeVertices(array, count, mask, [&](int i) { return &vertices[i]; });
}

void dVAWriteVertsArray(DVertexArray* array, const RenderVertex* vertices, int count) {
    dVAUpdateVertsArray(array, vertices, count, -1);
}

void dVABind(DVertexArray* array) {
    if (!array) return;
    gCache.reset();
    bindSource(array);
}

// The array's own storage is bound again here: an update in between may have bound
// another buffer, and a stale binding would turn system addresses into offsets.
void dVARender(DVertexArray* array, const void* indices, unsigned count, int primitive,
               int indexType) {
    if (!array || !indices || count > static_cast<unsigned>(INT_MAX)) return;
    if (!indicesValid(indices, count, indexType, array->count)) return;
    bindSource(array);
    setClientArrays(array, array->kind == dcode::kMemorySystem ? array->memory : nullptr);
    gRenderedTriangles += static_cast<int>(count / 3);
    glDrawElements(static_cast<GLenum>(primitive), static_cast<GLsizei>(count),
                   static_cast<GLenum>(indexType), indices);
}

int dCMisses() { return gCache.misses; }

}  // namespace arvel
