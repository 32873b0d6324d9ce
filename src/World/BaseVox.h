#pragma once

#include "Graphics/Vector3.h"

// A short-lived handle on one voxel, through which meshing, tools and the
// player read (and, for terrain, edit) the world. NO_CHANGE reads without
// writing. A handle is used by the thread that made it.
class BaseVox
{
public:
    static constexpr int NO_CHANGE = 2147483647;

    BaseVox(int x, int y, int z);
    virtual ~BaseVox() = default;

    virtual Vector3 getPosition() const;
    virtual int density(int newValue = NO_CHANGE) = 0;
    virtual int material(int newValue = NO_CHANGE) = 0;

protected:
    double x;
    double y;
    double z;
};
