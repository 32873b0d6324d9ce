#pragma once

#include "Graphics/Vector3.h"
#include "Terrain/VoxelBox.h"

#include <array>
#include <vector>

struct GridCell;

// One cubic ring of grid cells around the viewer: `count` cells per axis,
// each `size` voxels wide and sampled every `step` voxels. Cell (a, b, c)
// covers size·a … size·(a + 1) on x (inclusive, so neighbours share their
// border plane) and likewise on y and z.
//
// Threads: `centre` and `cells` belong to the terrain update thread (cells
// is complete once the initial build is done and never changes after);
// `visible` is guarded by the terrain lock.
class TerrainRing
{
public:
    using Coordinates = std::array<int, 3>;

    // A place of the window relative to its centre, and the face of its shell
    // it belongs to (for the report of a window that ran out of cells).
    struct Slot
    {
        Coordinates offset;
        const char* face;
    };

    TerrainRing(int step, int size, int count);

    // The ring cell of a world coordinate: the truncated quotient, one lower
    // for negative coordinates.
    static int cellOf(double coordinate, int size);
    Coordinates cellAt(const Vector3& p) const;
    VoxelBox boxOf(const Coordinates& cell) const;
    // Whether a cell lies in the window of `count` cells per axis around `centre`.
    bool inWindow(const Coordinates& centre, const Coordinates& cell) const;
    // Every slot of the window, nearest first: the centre, then the shells at
    // distance 1 … count / 2, each as its faces x = ±d, z = ±d, y = ±d.
    const std::vector<Slot>& refillOrder() const { return order; }

    const int step;
    const int size;
    const int count;

    Coordinates centre { 0, 0, 0 };
    std::vector<GridCell*> cells;
    // Cells with triangles, drawn by the render pass.
    std::vector<GridCell*> visible;

private:
    std::vector<Slot> order;
};
