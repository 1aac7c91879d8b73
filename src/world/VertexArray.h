// The program's side of one driver vertex array: what was asked for and the plug-in's
// handle. Meshes, dynamic-mesh instances and the light cache hold these; the render
// queue binds them by handle.
#pragma once

#include <vector>

#include "driver/DriverTypes.h"

namespace arvel {

class VertexArray {
public:
    int format = 0;       // vertex format bits
    int count = 0;        // vertices
    int bytesNeeded = 0;  // dVAMemNeeded's answer
    int memoryKind = 0;   // 288 static, 289 dynamic, 290 system memory
    DVertexArray* handle = nullptr;

    VertexArray() = default;
    ~VertexArray() { release(); }
    VertexArray(const VertexArray&) = delete;
    VertexArray& operator=(const VertexArray&) = delete;

    // Allocates room for count vertices and, when vertices is not null, writes them
    // (a contiguous run of render vertices). A previous array is released first.
    // False when the plug-in gave no handle: nothing may be drawn from it then.
    bool create(const RenderVertex* vertices, int count, int format, int memoryKind);
    // The same from a list of vertex references; count is the list's length.
    bool create(const std::vector<const RenderVertex*>& vertices, int format, int memoryKind);

    // Rewrites the attributes in mask of the first count vertices (at most the
    // array's own count); nothing without a handle.
    void update(const RenderVertex* vertices, int count, int mask);
    void update(const std::vector<const RenderVertex*>& vertices, int mask);

    void bind() const;
    // Frees the plug-in's array; every field is 0 afterwards.
    void release();

    bool valid() const { return handle != nullptr; }

private:
    bool allocate(int count, int format, int memoryKind);
};

}  // namespace arvel
