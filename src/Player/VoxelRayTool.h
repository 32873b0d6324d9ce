#pragma once

#include "Player/Tool.h"
#include "Player/VoxelMark.h"
#include "World/Vox.h"

#include <vector>

// Shows what the terrain's voxel ray meets: a click casts an 8-unit ray along
// the view, and from then on every frame shows a small cube at each voxel it
// returned, in the voxel's colour, and the ray itself as a blue line.
class VoxelRayTool : public Tool
{
public:
    VoxelRayTool(const Vector3* origin, const Vector3* direction);

    std::string name() const override { return "Voxel Ray tool"; }
    void draw() override;
    void apply() override;

    // The cubes draw() queues.
    std::vector<VoxelMark> marks();
    const Vector3& getRayStart() const { return rayStart; }
    const Vector3& getRayEnd() const { return rayEnd; }

    static constexpr double length = 8.0;

private:
    std::vector<Vox> hits;
    Vector3 rayStart;
    Vector3 rayEnd;
};
