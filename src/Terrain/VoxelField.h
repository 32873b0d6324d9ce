#pragma once

#include "Graphics/Vector3.h"
#include "World/CellCorners.h"

#include <cmath>

// One voxel as the mesher reads it: a density on the -128..127 scale (the
// surface at 0, negative outside) and a material id.
struct VoxelSample
{
    int density = 0;
    int material = 0;
};

// The voxels a mesh is built from: terrain or water, from the data manager or
// from a test's own function. A field is used by the one thread that builds
// a mesh from it.
class VoxelField
{
public:
    virtual ~VoxelField() = default;

    virtual VoxelSample sample(int x, int y, int z) = 0;
    // `count` samples from (x, y, z) on, `step` apart along z: sample() for
    // each, where a field can do it faster a row at a time.
    virtual void sampleRow(int x, int y, int z, int step, int count, VoxelSample* out);

    // The normal from ground towards air at a point: each of the 8 voxels
    // around it contributes its central-difference gradient, normalised, with
    // its trilinear weight, and the sum is normalised. Vectors shorter than
    // 1e-5 are left as they are.
    virtual Vector3 surfaceNormal(const Vector3& p);

protected:
    // The densities a voxel normal takes, read in this order: reads can
    // generate voxels, so their order is kept.
    template <typename Density> static void readNeighbours(int x, int y, int z, Density density, int (&d)[6])
    {
        d[0] = density(x - 1, y, z);
        d[1] = density(x + 1, y, z);
        d[2] = density(x, y - 1, z);
        d[3] = density(x, y + 1, z);
        d[4] = density(x, y, z - 1);
        d[5] = density(x, y, z + 1);
    }

    // The normalised central difference at a voxel, from density(x, y, z).
    template <typename Density> static Vector3 voxelNormal(int x, int y, int z, Density density)
    {
        int d[6];
        readNeighbours(x, y, z, density, d);
        return normalisedIfLong({ static_cast<double>(d[0] - d[1]), static_cast<double>(d[2] - d[3]),
            static_cast<double>(d[4] - d[5]) });
    }

    // The blend at p of the voxel normals around it, from normalAt(x, y, z,
    // weight). A voxel of weight 0 adds nothing to the sum (never -0 after
    // its +0 start), so normalAt may give any finite vector for it.
    template <typename NormalAt> static Vector3 blendNormals(const Vector3& p, NormalAt normalAt)
    {
        double nx = 0.0, ny = 0.0, nz = 0.0;
        forEachCellCorner(p, [&](int x, int y, int z, double weight) {
            const Vector3 n = normalAt(x, y, z, weight);
            nx += n.x * weight;
            ny += n.y * weight;
            nz += n.z * weight;
        });
        return normalisedIfLong({ nx, ny, nz });
    }

private:
    // As Vector3::length and the division, spelled out so that they inline.
    static Vector3 normalisedIfLong(const Vector3& v)
    {
        const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        return length >= 0.00001 ? Vector3 { v.x / length, v.y / length, v.z / length } : v;
    }
};
