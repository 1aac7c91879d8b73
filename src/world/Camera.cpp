#include "world/Camera.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/Semaphore.h"

namespace arvel {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kHalfDegreesToRadians = 0.008726646f;

// Holds the camera's lock for one copy. A camera whose lock could not be made runs
// unlocked: the program has one thread.
class Locked {
public:
    explicit Locked(Semaphore* lock) : lock_(lock) {
        if (lock_) waitSemaphore(lock_);
    }
    ~Locked() {
        if (lock_) releaseSemaphore(lock_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Semaphore* lock_;
};

// Camera space: four side planes through the eye that pass through the window from
// (-x, -y) to (x, y) one unit ahead, no caps.
ViewVolume pyramid(float x, float y, const Plane (&planes)[4]) {
    ViewVolume volume;
    volume.sidePlanes.assign(std::begin(planes), std::end(planes));
    volume.corners = {{-x, -y, -1, 0}, {x, -y, -1, 0}, {x, y, -1, 0}, {-x, y, -1, 0}};
    volume.finish();
    return volume;
}

// The inward plane through the eye and the line at tangent slope of the axis: normal
// (-1, -slope) in the (axis, z) plane, of unit length, mirrored for the other side.
Plane sidePlane(int axis, float sign, float slope) {
    const float length = std::sqrt(1.0f + slope * slope);
    Vector4 normal{0, 0, -slope / length, 0};
    (axis == 0 ? normal.x : normal.y) = -sign / length;
    return Plane{normal, 0};
}

}  // namespace

CameraView::CameraView() { setFieldOfView(90.0f); }

void CameraView::setFieldOfView(float degrees) {
    // Outside this range the planes would fold over or lie flat.
    if (!(degrees >= 1.0f)) degrees = 1.0f;
    if (!(degrees <= 179.0f)) degrees = 179.0f;
    fieldOfView_ = degrees;

    float h = degrees * kHalfDegreesToRadians;
    float c = std::cos(h), s = std::sin(h);
    // The window one unit ahead, where the planes pass (1 by 1 at 90 degrees).
    float e = std::tan(h);
    frustum_ = pyramid(e, e,
                       {Plane{{-c, 0, -s, 0}, 0}, Plane{{c, 0, -s, 0}, 0}, Plane{{0, -c, -s, 0}, 0},
                        Plane{{0, c, -s, 0}, 0}});
}

ViewVolume CameraView::worldVolume(const FrameShape& frame) const {
    const float e = frustum_.corners[2].x;
    if (frame.slopeX <= e && frame.slopeY <= e) return frustum_.transformed(cameraToWorld());
    // A window wider (or taller) than the field of view: its sides must not be cut.
    const float x = std::max(e, frame.slopeX), y = std::max(e, frame.slopeY);
    return pyramid(
               x, y,
               {sidePlane(0, 1, x), sidePlane(0, -1, x), sidePlane(1, 1, y), sidePlane(1, -1, y)})
        .transformed(cameraToWorld());
}

void CameraView::updateMatrix() {
    float a = angles.pitch * kDegreesToRadians;
    float b = angles.yaw * kDegreesToRadians;
    float c = angles.roll * kDegreesToRadians;
    float sa = std::sin(a), ca = std::cos(a);
    float sb = std::sin(b), cb = std::cos(b);
    float sc = std::sin(c), cc = std::cos(c);

    float* m = viewMatrix_.m;
    m[0] = sa * sb * sc + cc * cb;
    m[1] = sa * sb * cc - sc * cb;
    m[2] = -sb * ca;
    m[3] = 0.0f;
    m[4] = sc * ca;
    m[5] = cc * ca;
    m[6] = sa;
    m[7] = 0.0f;
    m[8] = sb * cc - sa * sc * cb;
    m[9] = -sb * sc - sa * cc * cb;
    m[10] = cb * ca;
    m[11] = 0.0f;
    const Vector4& p = position;
    m[12] = -(p.x * m[0] + p.y * m[4] + p.z * m[8]);
    m[13] = -(p.x * m[1] + p.y * m[5] + p.z * m[9]);
    m[14] = -(p.x * m[2] + p.y * m[6] + p.z * m[10]);
    m[15] = 1.0f;
}

Matrix4 CameraView::cameraToWorld() const {
    // Transposed rotation, and the eye's own position as translation.
    Matrix4 inverse;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            inverse.m[4 * column + row] = viewMatrix_.m[4 * row + column];
    inverse.m[12] = position.x;
    inverse.m[13] = position.y;
    inverse.m[14] = position.z;
    return inverse;
}

Camera::Camera() : lock_(createSemaphore(1, 1)), view_(std::make_unique<CameraView>()) {}

Camera::~Camera() { destroySemaphore(lock_); }

void Camera::setPosition(float x, float y, float z, float w) {
    Locked guard(lock_);
    position_ = {x, y, z, w};
}

void Camera::setOrientation(float pitch, float yaw, float roll, float w) {
    Locked guard(lock_);
    orientation_ = {pitch, yaw, roll, w};
}

Vector4 Camera::position() const {
    Locked guard(lock_);
    return position_;
}

EulerAngles Camera::orientation() const {
    Locked guard(lock_);
    return orientation_;
}

const CameraView& Camera::updateView() {
    {
        Locked guard(lock_);
        view_->position = position_;
        view_->angles = orientation_;
    }
    view_->updateMatrix();
    return *view_;
}

}  // namespace arvel
