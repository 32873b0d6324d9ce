#include "Graphics/TerrainTextureRegistry.h"
#include "Terrain/CachedVoxelField.h"
#include "Terrain/DataManagerWorld.h"
#include "Terrain/FarTerrain.h"
#include "Terrain/Polygonizer.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/TerrainRing.h"
#include "World/TerrainDataManager.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#ifdef GLEBE_WITH_POLYVOX
#include <PolyVox/MarchingCubesSurfaceExtractor.h>
#include <PolyVox/RawVolume.h>
#endif

// Figures on the two-core build machine, shared with other builds (load
// 5 to 7), RelWithDebInfo, CPU time, medians of 3 in one run. Walk, welding
// and normals against PolyVox on the same samples: fine 28 us (PolyVox 7.2,
// 3.9x), coarse 86 us (17.8, 4.8x), sphere64 7.3 ms (2.4, 3.1x). Full
// rebuild: fine 34 us (4.6x PolyVox), coarse 124 us (7.0x), sphere64 22 ms
// (9.1x: 20 777 grass quads, each turned with sines and cosines). Most of a
// cell's walk, welding and normals is reading the full-resolution voxels
// around each vertex that its normal blends (48 per vertex, in the order the
// plain blend reads them, since reading can generate voxels), which PolyVox,
// with normals from the samples alone, does not do. The initial build of
// both rings on a new world 1.0 s (0.66 s of CPU, mostly generation).

namespace {

// A new world (seeds 13 and 14) in a temporary folder, removed afterwards,
// with the viewer on the surface found from 10 units above the equator.
class BenchmarkWorld
{
public:
    BenchmarkWorld()
    {
        char pattern[] = "/tmp/glebe-terrain-benchmark-XXXXXX";
        root = std::string(mkdtemp(pattern)) + "/";
        std::cout.setstate(std::ios::failbit);
        manager = std::make_unique<TerrainDataManager>(viewer, "Benchmark", 13, 14, 1000, root, false);
        std::cout.clear();
        world = std::make_unique<DataManagerWorld>(*manager);
        TerrainTextureRegistry::getInstance().addTerrainLayers();
    }
    ~BenchmarkWorld()
    {
        world.reset();
        manager.reset();
        std::filesystem::remove_all(root);
    }

    Vector3 viewerPosition() const { return { viewer[0], viewer[1], viewer[2] }; }

    double viewer[3] = { 510.0, 0.0, 0.0 };
    std::string root;
    std::unique_ptr<TerrainDataManager> manager;
    std::unique_ptr<DataManagerWorld> world;
};

// The samples of one meshing case, read once into a dense snapshot: the box
// grown by the two voxels that normals read beyond it. Both mesher sides of
// a case work on these same voxels.
class Snapshot : public VoxelField
{
public:
    Snapshot(const VoxelBox& box, int step, const std::function<VoxelSample(int, int, int)>& read)
        : box(box)
        , step(step)
        , region(box.grown(2))
        , sizeY(region.y1 - region.y0 + 1)
        , sizeZ(region.z1 - region.z0 + 1)
    {
        voxels.resize(static_cast<std::size_t>(region.x1 - region.x0 + 1) * sizeY * sizeZ);
        for (int x = region.x0; x <= region.x1; ++x)
            for (int y = region.y0; y <= region.y1; ++y)
                for (int z = region.z0; z <= region.z1; ++z)
                    voxels[indexOf(x, y, z)] = read(x, y, z);
    }

