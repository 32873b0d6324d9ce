#pragma once

#include <array>
#include <vector>

// The corners of a latitude-longitude sphere around the origin, four per
// cell, P(θ, φ), P(θ, φ + φStep), P(θ + θStep, φ), P(θ + θStep, φ + φStep),
// with P(θ, φ) = radius · (cos θ sin φ, cos φ, sin θ sin φ): drawn as one
// triangle strip the cells join through degenerate triangles and face the
// centre. Rows run from the top pole (φ = 0) down; steps in whole degrees,
// at least 1.
std::vector<std::array<float, 3>> sphereGrid(float radius, float thetaStep, float phiStep);
