#include "World/FarSampler.h"

#include "Game/ResourcePath.h"
#include "World/DatablockAnalyzer.h"
#include "World/TerrainDataManager.h"
#include "World/datablock.h"

#include <cstdio>
#include <filesystem>
#include <string>

FarSampler::Block::Block(const DatablockAnalyzer& analyzer, int bx, int by, int bz)
    : analyzer(analyzer)
    , bx(bx)
    , by(by)
    , bz(bz)
{
}

FarSampler::Sample FarSampler::Block::read(int x, int y, int z, bool withMaterial)
{
    datablock* block = cached ? cached->tdb.get() : stored.get();
    if (block) {
        const Voxel* voxel = block->getVoxel(x, y, z);
        return { voxel->density(), voxel->material() };
    }
    const DatablockAnalyzer::FirstRead voxel = analyzer.firstRead(
        x, y, z,
        [&] {
            // Found once a voxel of the block needs it: most far samples lie
            // where the height alone decides.
            if (!corners)
                corners = datablock::cornerClimateOf(analyzer, bx, by, bz);
            return datablock::climateAt(*corners, bx, by, bz, x, y, z);
        },
        withMaterial);
    return { voxel.density, voxel.material };
}

FarSampler::FarSampler(TerrainDataManager& manager)
    : manager(manager)
{
    const std::filesystem::path data = resourcePath(manager.worldFolder().path() + "data");
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data, error)) {
        int bx, by, bz;
        char end;
        // Water files add ".w" and are not terrain.
        if (std::sscanf(entry.path().filename().c_str(), "%d.%d.%d%c", &bx, &by, &bz, &end) == 3)
            storedBlocks.insert(keyOf(bx, by, bz));
    }
}

FarSampler::~FarSampler() = default;

FarSampler::Block FarSampler::open(int bx, int by, int bz)
{
    Block block(manager.analyzer(), bx, by, bz);
    block.cached = manager.findNode(bx, by, bz);
    if (!block.cached && isStored(bx, by, bz))
        block.stored = std::make_unique<datablock>(
            &manager.analyzer(), manager.worldFolder().blockFile(bx, by, bz), bx, by, bz);
    return block;
}

FarSampler::Sample FarSampler::sample(int x, int y, int z, bool withMaterial)
{
    return open(datablock::blockCoordinate(x), datablock::blockCoordinate(y), datablock::blockCoordinate(z))
        .read(x, y, z, withMaterial);
}

void FarSampler::markStored(int bx, int by, int bz)
{
    std::lock_guard<std::mutex> guard(storedMutex);
    storedBlocks.insert(keyOf(bx, by, bz));
}

bool FarSampler::isStored(int bx, int by, int bz)
{
    std::lock_guard<std::mutex> guard(storedMutex);
    return storedBlocks.count(keyOf(bx, by, bz)) != 0;
}

std::uint64_t FarSampler::keyOf(int bx, int by, int bz)
{
    const auto part
        = [](int v) { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(v) & 0x1FFFFF); };
    return part(bx) << 42 | part(by) << 21 | part(bz);
}
