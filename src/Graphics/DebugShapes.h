#pragma once

#include "Graphics/Shape.h"

#include <memory>
#include <mutex>
#include <vector>

// Shapes queued during a frame and drawn once by the render pass.
//
// Threads: the add operations may be called from any thread; drawAll() and
// the queue views only from the main thread (OpenGL). `mutex` guards the three
// queues; drawAll() holds it for the whole draw.
class DebugShapes
{
public:
    static DebugShapes& getInstance();

    void addCube(float x, float y, float z, float halfSize, float r, float g, float b);
    void addSphere(float x, float y, float z, float radius, float r, float g, float b);
    // A line whose keep is above 0 is drawn every frame from now on.
    void addLine(
        float x1, float y1, float z1, float x2, float y2, float z2, float r, float g, float b, float keep);

    // Draws every queued shape, the lines in one batch, and empties the
    // queues except for the kept lines.
    void drawAll();

    std::size_t queuedCubes() const;
    std::size_t queuedSpheres() const;
    std::size_t queuedLines() const;

private:
    DebugShapes() = default;

    mutable std::mutex mutex;
    std::vector<std::unique_ptr<Shape>> cubes;
    std::vector<std::unique_ptr<Shape>> spheres;
    std::vector<std::unique_ptr<Shape>> lines;
};
