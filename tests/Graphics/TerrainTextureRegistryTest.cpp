#include "Graphics/TerrainTextureRegistry.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(TerrainTextureRegistryTest, TerrainLayersMapMaterialsToTheirMaps)
{
    TerrainTextureRegistry& registry = TerrainTextureRegistry::getInstance();
    registry.addTerrainLayers();
    registry.addTerrainLayers();

    const auto diffuse = registry.diffuseList();
    const auto normal = registry.normalList();
    const auto detail = registry.detailList();
    ASSERT_EQ(diffuse.size(), 11u) << "the layers are added once";
    ASSERT_EQ(normal.size(), 11u);
    ASSERT_EQ(detail.size(), 11u);

    EXPECT_EQ(diffuse[0], "terrain/grid.jpg");
    EXPECT_EQ(diffuse[6], "terrain/rock/rock1_diffuse.jpg");
    EXPECT_EQ(normal[6], "terrain/rock/rock2_normal.jpg");
    EXPECT_EQ(normal[10], "terrain/snow_bump.jpg");
    EXPECT_EQ(detail[3], "terrain/detail/grass.tga");
    EXPECT_EQ(detail[4], "terrain/detail/grass.tga");
    EXPECT_EQ(detail[6], "terrain/detail/rock_with_detail.tga");
    EXPECT_EQ(detail[7], "terrain/detail/rock_with_detail.tga");
    EXPECT_EQ(detail[8], "terrain/detail/experiment2.tga");

    const int expected[][2] = { { 0, 0 }, { 10, 1 }, { 2, 2 }, { 1, 3 }, { 8, 4 }, { 5, 5 }, { 3, 6 },
        { 14, 7 }, { 4, 8 }, { 6, 9 }, { 7, 10 } };
    for (const auto& pair : expected)
        EXPECT_EQ(registry.layerFor(pair[0]), pair[1]) << "material " << pair[0];
}

TEST(TerrainTextureRegistryTest, UnknownMaterialsDrawWithTheGridAndLaterAddsWin)
{
    TerrainTextureRegistry& registry = TerrainTextureRegistry::getInstance();
    EXPECT_EQ(registry.layerFor(9), 0);
    EXPECT_EQ(registry.layerFor(9), 0);

    const std::size_t layers = registry.diffuseList().size();
    registry.add(9, "nine.jpg", "nine_bump.jpg");
    EXPECT_EQ(registry.layerFor(9), static_cast<int>(layers));
    EXPECT_EQ(registry.detailList().back(), "terrain/detail/experiment2.tga");
    registry.add(9, "nine_again.jpg", "nine_bump.jpg");
    EXPECT_EQ(registry.layerFor(9), static_cast<int>(layers) + 1);
}

TEST(TerrainTextureRegistryTest, MeshingThreadsMayAskForLayersTogether)
{
    // Both threads enter unknown materials, which inserts into the map.
    TerrainTextureRegistry& registry = TerrainTextureRegistry::getInstance();
    auto ask = [&registry](int first) {
        for (int material = first; material < first + 2000; ++material)
            registry.layerFor(material);
    };
    std::thread a(ask, 1000);
    std::thread b(ask, 1500);
    a.join();
    b.join();
    EXPECT_EQ(registry.layerFor(2499), 0);
    EXPECT_EQ(registry.layerFor(14), 7);
}

} // namespace
