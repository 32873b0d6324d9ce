#pragma once

#include "Graphics/Shape.h"

// A latitude-longitude sphere of 30° cells in one colour, one triangle strip.
class Sphere : public Shape
{
public:
    Sphere(float x, float y, float z, float radius, float r, float g, float b);
};
