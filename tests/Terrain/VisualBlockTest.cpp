#include "../World/ManagerFixture.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Interface/StatsManager.h"
#include "Terrain/CachedVoxelField.h"
#include "Terrain/DataManagerWorld.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/WaterBlock.h"
#include "TestFields.h"
#include "World/Planet.h"
#include "World/Vox.h"
#include "World/WaterVox.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace {

// Blocks that keep a copy of the mesh their build hands to buildArrays.
template <typename Block> struct Capturing : Block
{
    Capturing(const VoxelBox& box, VoxelWorld& world, int step)
        : Block(box, &world, step)
    {
        // The constructor's build ran before this class existed.
        this->rebuild();
    }
    void buildArrays(Mesh& mesh) override
    {
        built = mesh;
        Block::buildArrays(mesh);
    }
    Mesh built;
};

const auto layerOf = [](int material) { return TerrainTextureRegistry::getInstance().layerFor(material); };

// The plain build of a box: the polygonizer's triangles welded by the linear
// scan, cut to 16-bit indices, and every normal either the planet's up or
// the blend of the eight voxel normals around the vertex.
Mesh referenceMesh(VoxelField& source, const VoxelBox& box, int step, const Planet* water)
{
    CachedVoxelField field(source, box.grown(2));
    std::vector<MeshVertex> triangles;
    Polygonizer(field, layerOf)
        .polygonize(
            box, step,
            [water](const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
                return !water
                    || WaterBlock::facesUp(water->upAt(b.position),
                        (b.position - a.position).cross(c.position - b.position).normalise());
            },
            triangles);
    Mesh mesh = referenceWeld(triangles);
    mesh.keepVertices(VisualBlock::MAX_VERTICES);
    for (MeshVertex& vertex : mesh.vertices)
        vertex.normal
            = water ? water->upAt(vertex.position) : field.VoxelField::surfaceNormal(vertex.position);
    return mesh;
}

using Reads = std::vector<std::array<int, 3>>;

// Each voxel at its first read, in order: generating a voxel stores densities
// of its neighbours, so the order in which a build first reads voxels is
// part of what the world keeps.
Reads firstReads(const Reads& reads)
{
    std::set<std::array<int, 3>> seen;
    Reads first;
    for (const auto& read : reads)
        if (seen.insert(read).second)
            first.push_back(read);
    return first;
}

// Terrain and water blocks byte for byte the plain build, the grass the plain
// spacing scan's and, given a log of terrain reads, the voxels first read in
// the same order. Returns the terrain block's mesh.
Mesh expectPlainBuild(
    VoxelWorld& world, const VoxelBox& box, int step, const Planet& planet, Reads* reads = nullptr)
{
    const Capturing<TerrainBlock> terrain(box, world, step);
    const Reads blockReads = reads ? firstReads(std::exchange(*reads, {})) : Reads();
    const Mesh terrainReference = referenceMesh(*world.terrainField(box.grown(2)), box, step, nullptr);
    EXPECT_TRUE(sameMesh(terrain.built, terrainReference)) << "terrain, step " << step;
    EXPECT_TRUE(!reads || firstReads(std::exchange(*reads, {})) == blockReads) << "reads, step " << step;
    const Capturing<WaterBlock> water(box, world, step);
    EXPECT_TRUE(sameMesh(water.built, referenceMesh(*world.waterField(box.grown(2)), box, step, &planet)))
        << "water, step " << step;
    const auto grass = Vegetation::points(terrain.built, layerOf(1), step);
    const auto reference = referencePoints(terrainReference, layerOf(1), step);
    EXPECT_TRUE(terrain.vegetationPointCount() == int(reference.size()) && grass.size() == reference.size()
        && (grass.empty()
            || std::memcmp(grass.data(), reference.data(), grass.size() * sizeof(VegetationPoint)) == 0))
        << "grass, step " << step;
    return terrain.built;
}

} // namespace

const VoxelBox cellBox { 0, 12, 0, 12, 0, 12 };

