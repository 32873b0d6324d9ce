#include "World/datablock.h"

#include "World/DatablockAnalyzer.h"
#include "World/DatablockFile.h"

#include <algorithm>
#include <iostream>

datablock::datablock(DatablockAnalyzer* analyzer, const std::string& filename, int bx, int by, int bz)
    : analyzer(analyzer)
{
    if (!analyzer)
        throw "FATAL ERROR: datablock built without a DatablockAnalyzer!";
    if (filename.empty())
        std::cout << "DB inited with 0 length filename!\n";
    place(bx, by, bz, filename);
    loadOrPrepare();
}

int datablock::blockCoordinate(int v)
{
    // Truncating division rounds negatives toward zero; shifting by one first gives the floor.
    return v >= 0 ? v / SIZE : (v + 1) / SIZE - 1;
}

void datablock::reinit(int bx, int by, int bz, const std::string& filename)
{
    saveIfModified();
    place(bx, by, bz, filename);
    loadOrPrepare();
}

void datablock::loadOrPrepare()
{
    // Voxels saved before they were ever generated are generated after loading,
    // so a loaded block needs the climate of its own corners too.
    if (loadFromFile())
        computeCornerClimate();
    else
        prepareGeneration();
}

void datablock::saveToFile() const
{
    DatablockFile::save(*this);
}

bool datablock::loadFromFile()
{
    return DatablockFile::load(*this);
}

bool datablock::isAllAir() const
{
    return std::all_of(
        voxels.begin(), voxels.end(), [](const Voxel& voxel) { return voxel.density() == Voxel::FULLY_AIR; });
}

bool datablock::prepareGeneration()
{
    for (Voxel& voxel : voxels)
        voxel.reset();
    computeCornerClimate();
    return true;
}

void datablock::computeCornerClimate()
{
    corners = cornerClimateOf(*analyzer, bx(), by(), bz());
}

std::array<double, 8> datablock::cornerClimateOf(const DatablockAnalyzer& analyzer, int bx, int by, int bz)
{
    std::array<double, 8> climate;
    for (int corner = 0; corner < 8; ++corner) {
        const double x = bx * SIZE + ((corner & 4) ? SIZE - 1 : 0);
        const double y = by * SIZE + ((corner & 2) ? SIZE - 1 : 0);
        const double z = bz * SIZE + ((corner & 1) ? SIZE - 1 : 0);
        climate[corner] = analyzer.climateValue(x, y, z);
    }
    return climate;
}

double datablock::climateAt(double x, double y, double z) const
{
    return climateAt(corners, bx(), by(), bz(), x, y, z);
}

double datablock::climateAt(
    const std::array<double, 8>& corners, int bx, int by, int bz, double x, double y, double z)
{
    const double minX = bx * SIZE, minY = by * SIZE, minZ = bz * SIZE;
    const double u = (x - minX) / (SIZE - 1);
    const double v = (y - minY) / (SIZE - 1);
    const double w = (z - minZ) / (SIZE - 1);
    const double weightX[2] = { 1.0 - u, u };
    const double weightY[2] = { 1.0 - v, v };
    const double weightZ[2] = { 1.0 - w, w };
    double climate = 0.0;
    for (int corner = 0; corner < 8; ++corner)
        climate += corners[corner] * weightX[corner >> 2] * weightY[(corner >> 1) & 1] * weightZ[corner & 1];
    return climate;
}

Voxel* datablock::getVoxel(int x, int y, int z)
{
    if (x < minX() || x > maxX() || y < minY() || y > maxY() || z < minZ() || z > maxZ())
        return nullptr;
    const int lx = x - minX();
    const int ly = y - minY();
    const int lz = z - minZ();
    Voxel& voxel = localVoxel(lx, ly, lz);
    // A generated voxel is handed out without taking the generation lock.
    if (!voxel.isGenerated())
        analyzer->generateVoxel(*this, lx, ly, lz, climateAt(x, y, z));
    return &voxel;
}
