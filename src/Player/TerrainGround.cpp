#include "Player/TerrainGround.h"

#include "World/TerrainDataManager.h"

TerrainGround::TerrainGround(TerrainDataManager& manager)
    : manager(manager)
{
}

double TerrainGround::sampleDensity(const Vector3& p)
{
    return manager.sampleDensity(p);
}

Vector3 TerrainGround::pushOutOfGround(const Vector3& from, const Vector3& to)
{
    return manager.pushOutOfGround(from, to);
}
