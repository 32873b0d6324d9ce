#pragma once

#include <GL/glew.h>
#include <vector>

// One vertex of a debug shape: position, then colour.
struct ShapeVertex
{
    float x, y, z;
    float r, g, b;
};

// A coloured debug primitive drawn through the fixed-function vertex and
// colour arrays with no program bound. Drawing turns lighting off (and the
// depth test, for shapes that ignore depth) and leaves it so: the render
// pass restores its own state after all shapes are drawn.
class Shape
{
public:
    virtual ~Shape() = default;
    virtual void draw();

    bool wireframe = false;
    bool depthTest = true;
    // For queued lines: above 0 the line stays queued after it is drawn.
    float keep = 0.0f;
    GLenum mode = GL_QUADS;
    std::vector<ShapeVertex> vertices;
};
