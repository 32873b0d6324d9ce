#pragma once

#include "Player/Tool.h"
#include "Player/VoxelMark.h"
#include "World/VoxelPosition.h"

#include <optional>

// Inspects the terrain: a click selects the farthest voxel within 2 units
// along the view, and from then on the 13 x 13 x 13 voxels around it are shown
// every frame as cubes sized by density and coloured by material (water in
// blue). The right button clears the selection.
class InfoTool : public Tool
{
public:
    InfoTool(const Vector3* origin, const Vector3* direction);

    void secondaryAction() override { selected.reset(); }
    std::string name() const override { return "Info tool"; }
    void draw() override;
    void apply() override;

    const std::optional<VoxelPosition>& selection() const { return selected; }
    // The cubes draw() queues: none without a selection.
    std::vector<VoxelMark> marks() const;

    // Voxels shown on each side of the selected one.
    static constexpr int reach = 6;

private:
    std::optional<VoxelPosition> selected;
};
