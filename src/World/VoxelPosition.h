#pragma once

#include <cstddef>
#include <functional>

// A world voxel position, as the change queues carry it.
struct VoxelPosition
{
    int x = 0;
    int y = 0;
    int z = 0;

    bool operator==(const VoxelPosition& other) const { return x == other.x && y == other.y && z == other.z; }
    bool operator!=(const VoxelPosition& other) const { return !(*this == other); }
};

template <> struct std::hash<VoxelPosition>
{
    std::size_t operator()(const VoxelPosition& p) const noexcept
    {
        // Large odd multipliers spread neighbouring positions over the buckets.
        const auto ux = static_cast<std::size_t>(static_cast<unsigned>(p.x));
        const auto uy = static_cast<std::size_t>(static_cast<unsigned>(p.y));
        const auto uz = static_cast<std::size_t>(static_cast<unsigned>(p.z));
        return ux * 73856093u ^ uy * 19349663u ^ uz * 83492791u;
    }
};
