#include "Player/SphereDigTool.h"

#include "World/TerrainDataManager.h"
#include "World/Vox.h"

#include <cmath>

SphereDigTool::SphereDigTool(const Vector3* origin, const Vector3* direction)
    : BasicDigTool(origin, direction, 1.0)
{
}

void SphereDigTool::apply()
{
    TerrainDataManager& manager = TerrainDataManager::getInstance();
    const Vector3& eye = *origin;
    const int cx = static_cast<int>(eye.x);
    const int cy = static_cast<int>(eye.y);
    const int cz = static_cast<int>(eye.z);
    const auto first = [](double v) { return static_cast<int>(std::floor(v - radius)); };
    const auto last = [](double v) { return static_cast<int>(std::ceil(v + radius)); };
    for (int x = first(eye.x); x <= last(eye.x); ++x)
        for (int y = first(eye.y); y <= last(eye.y); ++y)
            for (int z = first(eye.z); z <= last(eye.z); ++z) {
                const int dx = x - cx, dy = y - cy, dz = z - cz;
                if (dx * dx + dy * dy + dz * dz > radius * radius)
                    continue;
                Vox voxel(manager, x, y, z);
                // Air stays as it is: rewriting it would only queue remeshing
                // and drain the water standing in it.
                if (voxel.density() > emptyDensity)
                    voxel.density(emptyDensity);
            }
}