// Only a new box fades in; an edit shows at once. A mesh beyond 16-bit indices
// is cut at the limit, not wrapped, dropping the triangles that do not fit.
TEST(VisualBlockTest, SetRangeRebuildsForANewBoxOrStepAndOnlyANewBoxFadesIn)
{
    FunctionWorld world(groundBelow(6.5, 2), nowhere);
    TerrainBlock block(cellBox, &world, 0);
    EXPECT_EQ(block.step(), 1) << "steps below one sample every voxel";
    EXPECT_TRUE(block.hasTriangles() && block.needsUpload() && block.fade() == 0.0);
    EXPECT_FALSE(block.setRange(cellBox, 1));
    EXPECT_EQ(world.terrainFields, 1);
    EXPECT_TRUE(block.setRange(cellBox, 2));
    EXPECT_TRUE(world.terrainFields == 2 && block.fade() == 1.0);
    const VoxelBox moved { 12, 24, 0, 12, 0, 12 };
    EXPECT_TRUE(block.setRange(moved, 2));
    EXPECT_TRUE(block.box() == moved && block.fade() == 0.0);
    block.rebuildForEdit();
    EXPECT_TRUE(block.touched() && block.fade() == 1.0);
    // A move into empty air leaves no triangles and keeps the fade.
    EXPECT_TRUE(block.setRange({ 0, 12, 24, 36, 0, 12 }, 1));
    EXPECT_TRUE(!block.hasTriangles() && block.fade() == 1.0);
    EXPECT_FALSE(TerrainBlock(cellBox, nullptr, 2).hasTriangles());
    world.terrain = randomField(11);
    EXPECT_TRUE(block.setRange({ 0, 36, 0, 36, 0, 36 }, 1));
    EXPECT_TRUE(block.builtVertexCount() == 65536 && block.builtTriangleCount() > 0);
    Mesh mesh { std::vector<MeshVertex>(6),
        { { { 0, 1, 2 } }, { { 2, 3, 4 } }, { { 3, 4, 5 } }, { { 1, 2, 3 } } } };
    EXPECT_EQ(mesh.keepVertices(4), 2u);
    EXPECT_TRUE(mesh.vertices.size() == 4 && mesh.triangles.size() == 2 && mesh.triangles[1].index[0] == 1);
    EXPECT_EQ(mesh.keepVertices(4), 0u);
}

// On top of the planet, up is +y: only triangles facing up are kept.
TEST(WaterBlockTest, KeepsTrianglesFacingUp)
{
    Planet planet(500.0);
    struct Exposed : WaterBlock
    {
        using WaterBlock::acceptTriangle;
        using WaterBlock::WaterBlock;
    } block({ 0, 1, 0, 1, 0, 1 }, nullptr, 1);
    const MeshVertex a = vertexAt({ 0, 500, 0 }), b = vertexAt({ 1, 500, 0 }), c = vertexAt({ 1, 500, -1 });
    EXPECT_TRUE(block.acceptTriangle(a, b, c) && !block.acceptTriangle(c, b, a));
    EXPECT_TRUE(WaterBlock::facesUp({ 0, 1, 0 }, { 0.3, 0.1, 0.2 }));
    EXPECT_FALSE(WaterBlock::facesUp({ 0, 1, 0 }, { 0.3, std::nextafter(0.1, 0.0), 0.2 }));
}

// Grass is worked out again on every rebuild, also one that finds no surface,
// and the statistic follows it until the block goes.
TEST(TerrainBlockTest, GrassAndItsStatisticFollowRebuilds)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    auto stat = [] { return StatsManager::getInstance().getStat("Vegetation points"); };
    const double before = stat();
    FunctionWorld world(groundBelow(6.5, 1), nowhere);
    auto block = std::make_unique<TerrainBlock>(cellBox, &world, 2);
    const int points = block->vegetationPointCount();
    EXPECT_TRUE(points > 0 && stat() == before + points);
    const std::pair<FunctionField::Function, int> rebuilds[] = { { groundBelow(6.5, 2), 0 },
        { groundBelow(6.5, 1), points }, { nowhere, 0 }, { groundBelow(6.5, 1), points } };
    for (const auto& [terrain, expected] : rebuilds) {
        world.terrain = terrain;
        block->rebuild();
        EXPECT_TRUE(block->vegetationPointCount() == expected && stat() == before + expected);
    }
    block.reset();
    EXPECT_EQ(stat(), before);
}

