#pragma once

#include "World/BlockPlacement.h"
#include "World/Voxel.h"

#include <array>
#include <string>

class DatablockAnalyzer;

// A cube of 20 x 20 x 20 terrain voxels whose contents are generated voxel by
// voxel on first read. The records never move while the block lives, so a
// voxel pointer stays valid until the block is reused for other coordinates.
//
// Threads: the data manager builds, reuses and saves blocks (constructor,
// reinit, saveToFile) under its mutex, and reuses only blocks no handle holds;
// coordinates, bounds, file name and corner climate change only there.
// getVoxel runs on any thread; the voxel bytes themselves take no lock (see
// Voxel) and generation is serialised by the analyzer's lock. `modified` is
// set by handle writes and the change queues on any thread and cleared by
// saves, hence atomic.
class datablock final : public BlockPlacement
{
public:
    // The analyzer must not be null: a block has no other way to generate.
    // Loads the block's file, or prepares generation when there is none.
    datablock(DatablockAnalyzer* analyzer, const std::string& filename, int bx, int by, int bz);

    // Floor quotient by the block edge: the block coordinate holding world coordinate v.
    static int blockCoordinate(int v);

    // Takes on other coordinates, reusing the voxel records in place: saves the
    // old contents first if modified, then loads the new file or prepares generation.
    void reinit(int bx, int by, int bz, const std::string& filename);
    // Marks every voxel as never generated and evaluates the corner climate.
    bool prepareGeneration();
    void computeCornerClimate();
    // Corner climate interpolated trilinearly at a world position inside the block.
    double climateAt(double x, double y, double z) const;
    // The corner climate a block at block coordinates takes, and the value
    // those corners give a world position inside it: what a block computes,
    // for readers that need it without a block.
    static std::array<double, 8> cornerClimateOf(const DatablockAnalyzer& analyzer, int bx, int by, int bz);
    static double climateAt(
        const std::array<double, 8>& corners, int bx, int by, int bz, double x, double y, double z);
    // Null outside the block; otherwise the voxel, generated first if it never was.
    Voxel* getVoxel(int x, int y, int z);
    // The record at a local index (each 0..19), as it is: no generation.
    Voxel& localVoxel(int lx, int ly, int lz) { return voxels[(lx * SIZE + ly) * SIZE + lz]; }
    const Voxel& localVoxel(int lx, int ly, int lz) const { return voxels[(lx * SIZE + ly) * SIZE + lz]; }
    // Every record, indexed (lx * 20 + ly) * 20 + lz: the order of the block file.
    Voxel* records() { return voxels.data(); }
    const Voxel* records() const { return voxels.data(); }

    // Block file (DatablockFile). Saving throws "FATAL EXCEPTION" when the file cannot be written.
    void saveToFile() const override;
    bool loadFromFile();
    // Every density is fully air; materials are not looked at.
    bool isAllAir() const;

    // In the order (minX, minY, minZ), (minX, minY, maxZ), (minX, maxY, minZ), ... (maxX, maxY, maxZ).
    const std::array<double, 8>& cornerClimate() const { return corners; }

private:
    void loadOrPrepare();

    std::array<Voxel, SIZE * SIZE * SIZE> voxels;
    DatablockAnalyzer* analyzer;
    std::array<double, 8> corners {};
};
