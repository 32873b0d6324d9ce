#pragma once

#include "Player/BasicDigTool.h"

// Digs fast: fifteen times a second lowers every voxel within 5 units along
// the view, and its six face neighbours, by 20. The jackhammer sound loops
// while the tool is in use.
class PowerDigTool : public BasicDigTool
{
public:
    PowerDigTool(const Vector3* origin, const Vector3* direction);

    std::string name() const override { return "Power dig tool"; }
    void apply() override;

protected:
    ToolSound& digSound() override { return jackhammer; }

private:
    ToolSound jackhammer;
};
