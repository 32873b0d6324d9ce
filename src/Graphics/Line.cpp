#include "Graphics/Line.h"

Line::Line(float x1, float y1, float z1, float x2, float y2, float z2, float r, float g, float b)
{
    mode = GL_LINES;
    vertices = { { x1, y1, z1, r, g, b }, { x2, y2, z2, r, g, b } };
}
