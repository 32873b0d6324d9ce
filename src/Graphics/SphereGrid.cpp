#include "Graphics/SphereGrid.h"

#include <algorithm>
#include <cmath>

namespace {

// π / 180 as a float, the precision the geometry has always been made with.
const float degrees = 0.01745329238474369f;

std::array<float, 3> corner(float radius, float theta, float phi)
{
    const float t = theta * degrees;
    const float p = phi * degrees;
    return { radius * std::cos(t) * std::sin(p), radius * std::cos(p), radius * std::sin(t) * std::sin(p) };
}

} // namespace

std::vector<std::array<float, 3>> sphereGrid(float radius, float thetaStep, float phiStep)
{
    // A step below one degree would never advance the whole-degree counters.
    thetaStep = std::max(thetaStep, 1.0f);
    phiStep = std::max(phiStep, 1.0f);
    const int thetaAdvance = static_cast<int>(thetaStep);
    const int phiAdvance = static_cast<int>(phiStep);

    std::vector<std::array<float, 3>> corners;
    corners.reserve(static_cast<std::size_t>((360.0f / thetaStep) * (180.0f / phiStep) * 4.0f));
    for (int phi = 0; phi <= 180.0f - phiStep; phi += phiAdvance) {
        for (int theta = 0; theta <= 360.0f - thetaStep; theta += thetaAdvance) {
            corners.push_back(corner(radius, theta, phi));
            corners.push_back(corner(radius, theta, phi + phiStep));
            corners.push_back(corner(radius, theta + thetaStep, phi));
            corners.push_back(corner(radius, theta + thetaStep, phi + phiStep));
        }
    }
    return corners;
}
