#pragma once

#include <atomic>
#include <string>

// Where a cube of 20 x 20 x 20 voxels sits, the file that holds it and whether
// it differs from that file: what the terrain and the water blocks share, so
// both place and save themselves the same way.
//
// Threads: coordinates and file name change only through place(), which each
// block calls where its own header says (under the data manager's mutex while
// no handle holds the block); the accessors run on any thread that holds the
// block. `modified` is set on any thread and cleared by saves, hence atomic.
class BlockPlacement
{
public:
    static constexpr int SIZE = 20;

    BlockPlacement(const BlockPlacement&) = delete;
    BlockPlacement& operator=(const BlockPlacement&) = delete;

    int bx() const { return blockX; }
    int by() const { return blockY; }
    int bz() const { return blockZ; }
    int minX() const { return blockX * SIZE; }
    int minY() const { return blockY * SIZE; }
    int minZ() const { return blockZ * SIZE; }
    int maxX() const { return minX() + SIZE - 1; }
    int maxY() const { return minY() + SIZE - 1; }
    int maxZ() const { return minZ() + SIZE - 1; }
    const std::string& filename() const { return file; }

    // Writes the block's file; throws when it cannot be written.
    virtual void saveToFile() const = 0;
    // Saves and clears `modified` when it is set; a failed save leaves it set and rethrows.
    void saveIfModified();

    // The block differs from its file and must be saved before reuse or exit.
    std::atomic<bool> modified { false };

protected:
    BlockPlacement() = default;
    // Blocks are never deleted through this base.
    ~BlockPlacement() = default;

    void place(int bx, int by, int bz, const std::string& filename);

private:
    int blockX = 0;
    int blockY = 0;
    int blockZ = 0;
    std::string file;
};
