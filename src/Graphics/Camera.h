#pragma once

#include "Graphics/Orientation.h"
#include "Graphics/Vector3.h"

// The viewer's eye, orientation and perspective. Created once by the scene,
// which owns it; the constructor publishes it for Camera::getInstance().
// Main thread only: no lock.
class Camera
{
public:
    Camera();
    ~Camera();
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // Throws "FATAL ERROR: CAMERA SINGLETON TRIED TO BE ACCESSED BEFORE IT'S
    // INITIALIZED!" when no camera exists.
    static Camera& getInstance();

    // The world-space viewing direction: localLook through the orientation,
    // normalised.
    Vector3 lookDirection() const;
    // gluLookAt on the current model-view matrix. Needs a GL context.
    void applyView() const;
    // Positive pixels look up. Refused (false, nothing changes) when the view
    // would tip over the vertical.
    bool pitch(int pixels);
    // Positive pixels turn right.
    void yaw(int pixels);
    // Moves the eye by dt along every axis whose movement flag is set.
    void update(double dt);
    void set(const Vector3& newEye, const Orientation& newOrientation);

    Vector3 eye;
    Orientation orientation;
    // The viewing direction in the orientation's axes (x forward, y up,
    // z right); pitch turns it, so looking up never rolls the body.
    Vector3 localLook { 1.0, 0.0, 0.0 };
    bool moveForward = false;
    bool moveBackward = false;
    bool strafeLeft = false;
    bool strafeRight = false;
    bool moveUp = false;
    bool moveDown = false;
    // Degrees per pixel of mouse motion.
    double mouseSensitivity = static_cast<double>(0.15f);
    double fieldOfView = 60.0;
    double aspect = 1.0;
    double nearPlane = 0.1;
    // Far enough for the whole planet from a few radii away; the depth
    // precision near the viewer hangs on the near plane alone.
    double farPlane = 4000.0;
};
