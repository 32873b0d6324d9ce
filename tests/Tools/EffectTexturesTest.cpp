#include "EffectTextures.h"

#include "GeneratedFolder.h"
#include "ImageChecks.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace {
// Each test makes only the files it looks at.
std::vector<ResourceJob> jobsWriting(const std::string& fragment)
{
    std::vector<ResourceJob> chosen;
    for (const ResourceJob& job : effectTextureJobs())
        if (job.outputs.front().find(fragment) != std::string::npos)
            chosen.push_back(job);
    return chosen;
}

sf::Image load(const GeneratedFolder& folder, const std::string& file)
{
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(folder.path(file))) << file;
    return image;
}

std::string caustic(int number)
{
    char name[64];
    std::snprintf(name, sizeof name, "textures/water/caus5/save.%02d.png", number);
    return name;
}

double frameDistance(const sf::Image& a, const sf::Image& b)
{
    double total = 0;
    for (unsigned y = 0; y < a.getSize().y; ++y)
        for (unsigned x = 0; x < a.getSize().x; ++x)
            total += ImageChecks::difference(a.getPixel(x, y), b.getPixel(x, y));
    return total / (a.getSize().x * a.getSize().y);
}
}

TEST(EffectTexturesTest, CloudsTile)
{
    const GeneratedFolder folder(jobsWriting("clouds"));
    EXPECT_EQ(folder.written(), folder.declared());
    const sf::Image clouds = load(folder, "textures/clouds.jpg");
    EXPECT_LT(ImageChecks::seamRatio(clouds), 1.2);
    EXPECT_GT(ImageChecks::seamRatio(ImageChecks::crop(clouds, 300, 300)), 1.5);
}

// The 32 frames form one 3-D texture, so they share a size; each tiles, and
// played in order they move smoothly and the last leads back to the first.
TEST(EffectTexturesTest, CausticFramesLoopSmoothly)
{
    const GeneratedFolder folder(jobsWriting("caus5"));
    EXPECT_EQ(folder.written(), folder.declared());
    ASSERT_EQ(folder.written().size(), 32u);
    std::vector<sf::Image> frames;
    for (int number = 1; number <= 32; ++number)
        frames.push_back(load(folder, caustic(number)));
    std::vector<double> steps;
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(frames[i].getSize(), frames[0].getSize()) << caustic(i + 1);
        steps.push_back(frameDistance(frames[i], frames[(i + 1) % 32]));
    }
    EXPECT_LT(ImageChecks::seamRatio(frames[0]), 1.2);
    const double largest = *std::max_element(steps.begin(), steps.end());
    const double smallest = *std::min_element(steps.begin(), steps.end());
    EXPECT_GT(smallest, 0.0) << "a frame repeats";
    EXPECT_LT(largest, 2.0 * smallest) << "the loop jumps somewhere";
    EXPECT_GT(frameDistance(frames[0], frames[16]), 2.0 * largest) << "frames barely move";
}

// The billboard stands on texture coordinate t = 0, the image's bottom
// row: blades must be rooted there and thin out upwards, with transparent
// gaps between them.
TEST(EffectTexturesTest, GrassBillboardStandsOnItsBottomEdge)
{
    const GeneratedFolder folder(jobsWriting("grass_01"));
    EXPECT_EQ(folder.written(), folder.declared());
    const sf::Image grass = load(folder, "textures/terrain/vegetation/grass_01/diffus3.tga");
    const unsigned w = grass.getSize().x, h = grass.getSize().y;
    const auto coverage = [&](unsigned top, unsigned bottom) {
        double total = 0;
        for (unsigned y = top; y < bottom; ++y)
            for (unsigned x = 0; x < w; ++x)
                total += grass.getPixel(x, y).a / 255.0;
        return total / (w * (bottom - top));
    };
    EXPECT_GT(coverage(h - h / 8, h), 0.25);
    EXPECT_LT(coverage(0, h / 8), 0.05);
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
