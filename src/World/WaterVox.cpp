#include "World/WaterVox.h"

#include "World/TerrainDataManager.h"

WaterVox::WaterVox(TerrainDataManager& manager, int x, int y, int z)
    : BaseVox(x, y, z)
    // The pin on the node lasts for the read, so the block cannot change coordinates under it.
    , value(manager.getNodeAt(x, y, z)->wdb->getWater(x, y, z))
{
}

int WaterVox::density(int)
{
    return value;
}

int WaterVox::material(int)
{
    return 0;
}
