#pragma once

#include "World/BaseVox.h"

class TerrainDataManager;

// A water voxel handle: the water value read (and computed, if it never was)
// when the handle was built. Water is edited through the data manager only,
// so writes through the handle are ignored.
class WaterVox : public BaseVox
{
public:
    WaterVox(TerrainDataManager& manager, int x, int y, int z);

    // The water value; the argument is ignored.
    int density(int newValue = NO_CHANGE) override;
    // Always 0; the argument is ignored.
    int material(int newValue = NO_CHANGE) override;

private:
    int value;
};
