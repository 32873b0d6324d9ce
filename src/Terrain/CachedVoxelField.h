#pragma once

#include "Terrain/ScratchPool.h"
#include "Terrain/VoxelBox.h"
#include "Terrain/VoxelField.h"

#include <cstdint>
#include <vector>

// Remembers every voxel of a region the first time it is read from another
// field, so that one mesh build reads each voxel once and sees one consistent
// picture even while other threads edit the world; the voxel normals of the
// region are remembered the same way. Voxels outside the region are passed
// through. Used by one thread, like every field; its tables are that
// thread's reused scratch memory.
class CachedVoxelField : public VoxelField
{
public:
    CachedVoxelField(VoxelField& source, const VoxelBox& region);

    VoxelSample sample(int x, int y, int z) override { return at(x, y, z); }
    void sampleRow(int x, int y, int z, int step, int count, VoxelSample* out) override;
    Vector3 surfaceNormal(const Vector3& p) override;

    // sample() without the virtual call, for the polygonizer's inner loops.
    VoxelSample at(int x, int y, int z)
    {
        if (!region.contains(x, y, z))
            return source.sample(x, y, z);
        return atIndex(indexOf(x, y, z), x, y, z);
    }

private:
    struct Voxel
    {
        std::uint32_t stamp;
        std::int16_t density;
        std::uint8_t material;
    };
    struct Normal
    {
        std::uint32_t stamp;
        Vector3 normal;
    };
    struct Tables
    {
        Generation generation;
        std::vector<Voxel> voxels;
        std::vector<Normal> normals;
    };

    std::size_t indexOf(int x, int y, int z) const
    {
        return (static_cast<std::size_t>(x - region.x0) * sizeY + (y - region.y0)) * sizeZ + (z - region.z0);
    }
    // The voxel at (x, y, z), whose index in the region is `index`.
    VoxelSample atIndex(std::size_t index, int x, int y, int z)
    {
        Voxel& voxel = tables->voxels[index];
        if (voxel.stamp != tables->generation.current)
            remember(voxel, source.sample(x, y, z));
        return { voxel.density, voxel.material };
    }
    void remember(Voxel& voxel, const VoxelSample& read) const
    {
        voxel = { tables->generation.current, static_cast<std::int16_t>(read.density),
            static_cast<std::uint8_t>(read.material) };
    }
    Vector3 voxelNormalAt(int x, int y, int z);

    VoxelField& source;
    VoxelBox region;
    int sizeY;
    int sizeZ;
    ScratchLease<Tables> tables;
};
