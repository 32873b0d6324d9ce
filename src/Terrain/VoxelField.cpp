#include "Terrain/VoxelField.h"

#include <cmath>

namespace {

constexpr double NORMAL_EPSILON = 0.00001;

Vector3 normalisedIfLong(const Vector3& v)
{
    const double length = v.length();
    return length >= NORMAL_EPSILON ? v / length : v;
}

// The lower corner of the unit cell holding a coordinate: the truncation, one
// lower for negative coordinates (so -3.0 has its corner at -4, weight 1 on -3).
int cellCorner(double v)
{
    const int truncated = static_cast<int>(v);
    return v < 0.0 ? truncated - 1 : truncated;
}

} // namespace

Vector3 VoxelField::surfaceNormal(const Vector3& p)
{
    const int x0 = cellCorner(p.x);
    const int y0 = cellCorner(p.y);
    const int z0 = cellCorner(p.z);
    const double fx = std::fabs(p.x - x0);
    const double fy = std::fabs(p.y - y0);
    const double fz = std::fabs(p.z - z0);
    auto density = [this](int x, int y, int z) { return sample(x, y, z).density; };
    Vector3 normal;
    for (int dx = 0; dx <= 1; ++dx)
        for (int dy = 0; dy <= 1; ++dy)
            for (int dz = 0; dz <= 1; ++dz) {
                const int x = x0 + dx;
                const int y = y0 + dy;
                const int z = z0 + dz;
                const double weight = (dx ? fx : 1.0 - fx) * (dy ? fy : 1.0 - fy) * (dz ? fz : 1.0 - fz);
                const Vector3 gradient { static_cast<double>(density(x - 1, y, z) - density(x + 1, y, z)),
                    static_cast<double>(density(x, y - 1, z) - density(x, y + 1, z)),
                    static_cast<double>(density(x, y, z - 1) - density(x, y, z + 1)) };
                normal += normalisedIfLong(gradient) * weight;
            }
    return normalisedIfLong(normal);
}
