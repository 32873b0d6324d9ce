#include "Terrain/DataManagerWorld.h"

#include "../World/TempFolder.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Terrain/CachedVoxelField.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/TerrainRing.h"
#include "Terrain/WaterBlock.h"
#include "TestFields.h"
#include "World/TerrainDataManager.h"
#include "World/Vox.h"
#include "World/WaterVox.h"

#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <thread>

namespace {

// A new world (seeds 13 and 14) whose viewer stands on the surface found from
// 10 units above the equator; the cells of both rings around the viewer.
class DataManagerWorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        manager = std::make_unique<TerrainDataManager>(viewer, "World", 13, 14, 1000, temp.path, false);
        testing::internal::GetCapturedStdout();
        world = std::make_unique<DataManagerWorld>(*manager);
        TerrainTextureRegistry::getInstance().addTerrainLayers();
    }

    // The ring cell of the viewer moved by `offset` cells.
    VoxelBox cellBox(int size, const TerrainRing::Coordinates& offset) const
    {
        const TerrainRing ring(1, size, 1);
        TerrainRing::Coordinates cell = ring.cellAt({ viewer[0], viewer[1], viewer[2] });
        for (int i = 0; i < 3; ++i)
            cell[i] += offset[i];
        return ring.boxOf(cell);
    }

    Mesh meshOf(CachedVoxelField& field, const VoxelBox& box, int step)
    {
        Mesh mesh;
        Polygonizer(field, [](int m) {
            return TerrainTextureRegistry::getInstance().layerFor(m);
        }).polygonize(box, step, acceptAll, mesh);
        return mesh;
    }

    TempFolder temp;
    double viewer[3] = { 510.0, 0.0, 0.0 };
    std::unique_ptr<TerrainDataManager> manager;
    std::unique_ptr<DataManagerWorld> world;
};

} // namespace

TEST_F(DataManagerWorldTest, FieldsReadWhatVoxelHandlesRead)
{
    const VoxelBox box = cellBox(12, { 0, 0, 0 }).grown(2);
    auto terrain = world->terrainField(box);
    auto water = world->waterField(box);
    int surfaceVoxels = 0;
    for (int x = box.x0; x <= box.x1; x += 3)
        for (int y = box.y0; y <= box.y1; ++y)
            for (int z = box.z0; z <= box.z1; z += 2) {
                Vox vox(*manager, x, y, z);
                const VoxelSample read = terrain->sample(x, y, z);
                ASSERT_EQ(read.density, vox.density());
                ASSERT_EQ(read.material, vox.material());
                ASSERT_EQ(water->sample(x, y, z).density, WaterVox(*manager, x, y, z).density());
                surfaceVoxels += std::abs(read.density) < 127;
            }
    EXPECT_GT(surfaceVoxels, 0);
}

// The normals of a field are the data manager's, on real cells of both rings.
TEST_F(DataManagerWorldTest, FieldNormalsAreTheDataManagers)
{
    for (const auto& [size, step] : { std::pair { 12, 2 }, std::pair { 40, 4 } }) {
        const VoxelBox box = cellBox(size, { 0, 0, 0 });
        auto source = world->terrainField(box.grown(2));
        CachedVoxelField field(*source, box.grown(2));
        const Mesh mesh = meshOf(field, box, step);
        ASSERT_FALSE(mesh.vertices.empty());
        for (std::size_t i = 0; i < mesh.vertices.size(); i += 7) {
            const Vector3& p = mesh.vertices[i].position;
            EXPECT_EQ(field.surfaceNormal(p), manager->surfaceNormal(p));
        }
    }
}

TEST_F(DataManagerWorldTest, BlocksAtTheViewerHaveGroundAndFacesPointIntoTheAir)
{
    const VoxelBox box = cellBox(12, { 0, 0, 0 });
    TerrainBlock block(box, world.get(), 2);
    EXPECT_TRUE(block.hasTriangles());
    auto source = world->terrainField(box.grown(2));
    CachedVoxelField field(*source, box.grown(2));
    const Mesh mesh = meshOf(field, box, 2);
    EXPECT_EQ(block.builtVertexCount(), static_cast<int>(mesh.vertices.size()));
    // Outward normals agree with the triangles' facing (stored order).
    int agreeing = 0;
    for (const MeshTriangle& t : mesh.triangles) {
        const Vector3& a = mesh.vertices[t.index[0]].position;
        const Vector3& b = mesh.vertices[t.index[1]].position;
        const Vector3& c = mesh.vertices[t.index[2]].position;
        agreeing += (b - a).cross(c - b).dot(field.surfaceNormal((a + b + c) / 3.0)) > 0.0;
    }
    EXPECT_GT(agreeing, static_cast<int>(mesh.triangles.size() * 9 / 10));
}

// The update thread follows a viewer who digs as he goes while the water
// thread refills the holes and the main thread remeshes the edits: the rings
// end complete and consistent. (Run under ThreadSanitizer for data races.)
TEST_F(DataManagerWorldTest, TheUpdateThreadFollowsADiggingViewer)
{
    manager.reset();
    world.reset();
    testing::internal::CaptureStdout();
    manager = std::make_unique<TerrainDataManager>(viewer, "World", 13, 14, 1000, temp.path, true);
    testing::internal::GetCapturedStdout();
    world = std::make_unique<DataManagerWorld>(*manager);
    const Vector3 start { viewer[0], viewer[1], viewer[2] };
    Terrain terrain(*world, start);
    terrain.launch();
    for (int i = 0; i < 60000 && !terrain.isBuilt(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(terrain.isBuilt());

    Vector3 at = start;
    for (int frame = 0; frame < 120; ++frame) {
        // Along the surface, into a new fine cell every 24 frames or so.
        at = at + Vector3(0.0, 0.5, 0.1);
        terrain.setViewerPosition(at);
        const int x = static_cast<int>(at.x), y = static_cast<int>(at.y), z = static_cast<int>(at.z);
        for (int dx = -1; dx <= 1; ++dx)
            Vox(*manager, x + dx, y, z).density(-127);
        terrain.remeshEdits();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Caught up: every fine cell placed in the window around the viewer, every edit remeshed.
    const TerrainRing fine(2, 12, 5);
    const auto centre = fine.cellAt(at);
    auto caughtUp = [&] {
        std::lock_guard<std::mutex> guard(terrain.lock());
        for (const auto& cell : terrain.cells())
            if (cell->moving
                || (cell->fine && !fine.inWindow(centre, { cell->ringX, cell->ringY, cell->ringZ })))
                return false;
        return true;
    };
    for (int i = 0; i < 6000 && !(caughtUp() && terrain.terrainQueueLength() == 0); ++i) {
        terrain.remeshEdits();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    terrain.stop();
    terrain.rethrowFailure();
    EXPECT_TRUE(caughtUp());
    EXPECT_EQ(terrain.terrainQueueLength(), 0u);

    std::lock_guard<std::mutex> guard(terrain.lock());
    std::set<TerrainRing::Coordinates> fineCells;
    for (const auto& cell : terrain.cells())
        if (cell->fine)
            fineCells.insert({ cell->ringX, cell->ringY, cell->ringZ });
    EXPECT_EQ(fineCells.size(), 125u);
    const std::set<GridCell*> visible(terrain.fineVisible().begin(), terrain.fineVisible().end());
    EXPECT_EQ(visible.size(), terrain.fineVisible().size());
}
