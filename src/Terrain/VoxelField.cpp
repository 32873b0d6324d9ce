#include "Terrain/VoxelField.h"

Vector3 VoxelField::surfaceNormal(const Vector3& p)
{
    auto density = [this](int x, int y, int z) { return sample(x, y, z).density; };
    return blendNormals(p, [&](int x, int y, int z, double) { return voxelNormal(x, y, z, density); });
}

void VoxelField::sampleRow(int x, int y, int z, int step, int count, VoxelSample* out)
{
    for (int n = 0; n < count; ++n)
        out[n] = sample(x, y, z + n * step);
}
