#pragma once

#include "Terrain/VoxelBox.h"
#include "Terrain/VoxelField.h"
#include "World/VoxelPosition.h"

#include <memory>

// The world as the terrain meshes and follows it: fields of terrain and water
// voxels for mesh builds, the queues through which edits announce the voxels
// to remesh, and the periodic save. DataManagerWorld serves it from the
// terrain data manager; tests serve it from functions.
//
// Threads: the fields are asked for on any thread that builds meshes (the
// terrain update thread, the main thread) and each is then used by that
// thread only. The queues and saveTick are used by the main thread.
class VoxelWorld
{
public:
    virtual ~VoxelWorld() = default;

    // Densities and materials. The region is where the build will read; reads
    // outside it are allowed.
    virtual std::unique_ptr<VoxelField> terrainField(const VoxelBox& region) = 0;
    // Water values as densities (positive is water), material 0.
    virtual std::unique_ptr<VoxelField> waterField(const VoxelBox& region) = 0;

    // The next terrain voxel that was edited; false when none is waiting.
    virtual bool popChangedVoxel(VoxelPosition& out) = 0;
    // The next voxel whose water changed; false when none is waiting.
    virtual bool popChangedWater(VoxelPosition& out) = 0;
    // Gives the world its periodic save, once per frame.
    virtual void saveTick(double dt) = 0;
};
