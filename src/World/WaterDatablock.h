#pragma once

#include "World/BlockPlacement.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

class Planet;
class datablock;

// The water values of one block, paired with the terrain datablock of the
// same coordinates. A value is computed from its height below the sea level
// the first time it is read; digging clears it and the data manager's water
// flow raises it again, never above its natural value.
//
// Threads: the data manager builds and reuses blocks (constructor, reinit)
// under its mutex while no handle holds the block; coordinates, bounds and
// file name change only there. getWater and setWater run on any thread (the
// water renderer's, the main thread's clearing, the flow thread's filling);
// each value is one atomic byte and the lazy computation only replaces a
// value that is still uncomputed, so a clearing is never overwritten by it.
class WaterDatablock final : public BlockPlacement
{
public:
    static constexpr int NOT_COMPUTED = -128;
    static constexpr int DRY = -127;
    // Computed inside fully solid rock.
    static constexpr int IN_ROCK = -1;
    static constexpr int FULL = 127;

    // A null terrain block is fatal: the water of rock could not be told.
    WaterDatablock(datablock* terrain, int bx, int by, int bz, const std::string& filename);

    // The water an undisturbed point holds: full more than one unit below the
    // sea level, dry more than one unit above it, graded in between.
    static int naturalValue(const Planet& planet, double x, double y, double z);

    // Takes on other coordinates after saving the old ones if modified.
    void reinit(datablock* terrain, int bx, int by, int bz, const std::string& filename);
    // NOT_COMPUTED outside the block; otherwise the value, computed first if it never was.
    int getWater(int x, int y, int z);
    // Clamped to DRY..FULL; outside the block only reports. Marks the block modified.
    void setWater(int value, int x, int y, int z);

    // Block file (DatablockFile). Saving throws "FATAL EXCEPTION" when the file cannot be written.
    void saveToFile() const override;
    bool loadFromFile();
    bool isAllDry() const;
    bool isAllFull() const;
    // Every value back to NOT_COMPUTED.
    void clear();

    // The stored byte at a local index (each 0..19), as it is: no computation, no clamping.
    int localValue(int lx, int ly, int lz) const { return cell(lx, ly, lz).load(std::memory_order_relaxed); }
    void setLocalValue(int lx, int ly, int lz, int value)
    {
        cell(lx, ly, lz).store(static_cast<std::int8_t>(value), std::memory_order_relaxed);
    }
    // Every value, indexed (lx * 20 + ly) * 20 + lz: the order of the water file.
    using Cell = std::atomic<std::int8_t>;
    Cell* values() { return water.data(); }
    const Cell* values() const { return water.data(); }

    datablock* terrainBlock() const { return terrain; }
    bool contains(int x, int y, int z) const;

private:
    Cell& cell(int lx, int ly, int lz) { return water[(lx * SIZE + ly) * SIZE + lz]; }
    const Cell& cell(int lx, int ly, int lz) const { return water[(lx * SIZE + ly) * SIZE + lz]; }
    void place(datablock* terrain, int bx, int by, int bz, const std::string& filename);
    bool allEqual(int value) const;

    const Planet& planet;
    datablock* terrain = nullptr;
    std::array<Cell, SIZE * SIZE * SIZE> water;
};
