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
        // NO_NORMAL, NEIGHBOURS_READ, or 1 + the voxel's index in `normals`.
        std::uint32_t normal;
        std::int16_t density;
        std::uint8_t material;
        // The density and material were read (a voxel's normal needs only its neighbours).
        bool known;
    };
    static constexpr std::uint32_t NO_NORMAL = 0;
    static constexpr std::uint32_t NEIGHBOURS_READ = 0xFFFFFFFF;
    struct Tables
    {
        Generation generation;
        std::vector<Voxel> voxels;
        std::vector<Vector3> normals;
    };

    std::size_t indexOf(int x, int y, int z) const
    {
        return (static_cast<std::size_t>(x - region.x0) * sizeY + (y - region.y0)) * sizeZ + (z - region.z0);
    }
    // The voxel at (x, y, z), whose index in the region is `index`.
    VoxelSample atIndex(std::size_t index, int x, int y, int z)
    {
        Voxel& voxel = tables->voxels[index];
        if (voxel.stamp != tables->generation.current) {
            voxel.stamp = tables->generation.current;
            voxel.normal = NO_NORMAL;
            remember(voxel, source.sample(x, y, z));
        } else if (!voxel.known) {
            remember(voxel, source.sample(x, y, z));
        }
        return { voxel.density, voxel.material };
    }
    // The entry of a voxel, emptied when it is left from an earlier use.
    Voxel& entry(std::size_t index)
    {
        Voxel& voxel = tables->voxels[index];
        if (voxel.stamp != tables->generation.current)
            voxel = { tables->generation.current, 0, 0, 0, false };
        return voxel;
    }
    static void remember(Voxel& voxel, const VoxelSample& read)
    {
        voxel.density = static_cast<std::int16_t>(read.density);
        voxel.material = static_cast<std::uint8_t>(read.material);
        voxel.known = true;
    }
    // A voxel normal, or for weight 0 only the reads it would make.
    Vector3 voxelNormalAt(int x, int y, int z, double weight);

    VoxelField& source;
    VoxelBox region;
    int sizeY;
    int sizeZ;
    ScratchLease<Tables> tables;
};
