#pragma once

// An inclusive range of world voxel coordinates on each axis, as a visual
// block samples it. Empty when a maximum lies below its minimum.
struct VoxelBox
{
    int x0 = 0;
    int x1 = 0;
    int y0 = 0;
    int y1 = 0;
    int z0 = 0;
    int z1 = 0;

    bool contains(int x, int y, int z) const
    {
        return x >= x0 && x <= x1 && y >= y0 && y <= y1 && z >= z0 && z <= z1;
    }
    // The box grown by `margin` voxels on every side.
    VoxelBox grown(int margin) const
    {
        return { x0 - margin, x1 + margin, y0 - margin, y1 + margin, z0 - margin, z1 + margin };
    }
    bool operator==(const VoxelBox& other) const
    {
        return x0 == other.x0 && x1 == other.x1 && y0 == other.y0 && y1 == other.y1 && z0 == other.z0
            && z1 == other.z1;
    }
    bool operator!=(const VoxelBox& other) const { return !(*this == other); }
};
