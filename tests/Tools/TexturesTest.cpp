#include "EffectTextures.h"
#include "ResourceChecks.h"
#include "TerrainTextures.h"

#include <cstdio>
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

std::string caustic(int number)
{
    char name[64];
    std::snprintf(name, sizeof name, "textures/water/caus5/save.%02d.png", number % 32 + 1);
    return name;
}

class TexturesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::vector<ResourceJob> jobs = terrainTextureJobs(), effects = effectTextureJobs();
        jobs.insert(jobs.end(), effects.begin(), effects.end());
        folder = std::make_unique<GeneratedFolder>(jobs);
    }
    static void TearDownTestSuite() { folder.reset(); }
    static sf::Image layer(const std::string& name) { return folder->image("textures/terrain/" + name); }
    // Mean and standard deviation of one channel (0 red, 1 green, 2 blue, 3 alpha).
    static std::pair<double, double> spread(const sf::Image& image, int channel)
    {
        double sum = 0, squares = 0;
        const unsigned w = image.getSize().x, h = image.getSize().y;
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x) {
                const sf::Color c = image.getPixel(x, y);
                const double v = channel == 0 ? c.r : channel == 1 ? c.g : channel == 2 ? c.b : c.a;
                sum += v, squares += v * v;
            }
        const double mean = sum / (w * h);
        return { mean, std::sqrt(std::max(0.0, squares / (w * h) - mean * mean)) };
    }

    static inline std::unique_ptr<GeneratedFolder> folder;
};

} // namespace

// The terrain layers form texture arrays, so they share one size.
TEST_F(TexturesTest, EveryTextureTilesAndTheArraysShareOneSize)
{
    EXPECT_EQ(folder->written(), folder->declared);
    for (const auto* layers : { &diffuseLayers, &normalLayers, &detailLayers })
        for (const std::string& name : *layers) {
            const sf::Image image = layer(name);
            EXPECT_EQ(image.getSize(), sf::Vector2u(512, 512)) << name;
            EXPECT_LT(seamRatio(image), 1.2) << name;
        }
    for (const std::string& file : { std::string("textures/clouds.jpg"), caustic(0) })
        EXPECT_LT(seamRatio(folder->image(file)), 1.2) << file;
    // The measure does notice edges that do not meet.
    EXPECT_GT(seamRatio(corner(layer("rock/rock1_diffuse.jpg"))), 1.5);
}

// Normal maps mostly point up; detail maps are grey around the middle so that
// they modulate without darkening.
TEST_F(TexturesTest, LayersKeepToTheirRanges)
{
    for (const std::string& name : normalLayers) {
        const sf::Image image = layer(name);
        EXPECT_NEAR(spread(image, 0).first, 128, 16) << name;
        EXPECT_NEAR(spread(image, 1).first, 128, 16) << name;
        EXPECT_GT(spread(image, 2).first, 220) << name;
    }
    for (const std::string& name : detailLayers) {
        const sf::Image image = layer(name);
        EXPECT_NEAR(spread(image, 0).first, 128, 10) << name;
        EXPECT_GT(spread(image, 0).second, 15) << name;
        for (unsigned y = 0; y < 512; ++y)
            for (unsigned x = 0; x < 512; ++x) {
                const sf::Color c = image.getPixel(x, y);
                ASSERT_TRUE(c.r == c.g && c.g == c.b) << name;
            }
    }
}

// The 32 frames form one 3-D texture, so they share a size; played in order
// they move smoothly and the last leads back to the first.
TEST_F(TexturesTest, CausticFramesLoopSmoothly)
{
    const auto distance = [](const sf::Image& a, const sf::Image& b) {
        double total = 0;
        for (unsigned y = 0; y < a.getSize().y; ++y)
            for (unsigned x = 0; x < a.getSize().x; ++x)
                total += difference(a.getPixel(x, y), b.getPixel(x, y));
        return total / (a.getSize().x * a.getSize().y);
    };
    std::vector<sf::Image> frames;
    for (int number = 0; number < 32; ++number)
        frames.push_back(folder->image(caustic(number)));
    std::vector<double> steps;
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(frames[i].getSize(), frames[0].getSize()) << caustic(i);
        steps.push_back(distance(frames[i], frames[(i + 1) % 32]));
    }
    const auto [smallest, largest] = std::minmax_element(steps.begin(), steps.end());
    EXPECT_GT(*smallest, 0.0) << "a frame repeats";
    EXPECT_LT(*largest, 2.0 * *smallest) << "the loop jumps somewhere";
    EXPECT_GT(distance(frames[0], frames[16]), 2.0 * *largest) << "frames barely move";
}

// The billboard stands on texture coordinate t = 0, the image's bottom row:
// green blades rooted there thin out upwards, with transparent gaps between.
TEST_F(TexturesTest, GrassBillboardStandsOnItsBottomEdge)
{
    const sf::Image grass = folder->image("textures/terrain/vegetation/grass_01/diffus3.tga");
    const unsigned w = grass.getSize().x, h = grass.getSize().y;
    sf::Image bottom, top;
    bottom.create(w, h / 8);
    bottom.copy(grass, 0, 0, sf::IntRect(0, h - h / 8, w, h / 8));
    top.create(w, h / 8);
    top.copy(grass, 0, 0, sf::IntRect(0, 0, w, h / 8));
    EXPECT_GT(spread(bottom, 3).first, 0.25 * 255);
    EXPECT_LT(spread(top, 3).first, 0.05 * 255);
    int clear = 0, solid = 0, notGreen = 0;
    for (unsigned y = 0; y < h; ++y)
        for (unsigned x = 0; x < w; ++x) {
            const sf::Color c = grass.getPixel(x, y);
            clear += c.a == 0;
            solid += c.a == 255;
            notGreen += c.g <= c.b || c.g <= c.r;
        }
    EXPECT_EQ(notGreen, 0);
    EXPECT_GT(clear, static_cast<int>(w * h / 4));
    EXPECT_GT(solid, static_cast<int>(w * h / 20));
}