    VoxelSample sample(int x, int y, int z) override { return read(x, y, z); }
    void sampleRow(int x, int y, int z, int step, int count, VoxelSample* out) override
    {
        readRow(x, y, z, step, count, out);
    }
    void readRow(int x, int y, int z, int step, int count, VoxelSample* out) const
    {
        if (count > 0 && region.contains(x, y, z) && region.contains(x, y, z + (count - 1) * step)) {
            const VoxelSample* row = &voxels[indexOf(x, y, z)];
            for (int n = 0; n < count; ++n)
                out[n] = row[static_cast<std::size_t>(n) * step];
        } else {
            for (int n = 0; n < count; ++n)
                out[n] = read(x, y, z + n * step);
        }
    }
    VoxelSample read(int x, int y, int z) const
    {
        return region.contains(x, y, z) ? voxels[indexOf(x, y, z)] : VoxelSample { -127, 0 };
    }

    const VoxelBox box;
    const int step;
    const VoxelBox region;

private:
    std::size_t indexOf(int x, int y, int z) const
    {
        return (static_cast<std::size_t>(x - region.x0) * sizeY + (y - region.y0)) * sizeZ + (z - region.z0);
    }

    const int sizeY;
    const int sizeZ;
    std::vector<VoxelSample> voxels;
};

// The viewer's cell of a ring, from the benchmark world.
Snapshot worldCell(int size, int step)
{
    BenchmarkWorld world;
    const TerrainRing ring(step, size, 1);
    const VoxelBox box = ring.boxOf(ring.cellAt(world.viewerPosition()));
    const std::unique_ptr<VoxelField> field = world.world->terrainField(box.grown(2));
    return Snapshot(box, step, [&](int x, int y, int z) { return field->sample(x, y, z); });
}

// A ball of radius 30 in a 64-voxel box, sampled every voxel, densities
// rising 40 per voxel inwards.
Snapshot sphere()
{
    return Snapshot({ 0, 63, 0, 63, 0, 63 }, 1, [](int x, int y, int z) {
        const double r
            = std::sqrt((x - 31.5) * (x - 31.5) + (y - 31.5) * (y - 31.5) + (z - 31.5) * (z - 31.5));
        return VoxelSample { static_cast<int>(std::clamp((30.0 - r) * 40.0, -127.0, 127.0)), 1 };
    });
}

// Made on first use, so that a filtered run generates only what it measures.
const Snapshot& caseSnapshot(const std::string& name)
{
    if (name == "fine") {
        static const Snapshot fine = worldCell(Terrain::FINE_SIZE, Terrain::FINE_STEP);
        return fine;
    }
    if (name == "coarse") {
        static const Snapshot coarse = worldCell(Terrain::COARSE_SIZE, Terrain::COARSE_STEP);
        return coarse;
    }
    static const Snapshot ball = sphere();
    return ball;
}

// Walk, welding and normals on a snapshot, as a block build does them after
// opening its field: each voxel is read from the snapshot once per build.
void glebeMesh(benchmark::State& state, const std::string& name)
{
    Snapshot snapshot = caseSnapshot(name);
    auto layers = [](int material) { return TerrainTextureRegistry::getInstance().layerFor(material); };
    auto all = [](const MeshVertex&, const MeshVertex&, const MeshVertex&) { return true; };
    Mesh mesh;
    for (auto _ : state) {
        CachedVoxelField field(snapshot, snapshot.region);
        mesh.vertices.clear();
        mesh.triangles.clear();
        Polygonizer(field, layers).polygonize(snapshot.box, snapshot.step, all, mesh);
        for (MeshVertex& vertex : mesh.vertices)
            vertex.normal = field.surfaceNormal(vertex.position);
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.counters["vertices"] = static_cast<double>(mesh.vertices.size());
    state.counters["triangles"] = static_cast<double>(mesh.triangles.size());
}

#ifdef GLEBE_WITH_POLYVOX
// PolyVox's marching cubes (with its vertex sharing and gradient normals)
// over the same samples, one voxel per sample.
void polyvoxMesh(benchmark::State& state, const std::string& name)
{
    Snapshot snapshot = caseSnapshot(name);
    const VoxelBox& box = snapshot.box;
    const int nx = (box.x1 - box.x0) / snapshot.step + 1;
    const int ny = (box.y1 - box.y0) / snapshot.step + 1;
    const int nz = (box.z1 - box.z0) / snapshot.step + 1;
    const PolyVox::Region region(0, 0, 0, nx - 1, ny - 1, nz - 1);
    PolyVox::RawVolume<std::int8_t> volume(region);
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            for (int k = 0; k < nz; ++k)
                volume.setVoxel(i, j, k,
                    static_cast<std::int8_t>(snapshot
                                                 .sample(box.x0 + i * snapshot.step,
                                                     box.y0 + j * snapshot.step, box.z0 + k * snapshot.step)
                                                 .density));
    std::size_t vertices = 0;
    std::size_t indices = 0;
    for (auto _ : state) {
        auto mesh = PolyVox::extractMarchingCubesMesh(&volume, region);
        vertices = mesh.getNoOfVertices();
        indices = mesh.getNoOfIndices();
        benchmark::DoNotOptimize(mesh);
    }
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["triangles"] = static_cast<double>(indices / 3);
}
#endif

// Serves a snapshot as the world's terrain and water.
class SnapshotWorld : public VoxelWorld
{
public:
    explicit SnapshotWorld(const Snapshot& snapshot)
        : snapshot(snapshot)
    {
    }
    std::unique_ptr<VoxelField> terrainField(const VoxelBox&) override
    {
        return std::make_unique<View>(snapshot);
    }
    std::unique_ptr<VoxelField> waterField(const VoxelBox&) override
    {
        return std::make_unique<View>(snapshot);
    }
    bool popChangedVoxel(VoxelPosition&) override { return false; }
    bool popChangedWater(VoxelPosition&) override { return false; }
    void saveTick(double) override { }

private:
    struct View : VoxelField
    {
        explicit View(const Snapshot& snapshot)
            : snapshot(snapshot)
        {
        }
        VoxelSample sample(int x, int y, int z) override { return snapshot.read(x, y, z); }
        void sampleRow(int x, int y, int z, int step, int count, VoxelSample* out) override
        {
            snapshot.readRow(x, y, z, step, count, out);
        }
        const Snapshot& snapshot;
    };
    const Snapshot& snapshot;
};

// Remeshing a cell as the update thread does for a moved cell: reading the
// voxels, polygonizing, welding, normals, grass and the arrays for the
// upload. The voxels of the world cells are generated by the first build,
// before the timing starts. Reports cells per second.
void rebuildBlock(benchmark::State& state, TerrainBlock& block)
{
    for (auto _ : state)
        block.rebuild();
    state.SetItemsProcessed(state.iterations());
    state.counters["triangles"] = block.builtTriangleCount();
    state.counters["grass points"] = block.vegetationPointCount();
}

// The cell of the viewer, or of another place.
void rebuildWorldCell(benchmark::State& state, int size, int step, std::optional<Vector3> at = std::nullopt)
{
    BenchmarkWorld world;
    const TerrainRing ring(step, size, 1);
    TerrainBlock block(ring.boxOf(ring.cellAt(at.value_or(world.viewerPosition()))), world.world.get(), step);
    rebuildBlock(state, block);
}

// Ground of grass, away from the viewer's sand: the cells of both rings
// there, for the cost of their grass.
const Vector3 meadow { 501.0, -66.0, 4.0 };

void rebuildMeadowFineCell(benchmark::State& state)
{
    rebuildWorldCell(state, Terrain::FINE_SIZE, Terrain::FINE_STEP, meadow);
}

void rebuildMeadowCoarseCell(benchmark::State& state)
{
    rebuildWorldCell(state, Terrain::COARSE_SIZE, Terrain::COARSE_STEP, meadow);
}

// 13 x 13 x 13 voxels sampled every 2.
void rebuildFineCell(benchmark::State& state)
{
    rebuildWorldCell(state, Terrain::FINE_SIZE, Terrain::FINE_STEP);
}

// 41 x 41 x 41 voxels sampled every 4.
void rebuildCoarseCell(benchmark::State& state)
{
    rebuildWorldCell(state, Terrain::COARSE_SIZE, Terrain::COARSE_STEP);
}

// The ball, its voxels served from the snapshot.
void rebuildSphere(benchmark::State& state)
{
    const Snapshot& snapshot = caseSnapshot("sphere64");
    SnapshotWorld world(snapshot);
    TerrainBlock block(snapshot.box, &world, snapshot.step);
    rebuildBlock(state, block);
}

// The first pass of the update thread on a new world: all 468 cells of both
// rings, generating their voxels, without uploads. Reports seconds, and the
// grass points of each ring with the memory their quads take.
void initialBuild(benchmark::State& state)
{
    for (auto _ : state) {
        BenchmarkWorld world;
        Terrain terrain(*world.world, world.viewerPosition());
        const auto start = std::chrono::steady_clock::now();
        terrain.runPass();
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.counters["visible fine"] = static_cast<double>(terrain.fineVisible().size());
        state.counters["visible coarse"] = static_cast<double>(terrain.coarseVisible().size());
        double points[2] = { 0.0, 0.0 };
        for (const auto& cell : terrain.cells())
            points[cell->fine ? 0 : 1] += cell->terrain->vegetationPointCount();
        const double quadMB = 4.0 * sizeof(VegetationVertex) / (1024.0 * 1024.0);
        state.counters["grass fine"] = points[0];
        state.counters["grass coarse"] = points[1];
        state.counters["grass MB"] = (points[0] + points[1]) * quadMB;
    }
}

double threadSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// The far level of a new world built in full, in the 15 ms slices the update
// thread gives it, without uploads. Reports the CPU seconds of the building
// thread, the longest slice (what a ring move may wait) and the memory the
// samples and meshes take.
void farBuild(benchmark::State& state)
{
    for (auto _ : state) {
        BenchmarkWorld world;
        std::mutex lock;
        FarTerrain far(*world.manager);
        double longest = 0.0;
        const double start = threadSeconds();
        for (bool more = true; more;) {
            const auto sliceStart = std::chrono::steady_clock::now();
            more = far.work(lock, std::chrono::milliseconds(15));
            longest = std::max(longest,
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sliceStart)
                    .count());
        }
        state.SetIterationTime(threadSeconds() - start);
        state.counters["longest slice ms"] = longest;
        state.counters["memory MB"] = static_cast<double>(far.memoryBytes()) / (1024.0 * 1024.0);
        state.counters["chunks shown"] = static_cast<double>(far.visible().size());
    }
}

// Each case as <case>/glebe, <case>/polyvox and <case>/rebuild, so that a
// script can pair them.
void registerMeshingCases()
{
    const std::pair<const char*, void (*)(benchmark::State&)> rebuilds[]
        = { { "fine", rebuildFineCell }, { "coarse", rebuildCoarseCell }, { "sphere64", rebuildSphere } };
    for (const auto& [name, rebuild] : rebuilds) {
        const std::string prefix = std::string(name) + "/";
        benchmark::RegisterBenchmark((prefix + "glebe").c_str(), glebeMesh, std::string(name))
            ->Unit(benchmark::kMicrosecond);
#ifdef GLEBE_WITH_POLYVOX
        benchmark::RegisterBenchmark((prefix + "polyvox").c_str(), polyvoxMesh, std::string(name))
            ->Unit(benchmark::kMicrosecond);
#endif
        benchmark::RegisterBenchmark((prefix + "rebuild").c_str(), rebuild)->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

BENCHMARK(rebuildMeadowFineCell)->Unit(benchmark::kMicrosecond);
BENCHMARK(rebuildMeadowCoarseCell)->Unit(benchmark::kMicrosecond);
BENCHMARK(initialBuild)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(2);
BENCHMARK(farBuild)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(2);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    registerMeshingCases();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
