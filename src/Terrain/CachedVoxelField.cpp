#include "Terrain/CachedVoxelField.h"

#include <algorithm>

namespace {

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
    tables->generation.next(tables->voxels, tables->normals);
    // New entries carry stamp 0, which no generation in use has.
    if (tables->voxels.size() < count) {
        tables->voxels.resize(count, Voxel { 0, 0, 0 });
        tables->normals.resize(count, Normal { 0, Vector3() });
    }
}

void CachedVoxelField::sampleRow(int x, int y, int z, int step, int count, VoxelSample* out)
{
    if (count <= 0 || !region.contains(x, y, z) || !region.contains(x, y, z + (count - 1) * step)) {
        VoxelField::sampleRow(x, y, z, step, count, out);
        return;
    }
    Voxel* row = &tables->voxels[indexOf(x, y, z)];
    const std::uint32_t current = tables->generation.current;
    int n = 0;
    while (n < count && row[static_cast<std::size_t>(n) * step].stamp == current)
        ++n;
    // Unknown voxels in the row: read it whole and remember what is new.
    if (n < count) {
        source.sampleRow(x, y, z, step, count, out);
        for (; n < count; ++n) {
            Voxel& voxel = row[static_cast<std::size_t>(n) * step];
            if (voxel.stamp != current)
                remember(voxel, out[n]);
        }
    }
    for (n = 0; n < count; ++n) {
        const Voxel& voxel = row[static_cast<std::size_t>(n) * step];
        out[n] = { voxel.density, voxel.material };
    }
}

Vector3 CachedVoxelField::voxelNormalAt(int x, int y, int z)
{
    const bool inside = x > region.x0 && x < region.x1 && y > region.y0 && y < region.y1 && z > region.z0
        && z < region.z1;
    if (!inside)
        return voxelNormal(x, y, z, [this](int vx, int vy, int vz) { return at(vx, vy, vz).density; });
    // The voxel and its six neighbours are in the region: indices by offset.
    const std::size_t index = indexOf(x, y, z);
    Normal& known = tables->normals[index];
    if (known.stamp != tables->generation.current) {
        const std::size_t strideX = static_cast<std::size_t>(sizeY) * sizeZ;
        auto density = [&](int vx, int vy, int vz) {
            const std::size_t neighbour = index + (vx - x) * strideX + (vy - y) * sizeZ + (vz - z);
            return atIndex(neighbour, vx, vy, vz).density;
        };
        known = { tables->generation.current, voxelNormal(x, y, z, density) };
    }
    return known.normal;
}

Vector3 CachedVoxelField::surfaceNormal(const Vector3& p)
{
    return blendNormals(p, [this](int x, int y, int z) { return voxelNormalAt(x, y, z); });
}
