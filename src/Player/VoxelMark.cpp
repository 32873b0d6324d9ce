#include "Player/VoxelMark.h"

#include "Graphics/DebugShapes.h"

void VoxelMark::queue(const std::vector<VoxelMark>& marks)
{
    DebugShapes& shapes = DebugShapes::getInstance();
    for (const VoxelMark& mark : marks)
        shapes.addCube(static_cast<float>(mark.position.x), static_cast<float>(mark.position.y),
            static_cast<float>(mark.position.z), mark.size, mark.colour.r, mark.colour.g, mark.colour.b);
}
