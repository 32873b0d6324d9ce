#include "World/WaterDatablock.h"

#include "World/DatablockFile.h"
#include "World/Planet.h"
#include "World/Voxel.h"
#include "World/datablock.h"

#include <algorithm>
#include <iostream>

namespace {

const Planet& requirePlanet()
{
    const Planet* planet = Planet::getInstance();
    if (!planet)
        throw "FATAL ERROR: WaterDatablock built before the planet!";
    return *planet;
}

} // namespace

WaterDatablock::WaterDatablock(datablock* terrain, int bx, int by, int bz, const std::string& filename)
    : planet(requirePlanet())
{
    if (!terrain) {
        std::cout << "Error: Cannot init Water Datablock with null datablock pointer!\n";
        throw "FATAL EXCEPTION";
    }
    clear();
    place(terrain, bx, by, bz, filename);
    // Values the file does not supply are computed on demand.
    loadFromFile();
}

int WaterDatablock::naturalValue(const Planet& planet, double x, double y, double z)
{
    const double belowSea = planet.seaLevel - planet.heightAt(x, y, z);
    if (belowSea < -1.0)
        return DRY;
    return static_cast<int>(std::min(belowSea, 1.0) * 127.0);
}

void WaterDatablock::reinit(datablock* terrain, int bx, int by, int bz, const std::string& filename)
{
    saveIfModified();
    clear();
    place(terrain, bx, by, bz, filename);
    loadFromFile();
}

void WaterDatablock::place(datablock* terrainBlock, int bx, int by, int bz, const std::string& filename)
{
    terrain = terrainBlock;
    BlockPlacement::place(bx, by, bz, filename);
}

bool WaterDatablock::contains(int x, int y, int z) const
{
    return x >= minX() && x <= maxX() && y >= minY() && y <= maxY() && z >= minZ() && z <= maxZ();
}

int WaterDatablock::getWater(int x, int y, int z)
{
    if (!contains(x, y, z))
        return NOT_COMPUTED;
    Cell& value = cell(x - minX(), y - minY(), z - minZ());
    std::int8_t stored = value.load(std::memory_order_relaxed);
    if (stored != NOT_COMPUTED)
        return stored;

    int computed = naturalValue(planet, x, y, z);
    if (computed != DRY && terrain->getVoxel(x, y, z)->density() == Voxel::FULLY_SOLID)
        computed = IN_ROCK;
    // Another thread may have cleared or filled the voxel meanwhile; its value wins.
    if (value.compare_exchange_strong(stored, static_cast<std::int8_t>(computed), std::memory_order_relaxed))
        return computed;
    return stored;
}

void WaterDatablock::setWater(int value, int x, int y, int z)
{
    if (!contains(x, y, z)) {
        std::cout << "non fatal error: water set density index out of bounds\n";
        return;
    }
    setLocalValue(x - minX(), y - minY(), z - minZ(), std::clamp(value, DRY, FULL));
    // Marked at once, so a block reused before the renderer hears of the change still saves it.
    modified = true;
}

void WaterDatablock::saveToFile() const
{
    DatablockFile::save(*this);
}

bool WaterDatablock::loadFromFile()
{
    return DatablockFile::load(*this);
}

bool WaterDatablock::allEqual(int value) const
{
    return std::all_of(water.begin(), water.end(),
        [value](const Cell& cell) { return cell.load(std::memory_order_relaxed) == value; });
}

bool WaterDatablock::isAllDry() const
{
    return allEqual(DRY);
}

bool WaterDatablock::isAllFull() const
{
    return allEqual(FULL);
}

void WaterDatablock::clear()
{
    for (Cell& value : water)
        value.store(NOT_COMPUTED, std::memory_order_relaxed);
}
