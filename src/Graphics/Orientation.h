#pragma once

#include "Graphics/Vector3.h"

// An orthonormal basis: the view's or a body's forward, up and right axes in
// world space. A plain value type, copied between the camera and the player
// on the main thread.
struct Orientation
{
    Vector3 forward { 1.0, 0.0, 0.0 };
    Vector3 up { 0.0, 1.0, 0.0 };
    Vector3 right { 0.0, 0.0, 1.0 };

    // Normalises each axis (a zero vector for one shorter than 1e-5), then
    // checks orthogonality.
    static Orientation fromAxes(const Vector3& forward, const Vector3& up, const Vector3& right);

    // False, after writing "EXCEPTION: AXES NOT ORTHOGONAL" to standard output,
    // when a pair of axes has an absolute dot product above 1e-4. The axes are
    // left as they are: a slightly skewed basis still draws.
    bool checkOrthogonal() const;

    // Turns forward and right about up; a positive angle turns forward toward
    // right. Angles of 1e-4 degrees or less do nothing.
    void rotateAboutUp(double degrees);

    // x * forward + y * up + z * right.
    Vector3 toWorld(double x, double y, double z) const;
};
