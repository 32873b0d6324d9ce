#include "Player/InfoTool.h"

#include "World/TerrainDataManager.h"
#include "World/Vox.h"
#include "World/WaterVox.h"

#include <cmath>
#include <cstdlib>

InfoTool::InfoTool(const Vector3* origin, const Vector3* direction)
    : Tool(origin, direction, 1.0)
{
}

void InfoTool::apply()
{
    const std::vector<Vox> hits = TerrainDataManager::getInstance().castVoxelRay(*origin, *direction, 2.0);
    if (hits.empty())
        return;
    const Vector3 position = hits.back().getPosition();
    selected = VoxelPosition { static_cast<int>(std::lround(position.x)),
        static_cast<int>(std::lround(position.y)), static_cast<int>(std::lround(position.z)) };
}

std::vector<VoxelMark> InfoTool::marks() const
{
    std::vector<VoxelMark> result;
    if (!selected)
        return result;
    TerrainDataManager& manager = TerrainDataManager::getInstance();
    const VoxelPosition c = *selected;
    const int side = 2 * reach + 1;
    result.reserve(side * side * side);
    for (int x = c.x - reach; x <= c.x + reach; ++x)
        for (int y = c.y - reach; y <= c.y + reach; ++y)
            for (int z = c.z - reach; z <= c.z + reach; ++z) {
                Vox voxel(manager, x, y, z);
                WaterVox water(manager, x, y, z);
                VoxelMark mark { Vector3(x, y, z), 0.0f, Palette::colourOf(voxel.material()) };
                // Solid voxels show large, empty ones small.
                mark.size = static_cast<float>(0.3 - std::abs(127 - voxel.density()) * 0.001);
                if (water.density() > 0) {
                    mark.size = 0.1f;
                    mark.colour = { 0.0f, 0.0f, 0.6f };
                }
                result.push_back(mark);
            }
    return result;
}

void InfoTool::draw()
{
    VoxelMark::queue(marks());
}
