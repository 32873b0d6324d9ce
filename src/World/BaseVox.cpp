#include "World/BaseVox.h"

BaseVox::BaseVox(int x, int y, int z)
    : x(x)
    , y(y)
    , z(z)
{
}

Vector3 BaseVox::getPosition() const
{
    return { x, y, z };
}
