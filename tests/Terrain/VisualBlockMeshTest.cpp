#include "../World/ManagerFixture.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Terrain/CachedVoxelField.h"
#include "Terrain/DataManagerWorld.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/TerrainRing.h"
#include "Terrain/WaterBlock.h"
#include "TestFields.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"
#include "World/Vox.h"
#include "World/WaterVox.h"

#include <array>
#include <gtest/gtest.h>
#include <set>
#include <utility>

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

int layerOf(int material)
{
    return TerrainTextureRegistry::getInstance().layerFor(material);
}

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

// Terrain and water blocks of the box, byte for byte the plain build; the
// terrain block's grass the plain spacing scan's; with a log of the world's
// terrain reads, the terrain voxels first read in the same order. Returns
// the terrain block's mesh.
Mesh expectPlainBuild(
    VoxelWorld& world, const VoxelBox& box, int step, const Planet& planet, Reads* reads = nullptr)
{
    Reads blockReads;
    const Capturing<TerrainBlock> terrain(box, world, step);
    if (reads)
        blockReads = firstReads(std::exchange(*reads, {}));
    const Mesh terrainReference = referenceMesh(*world.terrainField(box.grown(2)), box, step, nullptr);
    EXPECT_TRUE(sameMesh(terrain.built, terrainReference)) << "terrain, step " << step;
    if (reads) {
        EXPECT_TRUE(firstReads(std::exchange(*reads, {})) == blockReads) << "terrain reads, step " << step;
    }

    const Capturing<WaterBlock> water(box, world, step);
    EXPECT_TRUE(sameMesh(water.built, referenceMesh(*world.waterField(box.grown(2)), box, step, &planet)))
        << "water, step " << step;

    const auto grass = Vegetation::points(terrain.built, layerOf(1));
    const auto reference = referencePoints(terrainReference, layerOf(1));
    EXPECT_EQ(terrain.vegetationPointCount(), static_cast<int>(reference.size()));
    EXPECT_EQ(grass.size(), reference.size());
    for (std::size_t i = 0; i < std::min(grass.size(), reference.size()); ++i)
        EXPECT_TRUE(std::memcmp(&grass[i], &reference[i], sizeof(VegetationPoint)) == 0)
            << "grass point " << i;
    return terrain.built;
}

} // namespace

using VisualBlockMeshTest = ManagerFixture;

TEST_F(VisualBlockMeshTest, RandomFieldsBuildExactlyThePlainMesh)
{
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    Planet planet(500.0);
    for (unsigned seed = 1; seed <= 3; ++seed)
        for (int step : { 1, 2, 4 }) {
            // Random ground, mostly grass, and random water, on top of the
            // planet; the third seed's densities are coarse, with many zeros
            // that put vertices on voxels.
            auto coarse = [seed](FunctionField::Function f) {
                return [seed, f](int x, int y, int z) {
                    VoxelSample s = f(x, y, z);
                    if (seed == 3)
                        s.density = s.density / 43 * 40;
                    return s;
                };
            };
            Reads reads;
            FunctionWorld world(coarse([seed, &reads](int x, int y, int z) {
                reads.push_back({ x, y, z });
                VoxelSample s = randomField(seed)(x, y, z);
                s.material = s.material > 2 ? 1 : s.material;
                return s;
            }),
                coarse(randomField(seed + 10)));
            const int size = 6 * step;
            expectPlainBuild(world, { -3, size - 3, 495, 495 + size, 2, 2 + size }, step, planet, &reads);
        }
}

// Real cells of both rings around the viewer of a new world: the fields read
// what the voxel handles read, the blocks build the plain meshes, and the
// plain normals are the data manager's.
TEST_F(VisualBlockMeshTest, RealCellsOfBothRingsBuildExactlyThePlainMesh)
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
