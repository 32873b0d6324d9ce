#pragma once

#include "Terrain/VoxelWorld.h"

class TerrainDataManager;

// The game's world for the terrain: voxels, edit queues and saving from the
// terrain data manager. A field keeps the blocks of its region pinned for
// the length of one build, so that a build looks each block up once and no
// block under it is reused for other coordinates.
// Threads: as VoxelWorld; the data manager does its own locking.
class DataManagerWorld : public VoxelWorld
{
public:
    explicit DataManagerWorld(TerrainDataManager& manager);

    std::unique_ptr<VoxelField> terrainField(const VoxelBox& region) override;
    std::unique_ptr<VoxelField> waterField(const VoxelBox& region) override;
    bool popChangedVoxel(VoxelPosition& out) override;
    bool popChangedWater(VoxelPosition& out) override;
    void saveTick(double dt) override;

private:
    TerrainDataManager& manager;
};
