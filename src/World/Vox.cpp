#include "World/Vox.h"

#include "World/TerrainDataManager.h"
#include "World/Voxel.h"

#include <algorithm>

Vox::Vox(TerrainDataManager& manager, int x, int y, int z)
    : Vox(manager, manager.getNodeAt(x, y, z), x, y, z)
{
}

Vox::Vox(TerrainDataManager& manager, NodePin heldNode, int x, int y, int z)
    : BaseVox(x, y, z)
    , manager(&manager)
    , node(std::move(heldNode))
    , voxel(node->tdb->getVoxel(x, y, z))
{
}

int Vox::density(int newValue)
{
    if (newValue != NO_CHANGE) {
        remember();
        voxel->setDensity(std::clamp(newValue, -128, 127));
        changed(true);
    }
    return voxel->density();
}

int Vox::material(int newValue)
{
    if (newValue != NO_CHANGE) {
        remember();
        voxel->setMaterial(newValue);
        changed(false);
    }
    return voxel->material();
}

void Vox::remember()
{
    manager->edits.record(*node->tdb, position(), *voxel);
}

VoxelPosition Vox::position() const
{
    return { static_cast<int>(x), static_cast<int>(y), static_cast<int>(z) };
}

void Vox::changed(bool unlessQueued)
{
    node->tdb->modified = true;
    manager->queueChangedVoxel(position(), unlessQueued);
}
