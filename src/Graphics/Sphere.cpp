#include "Graphics/Sphere.h"

#include "Graphics/SphereGrid.h"

Sphere::Sphere(float x, float y, float z, float radius, float r, float g, float b)
{
    mode = GL_TRIANGLE_STRIP;
    for (const auto& p : sphereGrid(radius, 30.0f, 30.0f))
        vertices.push_back({ x + p[0], y + p[1], z + p[2], r, g, b });
}
