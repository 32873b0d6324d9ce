#include "Terrain/DataManagerWorld.h"

#include "../World/ManagerFixture.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Terrain/CachedVoxelField.h"
#include "Terrain/TerrainBlock.h"
#include "TestFields.h"
#include "World/TerrainDataManager.h"
#include "World/Vox.h"
#include "World/WaterVox.h"

#include <gtest/gtest.h>

namespace {

class DataManagerWorldTest : public ManagerFixture
{
protected:
    void SetUp() override { TerrainTextureRegistry::getInstance().addTerrainLayers(); }
    std::unique_ptr<TerrainDataManager> manager = open();
    std::unique_ptr<DataManagerWorld> world = std::make_unique<DataManagerWorld>(*manager);
};

} // namespace

// Real cells of both rings around the viewer of a new world: the fields read what the voxel
// handles read; welding through the hash grid and the grass spacing grid give
// exactly what the plain scans give, the normals are the data manager's, and
// the blocks build the same mesh.
TEST_F(DataManagerWorldTest, RealCellsMeshExactlyAsThePlainScansDo)
{
    auto layers = [](int material) { return TerrainTextureRegistry::getInstance().layerFor(material); };
    const int grassLayer = layers(1);
    std::size_t grass = 0;
    for (const auto& [size, step] : { std::pair { 12, 2 }, std::pair { 40, 4 } })
        for (const TerrainRing::Coordinates offset :
            { TerrainRing::Coordinates { 0, 0, 0 }, { -1, 0, 0 }, { 0, 1, -1 } }) {
            SCOPED_TRACE(testing::Message()
                << "cell size " << size << " offset " << offset[0] << offset[1] << offset[2]);
            const TerrainRing ring(1, size, 1);
            const TerrainRing::Coordinates cell = ring.cellAt({ position[0], position[1], position[2] });
            const VoxelBox box
                = ring.boxOf({ cell[0] + offset[0], cell[1] + offset[1], cell[2] + offset[2] });
            auto source = world->terrainField(box.grown(2));
            auto water = world->waterField(box.grown(2));
            for (int x = box.x0; x <= box.x1; x += 3)
                for (int y = box.y0; y <= box.y1; y += 2)
                    for (int z = box.z0; z <= box.z1; ++z) {
                        Vox vox(*manager, x, y, z);
                        const VoxelSample read = source->sample(x, y, z);
                        ASSERT_TRUE(read.density == vox.density() && read.material == vox.material()
                            && water->sample(x, y, z).density == WaterVox(*manager, x, y, z).density());
                    }
            CachedVoxelField field(*source, box.grown(2));
            std::vector<MeshVertex> found;
            Polygonizer(field, layers).polygonize(box, step, acceptAll, found);
            const Mesh mesh = MeshWelder::weld(found);
            EXPECT_TRUE(sameMesh(mesh, referenceWeld(found)));
            EXPECT_EQ(TerrainBlock(box, world.get(), step).builtVertexCount(), int(mesh.vertices.size()));

            const auto points = Vegetation::points(mesh, grassLayer);
            EXPECT_TRUE(samePoints(points, referencePoints(mesh, grassLayer)));
            grass += points.size();

            for (std::size_t i = 0; i < mesh.vertices.size(); i += 7)
                EXPECT_EQ(field.surfaceNormal(mesh.vertices[i].position),
                    manager->surfaceNormal(mesh.vertices[i].position));
        }
    EXPECT_GT(grass, 0u);
}

// The update thread follows a viewer who digs as he goes while the water
// thread refills the holes and the main thread remeshes the edits: the rings
// end complete and consistent. (Run under ThreadSanitizer for data races.)
TEST_F(DataManagerWorldTest, TheUpdateThreadFollowsADiggingViewer)
{
    world.reset();
    manager.reset();
    manager = open(1000, true);
    world = std::make_unique<DataManagerWorld>(*manager);
    const Vector3 start { position[0], position[1], position[2] };
    Terrain terrain(*world, start);
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
        terrain.remeshEdits();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Caught up: no cell moving or outside its ring's window around the viewer, every edit remeshed.
    auto caughtUp = [&] {
        std::lock_guard<std::mutex> guard(terrain.lock());
        for (const auto& cell : terrain.cells()) {
            const TerrainRing ring = cell->fine ? TerrainRing(2, 12, 5) : TerrainRing(4, 40, 7);
            if (cell->moving || !ring.inWindow(ring.cellAt(at), { cell->ringX, cell->ringY, cell->ringZ }))
                return false;
        }
        return terrain.terrainQueueLength() == 0;
    };
    EXPECT_TRUE(waitFor([&] { return terrain.remeshEdits(), caughtUp(); }, 6000));
    terrain.stop();
    terrain.rethrowFailure();
    expectRingsAround(terrain, at);
}
