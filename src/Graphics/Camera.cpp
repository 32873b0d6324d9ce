#include "Graphics/Camera.h"

#include "Game/Window.h"
#include "Graphics/Rotation.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {
Camera* instance = nullptr;
}

Camera::Camera()
{
    instance = this;
    orientation = Orientation::fromAxes({ 1.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 }, { 0.0, 0.0, 1.0 });
    const Window& window = Window::getInstance();
    // A minimised window can report a zero height; keep the aspect finite.
    aspect = static_cast<double>(window.width) / std::max(window.height, 1);
}

Camera::~Camera()
{
    if (instance == this)
        instance = nullptr;
}

Camera& Camera::getInstance()
{
    if (!instance)
        throw "FATAL ERROR: CAMERA SINGLETON TRIED TO BE ACCESSED BEFORE IT'S INITIALIZED!";
    return *instance;
}

Vector3 Camera::lookDirection() const
{
    return orientation.toWorld(localLook.x, localLook.y, localLook.z).normalise();
}

void Camera::applyView() const
{
    const Vector3 centre = eye + lookDirection();
    const Vector3& up = orientation.up;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
}

bool Camera::pitch(int pixels)
{
    const double degrees = -pixels * mouseSensitivity;
    const Vector3 candidate
        = std::abs(degrees) <= minimumRotationDegrees ? localLook : rotateZ(localLook, degrees);
    // Looking past the vertical would flip the view upside down.
    if (candidate.x < 0.0001)
        return false;
    localLook = candidate;
    return true;
}

void Camera::yaw(int pixels)
{
    orientation.rotateAboutUp(pixels * mouseSensitivity);
}

void Camera::update(double dt)
{
    if (moveForward)
        eye += lookDirection() * dt;
    else if (moveBackward)
        eye -= lookDirection() * dt;
    if (strafeRight)
        eye += orientation.right * dt;
    else if (strafeLeft)
        eye -= orientation.right * dt;
    if (moveUp)
        eye += orientation.up * dt;
    else if (moveDown)
        eye -= orientation.up * dt;
}

void Camera::set(const Vector3& newEye, const Orientation& newOrientation)
{
    eye = newEye;
    orientation = newOrientation;
}
