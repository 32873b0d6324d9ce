#pragma once

#include "Terrain/VoxelBox.h"
#include "Terrain/VoxelField.h"

#include <cstdint>
#include <vector>

// Remembers every voxel of a region the first time it is read from another
// field, so that one mesh build reads each voxel once and sees one consistent
// picture even while other threads edit the world. Voxels outside the region
// are passed through. Used by one thread, like every field.
class CachedVoxelField : public VoxelField
{
public:
    CachedVoxelField(VoxelField& source, const VoxelBox& region);

    VoxelSample sample(int x, int y, int z) override;

private:
    VoxelField& source;
    VoxelBox region;
    int sizeY;
    int sizeZ;
    // UNKNOWN until read; densities are -128..127.
    std::vector<std::int16_t> densities;
    std::vector<std::uint8_t> materials;
};
