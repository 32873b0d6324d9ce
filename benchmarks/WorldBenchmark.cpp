#include "World/DatablockAnalyzer.h"
#include "World/Planet.h"
#include "World/datablock.h"

#include <benchmark/benchmark.h>

namespace {

// Generates every voxel of one block of a new world (seeds 13 and 14) per
// iteration, from a freshly prepared block, and reports voxels per second.
void generateBlock(benchmark::State& state, int bx, int by, int bz)
{
    Planet planet(500.0);
    DatablockAnalyzer analyzer(13, 14);
    datablock block(&analyzer, "benchmark", bx, by, bz);
    long solid = 0;
    for (auto _ : state) {
        state.PauseTiming();
        block.prepareGeneration();
        state.ResumeTiming();
        for (int x = block.minX(); x <= block.maxX(); ++x)
            for (int y = block.minY(); y <= block.maxY(); ++y)
                for (int z = block.minZ(); z <= block.maxZ(); ++z)
                    solid += block.getVoxel(x, y, z)->density() > 0;
    }
    benchmark::DoNotOptimize(solid);
    state.SetItemsProcessed(state.iterations() * datablock::SIZE * datablock::SIZE * datablock::SIZE);
    state.counters["ground share"]
        = static_cast<double>(solid) / static_cast<double>(state.items_processed());
}

// Crossed by the surface at mid latitude.
void surfaceBlock(benchmark::State& state)
{
    generateBlock(state, 17, 17, 0);
}

// About 350 units below the surface: deep rock.
void deepBlock(benchmark::State& state)
{
    generateBlock(state, 5, 5, 0);
}

// High above all terrain.
void airBlock(benchmark::State& state)
{
    generateBlock(state, 30, 30, 0);
}

} // namespace

BENCHMARK(surfaceBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(deepBlock)->Unit(benchmark::kMillisecond);
BENCHMARK(airBlock)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
