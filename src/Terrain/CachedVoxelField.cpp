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
    tables->generation.next(tables->voxels);
    tables->normals.clear();
    // New entries carry stamp 0, which no generation in use has.
    if (tables->voxels.size() < count)
        tables->voxels.resize(count, Voxel { 0, 0, 0, 0, false });
}

void CachedVoxelField::sampleRow(int x, int y, int z, int step, int count, VoxelSample* out)
{
    if (count <= 0 || !region.contains(x, y, z) || !region.contains(x, y, z + (count - 1) * step)) {
        VoxelField::sampleRow(x, y, z, step, count, out);
        return;
    }
    const std::size_t first = indexOf(x, y, z);
    auto voxelOf = [&](int n) -> Voxel& { return entry(first + static_cast<std::size_t>(n) * step); };
    int n = 0;
    while (n < count && voxelOf(n).known)
        ++n;
    // Unknown voxels in the row: read it whole and remember what is new.
    if (n < count) {
        source.sampleRow(x, y, z, step, count, out);
        for (; n < count; ++n) {
            Voxel& voxel = voxelOf(n);
            if (!voxel.known)
                remember(voxel, out[n]);
        }
    }
    for (n = 0; n < count; ++n) {
        const Voxel& voxel = voxelOf(n);
        out[n] = { voxel.density, voxel.material };
    }
}

Vector3 CachedVoxelField::voxelNormalAt(int x, int y, int z, double weight)
{
    const bool inside
        = x > region.x0 && x < region.x1 && y > region.y0 && y < region.y1 && z > region.z0 && z < region.z1;
    if (!inside)
        return voxelNormal(x, y, z, [this](int vx, int vy, int vz) { return at(vx, vy, vz).density; });
    // The voxel and its six neighbours are in the region: indices by offset.
    const std::size_t index = indexOf(x, y, z);
    const std::uint32_t known = entry(index).normal;
    if (known != NO_NORMAL && known != NEIGHBOURS_READ)
        return tables->normals[known - 1];
    const std::size_t strideX = static_cast<std::size_t>(sizeY) * sizeZ;
    auto density = [&](int vx, int vy, int vz) {
        const std::size_t neighbour = index + (vx - x) * strideX + (vy - y) * sizeZ + (vz - z);
        return atIndex(neighbour, vx, vy, vz).density;
    };
    // Vertices on a one-voxel edge give 6 of their 8 voxels weight 0: those
    // are only read as the plain blend reads them.
    if (weight == 0.0) {
        if (known == NO_NORMAL) {
            int unused[6];
            readNeighbours(x, y, z, density, unused);
            tables->voxels[index].normal = NEIGHBOURS_READ;
        }
        return {};
    }
    const Vector3 normal = voxelNormal(x, y, z, density);
    tables->normals.push_back(normal);
    tables->voxels[index].normal = static_cast<std::uint32_t>(tables->normals.size());
    return normal;
}

Vector3 CachedVoxelField::surfaceNormal(const Vector3& p)
{
    return blendNormals(
        p, [this](int x, int y, int z, double weight) { return voxelNormalAt(x, y, z, weight); });
}
