#pragma once

#include "Player/Ground.h"

class TerrainDataManager;

// The ground of the voxel world, as the terrain data manager samples it. Its
// queries lock the manager themselves; main thread here.
class TerrainGround : public Ground
{
public:
    explicit TerrainGround(TerrainDataManager& manager);

    double sampleDensity(const Vector3& p) override;
    Vector3 pushOutOfGround(const Vector3& from, const Vector3& to) override;

private:
    TerrainDataManager& manager;
};
