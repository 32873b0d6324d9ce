#pragma once

#include "Graphics/Vector3.h"

// Elementary rotations of a vector, angles in degrees. Pure functions, safe on
// any thread.

// Angles at or below this (in absolute value) turn nothing; it is the
// single-precision 1e-4 the mouse handling has always used.
constexpr double minimumRotationDegrees = static_cast<double>(1e-4f);

double degreesToRadians(double degrees);

// (x, c*y - s*z, s*y + c*z)
Vector3 rotateX(const Vector3& v, double degrees);
// (c*x - s*z, y, s*x + c*z)
Vector3 rotateY(const Vector3& v, double degrees);
// (c*x + s*y, c*y - s*x, z)
Vector3 rotateZ(const Vector3& v, double degrees);
// Turns v about axis in the sense rotateY turns about +Y; for a positive angle
// about up, forward turns toward right.
Vector3 rotateAboutAxis(const Vector3& v, const Vector3& axis, double degrees);
