#pragma once

#include "Graphics/Vector3.h"
#include "Player/Palette.h"

#include <vector>

// A small cube shown at a voxel by the inspection tools.
struct VoxelMark
{
    Vector3 position;
    // Half the cube's edge.
    float size = 0.0f;
    Colour colour;

    // Queues the cubes on the debug-shape list for this frame.
    static void queue(const std::vector<VoxelMark>& marks);
};
