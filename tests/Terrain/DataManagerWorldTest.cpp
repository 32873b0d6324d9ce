#include "Terrain/DataManagerWorld.h"

#include "../World/ManagerFixture.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "TestFields.h"
#include "World/TerrainDataManager.h"
#include "World/Vox.h"

#include <gtest/gtest.h>

class DataManagerWorldTest : public ManagerFixture
{
protected:
    void SetUp() override { TerrainTextureRegistry::getInstance().addTerrainLayers(); }
    std::unique_ptr<TerrainDataManager> manager = open();
    std::unique_ptr<DataManagerWorld> world = std::make_unique<DataManagerWorld>(*manager);
};

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
