#include "Player/TexturePaintTool.h"

#include "World/TerrainDataManager.h"
#include "World/Vox.h"

#include <iostream>

TexturePaintTool::TexturePaintTool(const Vector3* origin, const Vector3* direction)
    : Tool(origin, direction, 10.0)
{
}

void TexturePaintTool::apply()
{
    for (Vox& voxel : TerrainDataManager::getInstance().castVoxelRay(*origin, *direction, 3.0)) {
        if (voxel.material() == paintMaterial)
            continue;
        std::cout << "Setting material: " << paintMaterial << "\n";
        voxel.material(paintMaterial);
    }
}
