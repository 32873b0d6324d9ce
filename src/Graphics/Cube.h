#pragma once

#include "Graphics/Shape.h"

// An axis-aligned box reaching halfSize from the centre on every axis, in one
// colour, as six quads.
class Cube : public Shape
{
public:
    Cube(float x, float y, float z, float halfSize, float r, float g, float b);
};