TEST(VisualBlockMeshTest, RandomFieldsBuildExactlyThePlainMesh)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    Planet planet(500.0);
    for (unsigned seed = 1; seed <= 3; ++seed)
        for (int step : { 1, 2, 4 }) {
            // Random ground, mostly grass, and random water, on top of the
            // planet; the third seed's densities are coarse, with many zeros
            // that put vertices on voxels.
            Reads reads;
            auto random = [seed](unsigned fieldSeed, Reads* log) {
                return [=](int x, int y, int z) {
                    VoxelSample s = randomField(fieldSeed)(x, y, z);
                    if (log)
                        log->push_back({ x, y, z }), s.material = s.material > 2 ? 1 : s.material;
                    s.density = seed == 3 ? s.density / 43 * 40 : s.density;
                    return s;
                };
            };
            FunctionWorld world(random(seed, &reads), random(seed + 10, nullptr));
            const int size = 6 * step;
            expectPlainBuild(world, { -3, size - 3, 495, 495 + size, 2, 2 + size }, step, planet, &reads);
        }
}

using DataManagerWorldTest = ManagerFixture;

// Real cells of both rings around the viewer of a new world: the fields read
// what the voxel handles read, the blocks build the plain meshes, and the
// plain normals are the data manager's.
TEST_F(DataManagerWorldTest, RealCellsOfBothRingsBuildExactlyThePlainMesh)
{
    const auto manager = open();
    DataManagerWorld world(*manager);
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    std::size_t grass = 0;
    for (const auto& [size, step] : { std::pair { 12, 2 }, std::pair { 40, 4 } }) {
        const TerrainRing ring(step, size, 1);
        const TerrainRing::Coordinates centre = ring.cellAt({ position[0], position[1], position[2] });
        for (const TerrainRing::Coordinates offset :
            { TerrainRing::Coordinates { 0, 0, 0 }, { -1, 0, 0 }, { 0, 1, -1 } }) {
            SCOPED_TRACE(
                testing::Message() << "step " << step << " offset " << offset[0] << offset[1] << offset[2]);
            const VoxelBox box
                = ring.boxOf({ centre[0] + offset[0], centre[1] + offset[1], centre[2] + offset[2] });
            auto source = world.terrainField(box.grown(2)), water = world.waterField(box.grown(2));
            for (int x = box.x0; x <= box.x1; x += 3)
                for (int y = box.y0; y <= box.y1; y += 2)
                    for (int z = box.z0; z <= box.z1; ++z) {
                        Vox vox(*manager, x, y, z);
                        const VoxelSample read = source->sample(x, y, z);
                        ASSERT_TRUE(read.density == vox.density() && read.material == vox.material()
                            && water->sample(x, y, z).density == WaterVox(*manager, x, y, z).density());
                    }
            const Mesh mesh = expectPlainBuild(world, box, step, manager->planet());
            grass += Vegetation::points(mesh, layerOf(1)).size();
            for (std::size_t i = 0; i < mesh.vertices.size(); i += 7)
                EXPECT_EQ(mesh.vertices[i].normal, manager->surfaceNormal(mesh.vertices[i].position));
        }
    }
    EXPECT_GT(grass, 0u);
}

