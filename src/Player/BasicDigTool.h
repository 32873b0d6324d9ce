#pragma once

#include "Player/Tool.h"
#include "Player/ToolSound.h"

class Vox;

// Digs along the view: every two seconds takes up to 250 density units from
// the voxels within 3 units of the eye, nearest first. The pickaxe sound
// loops while the tool is in use.
class BasicDigTool : public Tool
{
public:
    BasicDigTool(const Vector3* origin, const Vector3* direction);

    std::string name() const override { return "Basic dig tool"; }
    void apply() override;

    // Fully empty air: a dig never takes a voxel below it.
    static constexpr int emptyDensity = -127;

protected:
    BasicDigTool(const Vector3* origin, const Vector3* direction, double rate);

    // Writes a lowered density: dug grass shows the soil under it, and an
    // emptied voxel loses its material.
    static void lower(Vox& voxel, int newDensity);
    // The sound played while the tool is in use.
    virtual ToolSound& digSound() { return pickaxe; }
    void activeChanged(bool on) override;

private:
    ToolSound pickaxe;
};
