#pragma once

#include "World/BaseVox.h"
#include "World/NodePin.h"
#include "World/VoxelPosition.h"

class TerrainDataManager;
class Voxel;

// A terrain voxel handle. Building it fetches the voxel's block (creating,
// loading or reusing one) and generates the voxel if it never was. While the
// handle lives its block keeps its coordinates, so writes always land in the
// voxel it was built for.
//
// A density write is clamped and queued for the renderer once per position;
// a material write keeps the low 8 bits and is queued every time. Both mark
// the block modified at once, so the edit reaches its file even if the block
// is reused before the renderer hears of it. Every write is first shown to the
// data manager's edit history, which keeps the old value during a stroke.
class Vox : public BaseVox
{
public:
    Vox(TerrainDataManager& manager, int x, int y, int z);

    int density(int newValue = NO_CHANGE) override;
    int material(int newValue = NO_CHANGE) override;

private:
    friend class TerrainDataManager;
    // For a block the caller already holds.
    Vox(TerrainDataManager& manager, NodePin node, int x, int y, int z);

    void remember();
    VoxelPosition position() const;
    void changed(bool unlessQueued);

    TerrainDataManager* manager;
    NodePin node;
    Voxel* voxel;
};
