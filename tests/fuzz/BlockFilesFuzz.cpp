#include "FuzzCheck.h"
#include "World/DatablockAnalyzer.h"
#include "World/DatablockFile.h"
#include "World/Planet.h"
#include "World/WaterDatablock.h"
#include "World/datablock.h"

#include <string>

namespace {
// Every voxel is read through the block's own accessors; the sum keeps the
// reads from being optimised away.
volatile long readBack = 0;

// Whatever decodes, read voxel by voxel, encodes to a file that decodes to
// the same block.
template <typename Block, typename Read>
void roundTrip(const std::string& bytes, Block& block, Block& again, Read read)
{
    std::string problem;
    if (!DatablockFile::decode(bytes, block, problem))
        return;
    long sum = 0;
    for (int x = 0; x < datablock::SIZE; ++x)
        for (int y = 0; y < datablock::SIZE; ++y)
            for (int z = 0; z < datablock::SIZE; ++z)
                sum += read(block, x, y, z);
    readBack = sum;
    const std::string encoded = DatablockFile::encode(block);
    FUZZ_CHECK(DatablockFile::decode(encoded, again, problem));
    FUZZ_CHECK(DatablockFile::encode(again) == encoded);
}
}

// Terrain and water block files: the first byte picks the loader, the rest is
// the file. The blocks live for the whole run; decoding overwrites every
// voxel they hold.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    quietLoaders();
    static Planet planet(500.0);
    static DatablockAnalyzer analyzer(13, 14);
    static datablock terrain(&analyzer, "/nonexistent/fuzz.0.0.0", 30, 30, 0);
    static datablock terrainAgain(&analyzer, "/nonexistent/fuzz.0.0.1", 30, 30, 1);
    static WaterDatablock water(&terrain, 30, 30, 0, "/nonexistent/fuzz.0.0.0.w");
    static WaterDatablock waterAgain(&terrainAgain, 30, 30, 1, "/nonexistent/fuzz.0.0.1.w");
    if (size == 0)
        return 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        roundTrip(bytes, water, waterAgain,
            [](const WaterDatablock& b, int x, int y, int z) { return b.localValue(x, y, z); });
    else
        roundTrip(bytes, terrain, terrainAgain, [](const datablock& b, int x, int y, int z) {
            return b.localVoxel(x, y, z).density() + b.localVoxel(x, y, z).material();
        });
    return 0;
}
