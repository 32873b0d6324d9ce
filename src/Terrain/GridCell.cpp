#include "Terrain/GridCell.h"

GridCell::GridCell(const VoxelBox& box, VoxelWorld* world, int step, bool fine)
    : box(box)
    , terrain(std::make_unique<TerrainBlock>(box, world, step))
    , water(std::make_unique<WaterBlock>(box, world, step))
    , fine(fine)
{
}

void GridCell::setRingCoordinates(int a, int b, int c)
{
    ringX = a;
    ringY = b;
    ringZ = c;
    for (VisualBlock* block :
        { static_cast<VisualBlock*>(terrain.get()), static_cast<VisualBlock*>(water.get()) }) {
        block->cellX = a;
        block->cellY = b;
        block->cellZ = c;
    }
}
