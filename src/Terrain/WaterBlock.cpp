#include "Terrain/WaterBlock.h"

#include "Graphics/Camera.h"
#include "Graphics/ShaderProgram.h"
#include "Terrain/VoxelWorld.h"
#include "World/Planet.h"

#include <atomic>
#include <chrono>

namespace {

using WaterClock = std::chrono::steady_clock;

std::atomic<WaterClock::rep> clockStart { WaterClock::now().time_since_epoch().count() };
std::atomic<float> sharedElapsed { 0.0f };

} // namespace

WaterBlock::WaterBlock(const VoxelBox& box, VoxelWorld* world, int step, Clock clock)
    : VisualBlock(box, world, step)
    , planet(Planet::getInstance())
{
    if (clock == Clock::Restart)
        clockStart = WaterClock::now().time_since_epoch().count();
    rebuild();
}

WaterBlock::~WaterBlock()
{
    for (GLuint name : { vertexBuffer.name, indexBuffer.name })
        if (name != 0)
            glDeleteBuffers(1, &name);
}

std::unique_ptr<VoxelField> WaterBlock::openField(VoxelWorld& world, const VoxelBox& region)
{
    return world.waterField(region);
}

bool WaterBlock::facesUp(const Vector3& up, const Vector3& n)
{
    return up.dot(n) >= 0.1;
}

bool WaterBlock::acceptTriangle(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c)
{
    if (!planet)
        return false;
    const Vector3 n = (b.position - a.position).cross(c.position - b.position).normalise();
    return facesUp(planet->upAt(b.position), n);
}

void WaterBlock::finishMesh(Mesh& mesh, VoxelField&)
{
    if (!planet)
        return;
    for (MeshVertex& vertex : mesh.vertices)
        vertex.normal = planet->upAt(vertex.position);
}

void WaterBlock::buildArrays(Mesh& mesh)
{
    vertexArray.clear();
    vertexArray.reserve(mesh.vertices.size());
    for (const MeshVertex& vertex : mesh.vertices)
        vertexArray.push_back(
            { vertex.position, vertex.normal, Planet::orientationForUp(vertex.normal).forward });
    indexArray.clear();
    indexArray.reserve(mesh.triangles.size() * 3);
    for (const MeshTriangle& triangle : mesh.triangles)
        for (std::uint32_t index : triangle.index)
            indexArray.push_back(static_cast<std::uint16_t>(index));
}

void WaterBlock::upload()
{
    if (vertexArray.empty() || indexArray.empty()) {
        drawnVertexCount = 0;
        drawnTriangleCount = 0;
    } else {
        drawnVertexCount = static_cast<int>(vertexArray.size());
        drawnTriangleCount = static_cast<int>(indexArray.size() / 3);
    }
    sendArray(GL_ARRAY_BUFFER, vertexBuffer, vertexArray, drawnVertexCount);
    sendArray(GL_ELEMENT_ARRAY_BUFFER, indexBuffer, indexArray, drawnTriangleCount);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void WaterBlock::animate(double)
{
    const auto now = WaterClock::now().time_since_epoch().count();
    const auto elapsed = WaterClock::duration(now - clockStart.load());
    sharedElapsed = std::chrono::duration<float>(elapsed).count();
}

float WaterBlock::elapsedTime()
{
    return sharedElapsed.load();
}

void WaterBlock::draw(GLuint program)
{
    if (drawnTriangleCount != 0)
        drawSurface(program);
    // The render pass switches to lines before a wireframe block, also an empty one.
    if (wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void WaterBlock::drawSurface(GLuint program)
{
    const Camera& camera = Camera::getInstance();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4d(0.99, 0.99, 0.99, 1.0);
    useProgram(program);
    if (const Planet* sky = Planet::getInstance()) {
        const Vector3& sun = sky->sunPosition();
        glUniform3f(glGetUniformLocation(program, "sunPosition"), static_cast<float>(sun.x),
            static_cast<float>(sun.y), static_cast<float>(sun.z));
    }
    glUniform1f(glGetUniformLocation(program, "elapsedTime"), elapsedTime());
    glUniform3f(glGetUniformLocation(program, "playerPos"), static_cast<float>(camera.eye.x),
        static_cast<float>(camera.eye.y), static_cast<float>(camera.eye.z));

    const GLsizei stride = sizeof(WaterVertex);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer.name);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_DOUBLE, GL_FALSE, stride, bufferOffset(offsetof(WaterVertex, position)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_DOUBLE, GL_FALSE, stride, bufferOffset(offsetof(WaterVertex, normal)));
    glEnableVertexAttribArray(5);
    glVertexAttribPointer(5, 3, GL_DOUBLE, GL_FALSE, stride, bufferOffset(offsetof(WaterVertex, tangent)));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer.name);
    glDrawElements(GL_TRIANGLES, 3 * drawnTriangleCount, GL_UNSIGNED_SHORT, nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glDisableVertexAttribArray(5);
}
