#include "Player/BasicDigTool.h"

#include "World/TerrainDataManager.h"
#include "World/Vox.h"

#include <algorithm>

namespace {
constexpr int grassMaterial = 1;
constexpr int soilMaterial = 2;
constexpr int noMaterial = 0;
constexpr int budgetPerApplication = 250;
constexpr double reach = 3.0;
} // namespace

BasicDigTool::BasicDigTool(const Vector3* origin, const Vector3* direction)
    : BasicDigTool(origin, direction, 0.5)
{
}

BasicDigTool::BasicDigTool(const Vector3* origin, const Vector3* direction, double rate)
    : Tool(origin, direction, rate)
    , pickaxe("./Resources/sounds/pickaxe.wav", "pickaxe.wav")
{
}

void BasicDigTool::apply()
{
    int budget = budgetPerApplication;
    for (Vox& voxel : TerrainDataManager::getInstance().castVoxelRay(*origin, *direction, reach)) {
        const int density = voxel.density();
        if (density <= emptyDensity)
            continue;
        const int take = std::min(density - emptyDensity, budget);
        lower(voxel, density - take);
        budget -= take;
        if (budget <= 0)
            break;
    }
}

void BasicDigTool::lower(Vox& voxel, int newDensity)
{
    voxel.density(newDensity);
    if (voxel.material() == grassMaterial)
        voxel.material(soilMaterial);
    if (voxel.density() == emptyDensity)
        voxel.material(noMaterial);
}

void BasicDigTool::activeChanged(bool on)
{
    digSound().setPlaying(on);
}