// The update thread follows a viewer who digs as he goes while the water
// thread refills the holes and the edit worker remeshes the edits: the rings
// end complete and consistent. (Run under ThreadSanitizer for data races.)
TEST_F(DataManagerWorldTest, TheUpdateThreadFollowsADiggingViewer)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    const auto manager = open(1000, true);
    DataManagerWorld world(*manager);
    const Vector3 start { position[0], position[1], position[2] };
    Terrain terrain(world, start);
    terrain.launch();
    ASSERT_TRUE(waitFor([&] { return terrain.isBuilt(); }, 60000));
    Vector3 at = start;
    for (int frame = 0; frame < 120; ++frame) {
        // Along the surface, into a new fine cell every 24 frames or so.
        at = at + Vector3(0.0, 0.5, 0.1);
        terrain.setViewerPosition(at);
        const int x = static_cast<int>(at.x), y = static_cast<int>(at.y), z = static_cast<int>(at.z);
        for (int dx = -1; dx <= 1; ++dx)
            Vox(*manager, x + dx, y, z).density(-127);
        terrain.queueEdits();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Caught up: no cell moving or outside its ring's window around the viewer, every edit remeshed.
    auto caughtUp = [&] {
        if (terrain.editsWaiting() != 0)
            return false;
        std::lock_guard<std::mutex> guard(terrain.lock());
        for (const auto& cell : terrain.cells()) {
            const TerrainRing ring = cell->fine ? TerrainRing(2, 12, 5) : TerrainRing(4, 40, 7);
            if (cell->moving || !ring.inWindow(ring.cellAt(at), { cell->ringX, cell->ringY, cell->ringZ }))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(waitFor([&] { return terrain.queueEdits(), caughtUp(); }, 6000));
    terrain.stop();
    terrain.rethrowFailure();
    // As the next frame would: shows the cells the edit worker meshed while the lock was held.
    terrain.queueEdits();
    expectRingsAround(terrain, at);
}

// Two fine cells side by side over bumpy ground of mixed materials, each
// remeshed for every edit within its reach: after digging and painting on
// either side of their shared face, and on it, the vertices there agree in
// normal and in the material they show.
TEST(TerrainBlockTest, NeighboursAgreeOnTheirSharedFaceAfterEdits)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    std::map<std::array<int, 3>, VoxelSample> edits;
    FunctionWorld world(
        [&edits](int x, int y, int z) {
            const auto edited = edits.find({ x, y, z });
            VoxelSample s
                = groundBelow(6.5 + 0.4 * std::sin(z * 0.7 + x * 0.3), 1 + std::abs(x * 3 + z) % 4)(x, y, z);
            return edited == edits.end() ? s : edited->second;
        },
        nowhere);
    Capturing<TerrainBlock> a({ 0, 12, 0, 12, 0, 12 }, world, 2), b({ 12, 24, 0, 12, 0, 12 }, world, 2);
    auto shown = [](const MeshVertex& v) {
        return v.materials[v.weights[1] == 1.0f ? 1 : v.weights[2] == 1.0f ? 2 : 0];
    };
    const std::pair<std::array<int, 3>, VoxelSample> steps[]
        = { { { 13, 6, 5 }, { -127, 0 } }, { { 13, 7, 6 }, { -127, 0 } }, { { 13, 6, 8 }, { 127, 4 } },
              { { 11, 6, 3 }, { -127, 0 } }, { { 12, 6, 9 }, { -127, 0 } }, { { 12, 5, 10 }, { 127, 2 } } };
    for (const auto& [at, voxel] : steps) {
        edits[at] = voxel;
        for (Capturing<TerrainBlock>* block : { &a, &b })
            if (block->box().grown(TerrainBlock::NORMAL_REACH).contains(at[0], at[1], at[2]))
                block->rebuild();
        int shared = 0;
        for (const MeshVertex& u : a.built.vertices)
            for (const MeshVertex& v : b.built.vertices)
                if (u.position == v.position) {
                    ++shared;
                    EXPECT_TRUE(u.normal == v.normal && shown(u) == shown(v))
                        << "at " << u.position.y << " " << u.position.z << " after editing " << at[0];
                }
        EXPECT_GT(shared, 6);
    }
}
