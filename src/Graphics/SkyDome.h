#pragma once

#include "Graphics/GpuBuffer.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/Vector3.h"

#include <vector>

// Position, then texture coordinates.
struct SkyVertex
{
    float x, y, z;
    float u, v;
};

// The sky: a sphere of radius 20 drawn first in every frame, behind
// everything, and coloured by the "skydome" shader from the sun, the eye and
// the viewing direction. Main thread only; needs the planet and the camera
// when rendering.
class SkyDome
{
public:
    // Angular steps in degrees; the scene uses 15 and 15.
    SkyDome(float thetaStep, float phiStep);
    ~SkyDome();
    SkyDome(const SkyDome&) = delete;
    SkyDome& operator=(const SkyDome&) = delete;

    // The dome's triangle strip, texture coordinates from each direction.
    static std::vector<SkyVertex> generate(float thetaStep, float phiStep);

    // Leaves the depth test and lighting enabled and no program bound.
    void render(const Vector3& lookDirection);

    static constexpr float radius = 20.0f;

    int vertexCount = 0;
    std::vector<SkyVertex> vertices;
    ShaderProgram shader;
    GpuBuffer buffer;
    GLuint vertexArray = 0;

private:
    void upload();
};
