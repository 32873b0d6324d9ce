#include "Terrain/CachedVoxelField.h"

#include <algorithm>

namespace {

constexpr std::int16_t UNKNOWN = 0x7FFF;

int extent(int lo, int hi)
{
    return std::max(0, hi - lo + 1);
}

} // namespace

CachedVoxelField::CachedVoxelField(VoxelField& source, const VoxelBox& region)
    : source(source)
    , region(region)
    , sizeY(extent(region.y0, region.y1))
    , sizeZ(extent(region.z0, region.z1))
{
    const std::size_t count = static_cast<std::size_t>(extent(region.x0, region.x1)) * sizeY * sizeZ;
    densities.assign(count, UNKNOWN);
    materials.assign(count, 0);
}

VoxelSample CachedVoxelField::sample(int x, int y, int z)
{
    if (!region.contains(x, y, z))
        return source.sample(x, y, z);
    const std::size_t index
        = (static_cast<std::size_t>(x - region.x0) * sizeY + (y - region.y0)) * sizeZ + (z - region.z0);
    if (densities[index] == UNKNOWN) {
        const VoxelSample read = source.sample(x, y, z);
        densities[index] = static_cast<std::int16_t>(read.density);
        materials[index] = static_cast<std::uint8_t>(read.material);
    }
    return { densities[index], materials[index] };
}
