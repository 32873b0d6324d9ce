#pragma once

#include "Graphics/Vector3.h"

// What the walking player asks of the terrain: the density at a point (0 or
// more is ground) and the way out of it. The game answers with the terrain
// data manager (TerrainGround); tests answer with shapes of their own.
class Ground
{
public:
    virtual ~Ground() = default;

    virtual double sampleDensity(const Vector3& p) = 0;
    // `to` when it is in the air; otherwise `to` moved out of the ground along
    // the surface normal, or `from` when no free point lies near.
    virtual Vector3 pushOutOfGround(const Vector3& from, const Vector3& to) = 0;
};
