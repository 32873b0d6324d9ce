#pragma once

#include "Player/Tool.h"

// Repaints the voxels within 3 units along the view with the chosen
// material, ten times a second; densities stay as they are.
class TexturePaintTool : public Tool
{
public:
    TexturePaintTool(const Vector3* origin, const Vector3* direction);

    std::string name() const override { return "Texture paint tool"; }
    void apply() override;

    // Starts as grass (what key 0 chooses): material 0 would mark the voxels
    // as never generated and the generator would paint over them again.
    int paintMaterial = 1;
};
