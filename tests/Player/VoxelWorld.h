#pragma once

#include "World/ManagerFixture.h"
#include "World/Vox.h"
#include "World/Voxel.h"

#include <initializer_list>

// A world of its own for the tools, worked in the sky far above the ground
// (x from 800 on), where every voxel starts as air and cheap to generate; the
// tests build what the tools act on voxel by voxel. Tools aim from `eye`
// along `look`, the two the player would hand them.
class VoxelWorld : public ManagerFixture
{
protected:
    void SetUp() override { manager = open(); }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        manager.reset();
        testing::internal::GetCapturedStdout();
    }

    void set(int x, int y, int z, int density, int material)
    {
        Vox voxel(*manager, x, y, z);
        voxel.density(density);
        voxel.material(material);
    }
    // The stored record, without generating anything: a material of 0 reads
    // as 0 here, where a handle would generate a new one.
    const Voxel& raw(int x, int y, int z)
    {
        datablock& block = *manager->getNodeAt(x, y, z)->tdb;
        return block.localVoxel(x - block.minX(), y - block.minY(), z - block.minZ());
    }
    int density(int x, int y, int z) { return raw(x, y, z).density(); }
    int material(int x, int y, int z) { return raw(x, y, z).material(); }

    std::unique_ptr<TerrainDataManager> manager;
    Vector3 eye { 810.0, 10.0, 10.0 };
    Vector3 look { 1.0, 0.0, 0.0 };
};
