#pragma once

#include "World/NodePin.h"

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

class DatablockAnalyzer;
class TerrainDataManager;
class datablock;

// Reads the voxels of the far level a few per block without filling the
// block cache: a block the data manager holds is read through it, a block
// stored in a file is loaded apart from the cache, and every other voxel is
// evaluated by the generator as the first read of a fresh block stores it
// (DatablockAnalyzer::firstRead). No block is created in the cache.
//
// Threads: a sampler and its blocks are used by one thread (the terrain
// update thread); the data manager and the generator do their own locking.
// markStored runs on any thread; `storedMutex` guards the stored set.
class FarSampler
{
public:
    struct Sample
    {
        int density;
        int material;
    };

    // One block opened for reading, holding it in the cache (a pin) or in
    // memory (a stored file) while it lives.
    class Block
    {
    public:
        // A voxel inside the block; its material only when asked (else
        // Voxel::UNGENERATED_MATERIAL, or the air material for air, as far
        // as the generator is concerned; stored voxels always come whole).
        Sample read(int x, int y, int z, bool withMaterial);

    private:
        friend class FarSampler;
        Block(const DatablockAnalyzer& analyzer, int bx, int by, int bz);

        const DatablockAnalyzer& analyzer;
        int bx, by, bz;
        NodePin cached;
        std::unique_ptr<datablock> stored;
        std::optional<std::array<double, 8>> corners;
    };

    // Lists the world's block files once.
    explicit FarSampler(TerrainDataManager& manager);
    ~FarSampler();

    Block open(int bx, int by, int bz);
    Sample sample(int x, int y, int z, bool withMaterial = true);
    // A block that was edited: it is saved before it leaves the cache, so
    // from then on its file is read once it is not cached.
    void markStored(int bx, int by, int bz);

private:
    static std::uint64_t keyOf(int bx, int by, int bz);
    bool isStored(int bx, int by, int bz);

    TerrainDataManager& manager;
    std::mutex storedMutex;
    std::unordered_set<std::uint64_t> storedBlocks;
};
