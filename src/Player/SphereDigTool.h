#pragma once

#include "Player/BasicDigTool.h"

// Once a second empties every voxel within 8 units of the eye: a quick way
// to carve a room or a shaft. Materials are left as they are.
class SphereDigTool : public BasicDigTool
{
public:
    SphereDigTool(const Vector3* origin, const Vector3* direction);

    std::string name() const override { return "Sphere dig tool"; }
    void apply() override;

    static constexpr int radius = 8;
};
