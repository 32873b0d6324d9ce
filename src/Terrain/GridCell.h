#pragma once

#include "Terrain/TerrainBlock.h"
#include "Terrain/VoxelBox.h"
#include "Terrain/WaterBlock.h"

#include <atomic>
#include <memory>

class VoxelWorld;

// One place of a ring around the viewer: the terrain and the water block
// over the same box. Cells are made once by the terrain's initial build and
// then moved from place to place, never freed while the game runs.
//
// Threads: `box`, the ring coordinates (also those of the blocks) and
// `moving` are written by the terrain update thread under the terrain lock
// and read under it; `moving` is atomic so that the edit worker can pass over
// a moving cell without the lock, which the render pass holds for long. The
// blocks guard themselves. The queue flags belong to
// the terrain's edit queue and are guarded by its edit lock.
struct GridCell
{
    // Builds and meshes the terrain block, then the water block.
    GridCell(const VoxelBox& box, VoxelWorld* world, int step, bool fine);

    // The cell and both its blocks.
    void setRingCoordinates(int a, int b, int c);
    bool hasTriangles() const { return terrain->hasTriangles() || water->hasTriangles(); }

    VoxelBox box;
    int ringX = 0;
    int ringY = 0;
    int ringZ = 0;
    std::unique_ptr<TerrainBlock> terrain;
    std::unique_ptr<WaterBlock> water;
    // In the fine ring (else the coarse one).
    const bool fine;
    // Taken out of the window and not yet placed and meshed again.
    std::atomic<bool> moving { false };
    // Waiting in the edit queue (cleared when the edit worker takes the cell).
    bool terrainQueued = false;
    bool waterQueued = false;
};
