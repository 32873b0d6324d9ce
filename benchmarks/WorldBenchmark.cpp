#include "World/DatablockAnalyzer.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"
#include "World/datablock.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <vector>

namespace {

// Block coordinates of the three kinds of block generation meets.
constexpr int SURFACE[3] = { 17, 17, 0 }; // crossed by the surface at mid latitude
constexpr int DEEP[3] = { 5, 5, 0 }; // about 350 units below the surface: deep rock
constexpr int AIR[3] = { 30, 30, 0 }; // high above all terrain

template <typename Visit> void forEachVoxel(const datablock& block, Visit visit)
{
    for (int x = block.minX(); x <= block.maxX(); ++x)
        for (int y = block.minY(); y <= block.maxY(); ++y)
            for (int z = block.minZ(); z <= block.maxZ(); ++z)
                visit(x, y, z);
}

// Generates every voxel of one block of a new world (seeds 13 and 14) per
// iteration, from a freshly prepared block, and reports voxels per second.
void generateBlock(benchmark::State& state, const int (&at)[3])
{
    Planet planet(500.0);
    DatablockAnalyzer analyzer(13, 14);
    datablock block(&analyzer, "benchmark", at[0], at[1], at[2]);
    long solid = 0;
    for (auto _ : state) {
        state.PauseTiming();
        block.prepareGeneration();
        state.ResumeTiming();
        forEachVoxel(block, [&](int x, int y, int z) { solid += block.getVoxel(x, y, z)->density() > 0; });
    }
    benchmark::DoNotOptimize(solid);
    state.SetItemsProcessed(state.iterations() * datablock::SIZE * datablock::SIZE * datablock::SIZE);
    state.counters["ground share"]
        = static_cast<double>(solid) / static_cast<double>(state.items_processed());
}

// What generating the surface block cannot do without: each noise module its
// voxels need, evaluated once at each point that needs it. That is the
// overlay for the zone, the density terms weighted by the voxel's own
// parameters (no voxel of this block is deep rock) and, for a voxel that is
// not fully air, the material noise of its kind. The kinds are read from the
// generated block, so a voxel on the edge of two kinds may count the other.
// Generation can beat it: a term whose reach cannot move the density back
// inside -1..1 is skipped, which this limit does not know.
void surfaceLimit(benchmark::State& state)
{
    Planet planet(500.0);
    DatablockAnalyzer analyzer(13, 14);
    datablock block(&analyzer, "benchmark", SURFACE[0], SURFACE[1], SURFACE[2]);
    struct Evaluation
    {
        const noise::module::Module* module;
        Vector3 at;
    };
    std::vector<Evaluation> needed;
    forEachVoxel(block, [&](int x, int y, int z) { block.getVoxel(x, y, z); });
    forEachVoxel(block, [&](int x, int y, int z) {
        const double climate = block.climateAt(x, y, z);
        ClimateParams params;
        const ClimateZone& zone = analyzer.zoneFor(&params, climate, x, y, z);
        needed.push_back({ &analyzer.overlayModule(), analyzer.overlayPoint(x, y, z) });
        for (std::size_t term = 0; term < 4; ++term)
            if (DatablockAnalyzer::termCounts(params[term]))
                needed.push_back({ &analyzer.termNoise(term), Vector3(x, y, z) });
        if (block.getVoxel(x, y, z)->density() == Voxel::FULLY_AIR)
            return;
        const VoxelKind kind
            = analyzer.AnalyzeVoxel(block, x - block.minX(), y - block.minY(), z - block.minZ(), climate);
        if (const noise::module::Module* material = zone.materialNoiseFor(kind))
            needed.push_back({ material, Vector3(x, y, z) });
    });
    double sum = 0.0;
    for (auto _ : state)
        for (const Evaluation& evaluation : needed)
            sum += evaluation.module->GetValue(evaluation.at.x, evaluation.at.y, evaluation.at.z);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * datablock::SIZE * datablock::SIZE * datablock::SIZE);
    state.counters["evaluations per voxel"]
        = static_cast<double>(needed.size()) / (datablock::SIZE * datablock::SIZE * datablock::SIZE);
}

// A data manager on a new world in a temporary folder, removed afterwards.
class BenchmarkWorld
{
public:
    explicit BenchmarkWorld(int capacity)
    {
        char pattern[] = "/tmp/glebe-benchmark-XXXXXX";
        root = std::string(mkdtemp(pattern)) + "/";
        std::cout.setstate(std::ios::failbit);
        manager = std::make_unique<TerrainDataManager>(viewer, "Benchmark", 13, 14, capacity, root, false);
        std::cout.clear();
    }
    ~BenchmarkWorld()
    {
        manager.reset();
        std::filesystem::remove_all(root);
    }

    double viewer[3] = { 510.0, 0.0, 0.0 };
    std::string root;
    std::unique_ptr<TerrainDataManager> manager;
};

// A block never seen before, with the cache at the game's capacity: building
// or reusing a pair, looking for its files and evaluating its corner climate.
void coldGetNode(benchmark::State& state)
{
    BenchmarkWorld world(1000);
    int next = 0;
    for (auto _ : state) {
        ++next;
        benchmark::DoNotOptimize(world.manager->getNode(40 + next % 50, next / 50, 3).get());
    }
}

// Taking a modified block's pair for another block: the old block is written
// to its file and the other block read back from its own.
void reuseModifiedBlock(benchmark::State& state)
{
    BenchmarkWorld world(1);
    TerrainDataManager& manager = *world.manager;
    for (int bx : { 41, 40 }) {
        Vox(manager, bx * 20, 0, 0).density(10);
        manager.getNode(bx == 41 ? 40 : 41, 0, 0);
    }
    int round = 0;
    for (auto _ : state) {
        const int from = 40 + round % 2;
        state.PauseTiming();
        Vox(manager, from * 20, 0, 0).density(round % 100);
        state.ResumeTiming();
        benchmark::DoNotOptimize(manager.getNode(81 - from, 0, 0).get());
        ++round;
    }
}

// A tool's ray of length 8 down onto the ground, through blocks in memory.
void castVoxelRay8(benchmark::State& state)
{
    BenchmarkWorld world(1000);
    TerrainDataManager& manager = *world.manager;
    const Vector3 origin { world.viewer[0] + 4.0, 0.3, 0.2 };
    const Vector3 down { -1.0, 0.0, 0.0 };
    for (int x = static_cast<int>(origin.x) - 10; x <= origin.x; ++x)
        Vox(manager, x, 0, 0).density();
    std::size_t hits = 0;
    for (auto _ : state)
        hits += manager.castVoxelRay(origin, down, 8.0).size();
    state.counters["handles per ray"] = static_cast<double>(hits) / static_cast<double>(state.iterations());
}

} // namespace

BENCHMARK(coldGetNode)->Unit(benchmark::kMicrosecond);
BENCHMARK(reuseModifiedBlock)->Unit(benchmark::kMicrosecond);
BENCHMARK(castVoxelRay8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(generateBlock, surface, SURFACE)->Name("surface")->Unit(benchmark::kMillisecond);
BENCHMARK(surfaceLimit)->Name("surface_limit")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(generateBlock, deep, DEEP)->Name("deep")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(generateBlock, air, AIR)->Name("air")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
