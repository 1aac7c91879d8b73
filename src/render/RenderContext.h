// What a pass reads when it draws one object: the matrices, the object, the light and
// the viewer, the scissor rectangle and the occlusion query. The render queue keeps a
// copy per queued vertex array, so everything here is plain values and pointers.
//
// The world's classes are not known here: their owners hand in pointers to their own
// fields (a node's local matrix, a light's position, colour and outer radius, a view's
// position and view matrix), which must stay valid until the queued drawing is done.
#pragma once

#include <vector>

#include "core/math/Matrix4.h"
#include "core/math/Vector4.h"

namespace arvel {

class SceneNode;
class Light;
class CameraView;
struct DOcclusionQueries;

class RenderContext {
public:
    Matrix4 projection;
    Matrix4 modelView;

    // The drawn object and the matrix that places it.
    const SceneNode* object = nullptr;
    const Matrix4* objectMatrix = nullptr;

    // The light being drawn: its world position, red/green/blue and outer radius.
    const Light* light = nullptr;
    const Vector4* lightPosition = nullptr;
    const float* lightColour = nullptr;  // three floats
    const float* lightOuterRadius = nullptr;
    // How far from the light a shadow volume drawn now must reach; 0: infinitely far.
    float shadowExtrusion = 0.0f;

    // The viewer: its world position and view matrix.
    const CameraView* cameraView = nullptr;
    const Vector4* cameraPosition = nullptr;
    const Matrix4* viewMatrix = nullptr;

    // Local matrices of the drawn object's bones, in bone order.
    std::vector<const Matrix4*> bones;

    // Kept by the render queue and the World for their own use; passes never read them.
    std::vector<const void*> queueItems;
    std::vector<const void*> worldItems;

    bool scissorValid = false;
    int scissorX = 0, scissorY = 0, scissorWidth = 0, scissorHeight = 0;

    int occlusionQueryIndex = 0;
    DOcclusionQueries* occlusionQueries = nullptr;

    void setObject(const SceneNode* node, const Matrix4* localMatrix) {
        object = node;
        objectMatrix = localMatrix;
    }
    void setLight(const Light* source, const Vector4* position, const float* colour,
                  const float* outerRadius) {
        light = source;
        lightPosition = position;
        lightColour = colour;
        lightOuterRadius = outerRadius;
    }
    void setCameraView(const CameraView* view, const Vector4* position, const Matrix4* matrix) {
        cameraView = view;
        cameraPosition = position;
        viewMatrix = matrix;
    }
    void setScissor(int x, int y, int width, int height) {
        scissorX = x;
        scissorY = y;
        scissorWidth = width;
        scissorHeight = height;
        scissorValid = true;
    }
    void clearScissor() { scissorValid = false; }
    void setOcclusionQuery(int index, DOcclusionQueries* queries) {
        occlusionQueryIndex = index;
        occlusionQueries = queries;
    }
    void clearOcclusionQuery() { occlusionQueries = nullptr; }
};

// The process-wide current context: the World sets it while it renders, the render
// queue copies it with every queued vertex array, the font draws with it.
RenderContext& renderContext();

}  // namespace arvel
