#include "TerrainTextures.h"

#include "GeneratedFolder.h"
#include "ImageChecks.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
// The layers of the terrain's three texture arrays, under textures/terrain/.
const std::vector<std::string> diffuseLayers { "grid.jpg", "sedimentary/soil_diffuse.jpg", "grass.jpg",
    "grass_dry.jpg", "rock/rock1_diffuse.jpg", "rock/slate_diffuse.jpg", "sand.jpg", "ice.jpg", "snow.jpg" };
const std::vector<std::string> normalLayers { "grid.jpg", "sedimentary/soil_normal.jpg", "grass_bump.jpg",
    "grass_dry_bump.jpg", "rock/rock2_normal.jpg", "rock/slate_normal.jpg", "sand_bump.jpg", "ice_bump.jpg",
    "snow_bump.jpg" };
const std::vector<std::string> detailLayers { "detail/experiment2.tga", "detail/grass.tga",
    "detail/rock_with_detail.tga" };

class TerrainTexturesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { folder = std::make_unique<GeneratedFolder>(terrainTextureJobs()); }
    static void TearDownTestSuite() { folder.reset(); }

    static sf::Image load(const std::string& layer)
    {
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(folder->path("textures/terrain/" + layer))) << layer;
        return image;
    }

    static std::unique_ptr<GeneratedFolder> folder;
};
std::unique_ptr<GeneratedFolder> TerrainTexturesTest::folder;
}

TEST_F(TerrainTexturesTest, EveryArrayHasLayersOfOneSize)
{
    EXPECT_EQ(folder->written(), folder->declared());
    for (const auto* layers : { &diffuseLayers, &normalLayers, &detailLayers }) {
        for (const std::string& layer : *layers) {
            const sf::Image image = load(layer);
            EXPECT_EQ(image.getSize(), sf::Vector2u(512, 512)) << layer;
        }
    }
}

// Tileable, normal maps mostly pointing up, detail maps grey around the
// middle so that they modulate without darkening.
TEST_F(TerrainTexturesTest, LayersTileAndKeepToTheirRanges)
{
    for (const auto* layers : { &diffuseLayers, &normalLayers, &detailLayers })
        for (const std::string& layer : *layers)
            EXPECT_LT(ImageChecks::seamRatio(load(layer)), 1.2) << layer;
    // The measure does notice edges that do not meet.
    EXPECT_GT(ImageChecks::seamRatio(ImageChecks::crop(load("rock/rock1_diffuse.jpg"), 300, 300)), 1.5);

    for (const std::string& layer : normalLayers) {
        const sf::Image image = load(layer);
        double red = 0, green = 0, blue = 0;
        for (unsigned y = 0; y < 512; ++y)
            for (unsigned x = 0; x < 512; ++x) {
                const sf::Color c = image.getPixel(x, y);
                red += c.r, green += c.g, blue += c.b;
            }
        const double n = 512.0 * 512.0;
        EXPECT_NEAR(red / n, 128, 16) << layer;
        EXPECT_NEAR(green / n, 128, 16) << layer;
        EXPECT_GT(blue / n, 220) << layer;
    }
    for (const std::string& layer : detailLayers) {
        const sf::Image image = load(layer);
        double sum = 0, squares = 0;
        int coloured = 0;
        for (unsigned y = 0; y < 512; ++y)
            for (unsigned x = 0; x < 512; ++x) {
                const sf::Color c = image.getPixel(x, y);
                coloured += c.r != c.g || c.g != c.b;
                sum += c.r;
                squares += c.r * c.r;
            }
        EXPECT_EQ(coloured, 0) << layer;
        const double n = 512.0 * 512.0, mean = sum / n;
        EXPECT_NEAR(mean, 128, 10) << layer;
        EXPECT_GT(std::sqrt(squares / n - mean * mean), 15) << layer;
    }
}
