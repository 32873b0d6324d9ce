#include "Player/VoxelRayTool.h"

#include "Graphics/DebugShapes.h"
#include "World/TerrainDataManager.h"

VoxelRayTool::VoxelRayTool(const Vector3* origin, const Vector3* direction)
    : Tool(origin, direction, 1.0)
{
}

void VoxelRayTool::apply()
{
    hits = TerrainDataManager::getInstance().castVoxelRay(*origin, *direction, length);
    rayStart = *origin;
    rayEnd = *origin + direction->normalise() * length;
}

std::vector<VoxelMark> VoxelRayTool::marks()
{
    std::vector<VoxelMark> result;
    result.reserve(hits.size());
    for (Vox& hit : hits)
        result.push_back({ hit.getPosition(), 0.1f, Palette::colourOf(hit.material()) });
    return result;
}

void VoxelRayTool::draw()
{
    VoxelMark::queue(marks());
    DebugShapes::getInstance().addLine(static_cast<float>(rayStart.x), static_cast<float>(rayStart.y),
        static_cast<float>(rayStart.z), static_cast<float>(rayEnd.x), static_cast<float>(rayEnd.y),
        static_cast<float>(rayEnd.z), 0.0f, 0.0f, 1.0f, 0.0f);
}
