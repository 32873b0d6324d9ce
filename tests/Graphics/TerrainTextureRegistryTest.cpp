#include "Graphics/TerrainTextureRegistry.h"

#include <gtest/gtest.h>

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

    EXPECT_EQ(diffuse[6], "terrain/rock/rock1_diffuse.jpg");
    EXPECT_EQ(normal[6], "terrain/rock/rock2_normal.jpg");
    EXPECT_EQ(detail[4], "terrain/detail/grass.tga");
    EXPECT_EQ(detail[7], "terrain/detail/rock_with_detail.tga");
    EXPECT_EQ(detail[8], "terrain/detail/experiment2.tga");

    EXPECT_EQ(registry.layerFor(0), 0);
    EXPECT_EQ(registry.layerFor(1), 3);
    EXPECT_EQ(registry.layerFor(14), 7);
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

} // namespace
