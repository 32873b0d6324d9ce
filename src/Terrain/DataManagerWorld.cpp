#include "Terrain/DataManagerWorld.h"

#include "World/BlockPlacement.h"
#include "World/TerrainDataManager.h"
#include "World/Voxel.h"
#include "World/datablock.h"

#include <vector>

namespace {

// Reads voxels block by block. The pins of the region's blocks are taken on
// first use and held until the field is gone; voxels outside the region are
// read through a pin of their own.
class NodeField : public VoxelField
{
public:
    NodeField(TerrainDataManager& manager, const VoxelBox& region, bool water)
        : manager(manager)
        , water(water)
        , bx0(datablock::blockCoordinate(region.x0))
        , by0(datablock::blockCoordinate(region.y0))
        , bz0(datablock::blockCoordinate(region.z0))
        , nbx(datablock::blockCoordinate(region.x1) - bx0 + 1)
        , nby(datablock::blockCoordinate(region.y1) - by0 + 1)
        , nbz(datablock::blockCoordinate(region.z1) - bz0 + 1)
        , pins(nbx > 0 && nby > 0 && nbz > 0 ? static_cast<std::size_t>(nbx) * nby * nbz : 0)
    {
    }

    VoxelSample sample(int x, int y, int z) override
    {
        // Reads come in runs within one block: the last block is kept at hand.
        if (!last || x < lastX || x >= lastX + BlockPlacement::SIZE || y < lastY
            || y >= lastY + BlockPlacement::SIZE || z < lastZ || z >= lastZ + BlockPlacement::SIZE) {
            const int bx = datablock::blockCoordinate(x);
            const int by = datablock::blockCoordinate(y);
            const int bz = datablock::blockCoordinate(z);
            last = &nodeAt(bx, by, bz);
            lastX = bx * BlockPlacement::SIZE;
            lastY = by * BlockPlacement::SIZE;
            lastZ = bz * BlockPlacement::SIZE;
        }
        return read(*last, x, y, z);
    }

    // A row crosses few blocks: each is looked up once.
    void sampleRow(int x, int y, int z, int step, int count, VoxelSample* out) override
    {
        const int bx = datablock::blockCoordinate(x);
        const int by = datablock::blockCoordinate(y);
        for (int n = 0; n < count;) {
            const int bz = datablock::blockCoordinate(z + n * step);
            DataNode& node = nodeAt(bx, by, bz);
            const int nextBlock = (bz + 1) * BlockPlacement::SIZE;
            for (; n < count && z + n * step < nextBlock; ++n)
                out[n] = read(node, x, y, z + n * step);
        }
    }

private:
    VoxelSample read(DataNode& node, int x, int y, int z) const
    {
        if (water)
            return { node.wdb->getWater(x, y, z), 0 };
        const Voxel* voxel = node.tdb->getVoxel(x, y, z);
        return { voxel->density(), voxel->material() };
    }

    DataNode& nodeAt(int bx, int by, int bz)
    {
        const int i = bx - bx0;
        const int j = by - by0;
        const int k = bz - bz0;
        if (i < 0 || i >= nbx || j < 0 || j >= nby || k < 0 || k >= nbz) {
            // The pin replaced may hold the last block.
            last = nullptr;
            outside = manager.getNode(bx, by, bz);
            return *outside;
        }
        NodePin& pin = pins[(static_cast<std::size_t>(i) * nby + j) * nbz + k];
        if (!pin)
            pin = manager.getNode(bx, by, bz);
        return *pin;
    }

    TerrainDataManager& manager;
    const bool water;
    const int bx0, by0, bz0;
    const int nbx, nby, nbz;
    std::vector<NodePin> pins;
    NodePin outside;
    // The block of the last single read (held by `pins` or `outside`) and its lowest voxel.
    DataNode* last = nullptr;
    int lastX = 0, lastY = 0, lastZ = 0;
};

} // namespace

DataManagerWorld::DataManagerWorld(TerrainDataManager& manager)
    : manager(manager)
{
}

std::unique_ptr<VoxelField> DataManagerWorld::terrainField(const VoxelBox& region)
{
    return std::make_unique<NodeField>(manager, region, false);
}

std::unique_ptr<VoxelField> DataManagerWorld::waterField(const VoxelBox& region)
{
    return std::make_unique<NodeField>(manager, region, true);
}

bool DataManagerWorld::popChangedVoxel(VoxelPosition& out)
{
    return manager.popChangedVoxel(out);
}

bool DataManagerWorld::popChangedWater(VoxelPosition& out)
{
    return manager.popChangedWater(out);
}

void DataManagerWorld::saveTick(double dt)
{
    manager.saveTick(dt);
}
