#pragma once

#include "Graphics/Shape.h"

// A line segment in one colour.
class Line : public Shape
{
public:
    Line(float x1, float y1, float z1, float x2, float y2, float z2, float r, float g, float b);
};
