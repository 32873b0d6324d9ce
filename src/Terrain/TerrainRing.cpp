#include "Terrain/TerrainRing.h"

TerrainRing::TerrainRing(int step, int size, int count)
    : step(step)
    , size(size)
    , count(count)
{
    order.push_back({ { 0, 0, 0 }, "HIGHTER: ERROR FI > FVB.SIZE -" });
    for (int d = 1; d <= count / 2; ++d) {
        for (int side : { -d, d })
            for (int y = -d; y <= d; ++y)
                for (int z = -d; z <= d; ++z)
                    order.push_back({ { side, y, z }, "LR: ERROR FI > FVB.SIZE: " });
        for (int side : { -d, d })
            for (int x = -d + 1; x <= d - 1; ++x)
                for (int y = -d; y <= d; ++y)
                    order.push_back({ { x, y, side }, "FB: ERROR FI > FVB.SIZE: " });
        for (int side : { -d, d })
            for (int x = -d + 1; x <= d - 1; ++x)
                for (int z = -d + 1; z <= d - 1; ++z)
                    order.push_back({ { x, side, z }, "TB: ERROR FI > FVB.SIZE: " });
    }
}

int TerrainRing::cellOf(double coordinate, int size)
{
    const int truncated = static_cast<int>(coordinate / size);
    return coordinate < 0.0 ? truncated - 1 : truncated;
}

TerrainRing::Coordinates TerrainRing::cellAt(const Vector3& p) const
{
    return { cellOf(p.x, size), cellOf(p.y, size), cellOf(p.z, size) };
}

VoxelBox TerrainRing::boxOf(const Coordinates& cell) const
{
    return { size * cell[0], size * (cell[0] + 1), size * cell[1], size * (cell[1] + 1), size * cell[2],
        size * (cell[2] + 1) };
}

bool TerrainRing::inWindow(const Coordinates& centre, const Coordinates& cell) const
{
    const int half = count / 2;
    for (int axis = 0; axis < 3; ++axis)
        if (cell[axis] < centre[axis] - half || cell[axis] > centre[axis] + half)
            return false;
    return true;
}
