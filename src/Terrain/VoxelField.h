#pragma once

#include "Graphics/Vector3.h"

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

    // The normal from ground towards air at a point: each of the 8 voxels
    // around it contributes its central-difference gradient, normalised, with
    // its trilinear weight, and the sum is normalised. Vectors shorter than
    // 1e-5 are left as they are.
    Vector3 surfaceNormal(const Vector3& p);
};
