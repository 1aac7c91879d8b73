// Base of everything placed in the world: maps, sectors, portals, meshes, bones and
// mesh instances. A node carries its transform (position, orientation, scale), the
// matrices built from it and its bounding box in its own space.
#pragma once

#include "core/math/BoundingBox.h"
#include "core/math/Matrix4.h"
#include "core/math/Vector4.h"

namespace arvel {

class World;

// Unit quaternion for orientations; w first, identity (1, 0, 0, 0).
struct Quaternion {
    float w = 1.0f, x = 0.0f, y = 0.0f, z = 0.0f;

    // A rotation by angle radians about axis; an axis of length at most 0.00125 gives
    // the identity. The sign of the angle follows the engine's convention:
    // q = (cos(-angle / 2), sin(-angle / 2) * axis / |axis|), normalised.
    static Quaternion fromAngleAxis(float angle, const Vector4& axis);
    Quaternion normalized() const;

    friend bool operator==(const Quaternion&, const Quaternion&) = default;
};

class SceneNode {
public:
    int index = 0;                // position in the owner's list
    int flags = 0;                // bit 0: visited by the current portal walk; more bits per frame
    SceneNode* parent = nullptr;  // its world matrix places this node
    int userValue = 0;
    World* world = nullptr;
    BoundingBox boundingBox;  // in the node's own space
    Vector4 position;
    Quaternion orientation;
    Vector4 scale{1.0f, 1.0f, 1.0f, 0.0f};
    Matrix4 localMatrix;
    Matrix4 worldMatrix;

    SceneNode() = default;
    virtual ~SceneNode() = default;
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    virtual int getFlags() const { return flags; }
    virtual void setFlags(int value) { flags = value; }
    virtual const BoundingBox& getBoundingBox() const { return boundingBox; }
    // Rotation, then scale along the parent's axes, then translation.
    virtual void updateLocalMatrix();
    // Parent's world matrix x local matrix; the local matrix alone without a parent.
    virtual void updateWorldMatrix();
    virtual void setLocalMatrix(const Matrix4& matrix) { localMatrix = matrix; }
    virtual void setWorldMatrix(const Matrix4& matrix) { worldMatrix = matrix; }
    virtual void setParent(SceneNode* node) { parent = node; }
    virtual void setUserValue(int value) { userValue = value; }

    void setOrientation(float angle, const Vector4& axis) {
        orientation = Quaternion::fromAngleAxis(angle, axis);
    }
};

}  // namespace arvel
