#include "Graphics/TerrainTextureRegistry.h"

#include <gtest/gtest.h>

TEST(TerrainTextureRegistryTest, LayersMapMaterialsToTheirMapsAndLaterAddsWin)
{
    TerrainTextureRegistry& registry = TerrainTextureRegistry::getInstance();
    registry.addTerrainLayers();
    registry.addTerrainLayers();
    ASSERT_EQ(registry.diffuseList().size(), 11u) << "the layers are added once";
    ASSERT_EQ(registry.normalList().size() + registry.detailList().size(), 22u);
    EXPECT_EQ(registry.normalList()[6], "terrain/rock/rock2_normal.jpg") << "each layer with its own maps";
    EXPECT_EQ(registry.detailList()[4], "terrain/detail/grass.tga");
    for (const auto& [material, layer] : { std::pair { 0, 0 }, { 1, 3 }, { 14, 7 }, { 9, 0 } })
        EXPECT_EQ(registry.layerFor(material), layer)
            << "material " << material << "; unknown ones take the grid";
    registry.add(9, "nine.jpg", "nine_bump.jpg");
    EXPECT_EQ(registry.layerFor(9), 11);
    EXPECT_EQ(registry.detailList().back(), "terrain/detail/experiment2.tga");
    registry.add(9, "nine_again.jpg", "nine_bump.jpg");
    EXPECT_EQ(registry.layerFor(9), 12);
}
