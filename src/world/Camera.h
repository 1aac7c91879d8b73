// The viewer steered by the input code: a position and Euler angles in degrees behind
// a lock, turned on request into a view matrix and a camera-space frustum.
#pragma once

#include <memory>

#include "core/math/Matrix4.h"
#include "core/math/Vector4.h"
#include "world/FrameShape.h"
#include "world/ViewVolume.h"

namespace arvel {

struct Semaphore;

// Pitch, yaw and roll in degrees; w is carried along and never read.
struct EulerAngles {
    float pitch = 0.0f, yaw = 0.0f, roll = 0.0f, w = 0.0f;
};

// What a frame renders from: a copy of the camera's state with its matrices.
class CameraView {
public:
    CameraView();

    Vector4 position;
    EulerAngles angles;

    float fieldOfView() const { return fieldOfView_; }
    // Rebuilds the frustum; kept between 1 and 179 degrees.
    void setFieldOfView(float degrees);
    // Camera space: the eye at the origin looking down -z. Four side planes through
    // the eye (right, left, top, bottom), the same angle across and up, no caps.
    const ViewVolume& frustum() const { return frustum_; }

    // World to camera space, from position and angles.
    const Matrix4& viewMatrix() const { return viewMatrix_; }
    void updateMatrix();
    // Camera to world space: the inverse of the (rigid) view matrix.
    Matrix4 cameraToWorld() const;
    // The frustum carried into world space, widened where a frame of that shape sees
    // more than it (a window wider than the field of view).
    ViewVolume worldVolume(const FrameShape& frame = FrameShape()) const;

private:
    float fieldOfView_ = 90.0f;
    ViewVolume frustum_;
    Matrix4 viewMatrix_;
};

class Camera {
public:
    Camera();
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    void setPosition(float x, float y, float z, float w);
    void setOrientation(float pitch, float yaw, float roll, float w);
    Vector4 position() const;
    EulerAngles orientation() const;
    float fieldOfView() const { return fieldOfView_; }

    // Copies position and orientation into the view and rebuilds its matrix. The view
    // belongs to the camera and stays valid until the next update.
    const CameraView& updateView();

private:
    Semaphore* lock_ = nullptr;
    std::unique_ptr<CameraView> view_;
    float fieldOfView_ = 90.0f;
    Vector4 position_;
    EulerAngles orientation_;
};

}  // namespace arvel
