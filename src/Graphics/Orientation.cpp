#include "Graphics/Orientation.h"

#include "Graphics/Rotation.h"

#include <cmath>
#include <iostream>

namespace {
constexpr double orthogonalityTolerance = static_cast<double>(1e-4f);

// Unlike Vector3::normalise, a too-short axis is kept rather than zeroed: a
// rotation never shortens an axis that much unless it already was.
void rescale(Vector3& axis)
{
    const double len = axis.length();
    if (len >= 1e-5)
        axis = axis / len;
}
}

Orientation Orientation::fromAxes(const Vector3& forward, const Vector3& up, const Vector3& right)
{
    Orientation result;
    result.forward = forward.normalise();
    result.up = up.normalise();
    result.right = right.normalise();
    result.checkOrthogonal();
    return result;
}

bool Orientation::checkOrthogonal() const
{
    try {
        if (std::abs(forward.dot(up)) > orthogonalityTolerance
            || std::abs(forward.dot(right)) > orthogonalityTolerance
            || std::abs(up.dot(right)) > orthogonalityTolerance)
            throw "EXCEPTION: AXES NOT ORTHOGONAL";
    } catch (const char* message) {
        std::cout << message << std::endl;
        return false;
    }
    return true;
}

void Orientation::rotateAboutUp(double degrees)
{
    if (std::abs(degrees) <= minimumRotationDegrees)
        return;
    forward = rotateAboutAxis(forward, up, degrees);
    right = rotateAboutAxis(right, up, degrees);
    rescale(forward);
    rescale(up);
    rescale(right);
    checkOrthogonal();
}

Vector3 Orientation::toWorld(double x, double y, double z) const
{
    return forward * x + up * y + right * z;
}
