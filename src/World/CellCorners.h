#pragma once

#include "Graphics/Vector3.h"

#include <cmath>

// The unit cells of the voxel grid. The world samples densities through them
// and the meshing blends voxel normals through them: one definition, so that
// both weigh a point's eight voxels alike, to the bit.

// The lower corner of the unit cell holding a coordinate: the truncation, one
// lower for negative coordinates (so -3.0 has its corner at -4, weight 1 on -3).
inline int cellCorner(double v)
{
    const int truncated = static_cast<int>(v);
    return v < 0.0 ? truncated - 1 : truncated;
}

// Calls visit(x, y, z, weight) for the 8 voxels of the cell holding p with
// their trilinear weights, x outermost.
template <typename Visit> inline void forEachCellCorner(const Vector3& p, Visit visit)
{
    const int x0 = cellCorner(p.x);
    const int y0 = cellCorner(p.y);
    const int z0 = cellCorner(p.z);
    const double fx = std::fabs(p.x - x0);
    const double fy = std::fabs(p.y - y0);
    const double fz = std::fabs(p.z - z0);
    for (int dx = 0; dx <= 1; ++dx)
        for (int dy = 0; dy <= 1; ++dy)
            for (int dz = 0; dz <= 1; ++dz) {
                const double weight = (dx ? fx : 1.0 - fx) * (dy ? fy : 1.0 - fy) * (dz ? fz : 1.0 - fz);
                visit(x0 + dx, y0 + dy, z0 + dz, weight);
            }
}
