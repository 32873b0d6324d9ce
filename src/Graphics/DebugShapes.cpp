#include "Graphics/DebugShapes.h"

#include "Graphics/Cube.h"
#include "Graphics/Line.h"
#include "Graphics/Sphere.h"

#include <algorithm>

namespace {

void drawAndClear(std::vector<std::unique_ptr<Shape>>& shapes)
{
    for (auto& shape : shapes)
        shape->draw();
    shapes.clear();
}

} // namespace

DebugShapes& DebugShapes::getInstance()
{
    static DebugShapes instance;
    return instance;
}

void DebugShapes::addCube(float x, float y, float z, float halfSize, float r, float g, float b)
{
    auto cube = std::make_unique<Cube>(x, y, z, halfSize, r, g, b);
    std::lock_guard<std::mutex> lock(mutex);
    cubes.push_back(std::move(cube));
}

void DebugShapes::addSphere(float x, float y, float z, float radius, float r, float g, float b)
{
    auto sphere = std::make_unique<Sphere>(x, y, z, radius, r, g, b);
    std::lock_guard<std::mutex> lock(mutex);
    spheres.push_back(std::move(sphere));
}

void DebugShapes::addLine(
    float x1, float y1, float z1, float x2, float y2, float z2, float r, float g, float b, float keep)
{
    auto line = std::make_unique<Line>(x1, y1, z1, x2, y2, z2, r, g, b);
    line->keep = keep;
    std::lock_guard<std::mutex> lock(mutex);
    lines.push_back(std::move(line));
}

void DebugShapes::drawAll()
{
    std::lock_guard<std::mutex> lock(mutex);
    drawAndClear(cubes);
    drawAndClear(spheres);

    Shape batch;
    batch.mode = GL_LINES;
    batch.vertices.reserve(lines.size() * 2);
    for (const auto& line : lines)
        batch.vertices.insert(batch.vertices.end(), line->vertices.begin(), line->vertices.end());
    batch.draw();
    lines.erase(
        std::remove_if(lines.begin(), lines.end(), [](const auto& line) { return line->keep <= 0.0f; }),
        lines.end());
}

std::size_t DebugShapes::queuedCubes() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return cubes.size();
}

std::size_t DebugShapes::queuedSpheres() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return spheres.size();
}

std::size_t DebugShapes::queuedLines() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return lines.size();
}
