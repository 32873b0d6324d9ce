#include "Player/PowerDigTool.h"

#include "World/TerrainDataManager.h"
#include "World/Vox.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double reach = 5.0;
constexpr int strength = 20;
// The voxel itself, then its face neighbours.
constexpr int offsets[7][3]
    = { { 0, 0, 0 }, { -1, 0, 0 }, { 1, 0, 0 }, { 0, -1, 0 }, { 0, 1, 0 }, { 0, 0, -1 }, { 0, 0, 1 } };
} // namespace

PowerDigTool::PowerDigTool(const Vector3* origin, const Vector3* direction)
    : BasicDigTool(origin, direction, 15.0)
    , jackhammer("./Resources/sounds/jackhammer.wav", "jackhammer.wav")
{
}

void PowerDigTool::apply()
{
    TerrainDataManager& manager = TerrainDataManager::getInstance();
    for (const Vox& hit : manager.castVoxelRay(*origin, *direction, reach)) {
        const Vector3 position = hit.getPosition();
        const int x = static_cast<int>(std::lround(position.x));
        const int y = static_cast<int>(std::lround(position.y));
        const int z = static_cast<int>(std::lround(position.z));
        for (const auto& offset : offsets) {
            Vox voxel(manager, x + offset[0], y + offset[1], z + offset[2]);
            const int density = voxel.density();
            if (density <= emptyDensity)
                continue;
            lower(voxel, std::max(density - strength, emptyDensity));
        }
    }
}
