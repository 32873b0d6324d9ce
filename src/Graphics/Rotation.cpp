#include "Graphics/Rotation.h"

#include <cmath>

namespace {
constexpr double pi = 3.141592653589;
}

double degreesToRadians(double degrees)
{
    return degrees * pi / 180.0;
}

Vector3 rotateX(const Vector3& v, double degrees)
{
    const double c = std::cos(degreesToRadians(degrees));
    const double s = std::sin(degreesToRadians(degrees));
    return { v.x, c * v.y - s * v.z, s * v.y + c * v.z };
}

Vector3 rotateY(const Vector3& v, double degrees)
{
    const double c = std::cos(degreesToRadians(degrees));
    const double s = std::sin(degreesToRadians(degrees));
    return { c * v.x - s * v.z, v.y, s * v.x + c * v.z };
}

Vector3 rotateZ(const Vector3& v, double degrees)
{
    const double c = std::cos(degreesToRadians(degrees));
    const double s = std::sin(degreesToRadians(degrees));
    return { c * v.x + s * v.y, c * v.y - s * v.x, v.z };
}

Vector3 rotateAboutAxis(const Vector3& v, const Vector3& axis, double degrees)
{
    if (std::abs(degrees) <= minimumRotationDegrees)
        return v;
    // Bring the axis onto +Y with two elementary turns, turn about Y, and undo.
    const double alpha = std::atan2(axis.z, axis.x) * 180.0 / pi;
    const Vector3 inPlane = rotateY(axis, -alpha);
    const double beta = std::atan2(inPlane.x, inPlane.y) * 180.0 / pi;
    const Vector3 aligned = rotateZ(rotateY(v, -alpha), -beta);
    return rotateY(rotateZ(rotateY(aligned, degrees), beta), alpha);
}
