#include "Graphics/SkyDome.h"

#include "Graphics/BufferPool.h"
#include "Graphics/Camera.h"
#include "Graphics/SphereGrid.h"
#include "World/Planet.h"

#include <cmath>
#include <cstddef>

SkyDome::SkyDome(float thetaStep, float phiStep)
    : buffer { BufferPool::getInstance().acquire(), 0 }
{
    glGenVertexArrays(1, &vertexArray);
    vertices = generate(thetaStep, phiStep);
    vertexCount = vertices.size();
    upload();
    shader.load("./Resources/Shaders/skydome", false);
}

SkyDome::~SkyDome()
{
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &buffer.name);
}

std::vector<SkyVertex> SkyDome::generate(float thetaStep, float phiStep)
{
    std::vector<SkyVertex> dome;
    for (const auto& p : sphereGrid(radius, thetaStep, phiStep)) {
        const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        const float nx = p[0] / length;
        const float ny = p[1] / length;
        const float nz = p[2] / length;
        const float u = std::atan2(nx, nz) / 6.283185307178 + 0.5;
        const float v = std::asin(ny) / 3.141592653589 + 0.5;
        dome.push_back({ p[0], p[1], p[2], u, v });
    }
    return dome;
}

void SkyDome::upload()
{
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(SkyVertex), vertices.data(), GL_STATIC_DRAW);
    buffer.count = vertices.size();
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(
        0, 3, GL_FLOAT, GL_FALSE, sizeof(SkyVertex), reinterpret_cast<void*>(offsetof(SkyVertex, x)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(
        2, 2, GL_FLOAT, GL_FALSE, sizeof(SkyVertex), reinterpret_cast<void*>(offsetof(SkyVertex, u)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SkyDome::render(const Vector3& lookDirection)
{
    shader.use();
    // A missing planet is reported by getInstance; the sky keeps the last sun.
    if (Planet* planet = Planet::getInstance())
        shader.setVec3("sunPosition", planet->sunPosition());
    shader.setVec3("playerPos", Camera::getInstance().eye);
    shader.setVec3("playerLookAtDir", lookDirection);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, buffer.count);
    glBindVertexArray(0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);

    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_3D, 0);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    useProgram(0);
}
