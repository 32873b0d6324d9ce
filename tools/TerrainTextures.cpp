#include "TerrainTextures.h"

#include "ColorRamp.h"
#include "Heightfield.h"
#include "OutputFolder.h"
#include "Rng.h"
#include "TileableNoise.h"

#include <SFML/Graphics/Image.hpp>
#include <cmath>
#include <string>

namespace {
constexpr int size = 512;
constexpr double twoPi = 6.283185307179586;

struct Surface
{
    Heightfield height;
    sf::Image colour;
};

using Field = std::function<double(double u, double v)>;

Heightfield field(const Field& f)
{
    Heightfield result = Heightfield::sample(size, size, f);
    result.normalize();
    return result;
}

// A field computed pixel by pixel from fields already made.
Heightfield combine(const std::function<double(int x, int y)>& f)
{
    Heightfield result(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            result.at(x, y) = static_cast<float>(f(x, y));
    return result;
}

sf::Image colourise(const std::function<sf::Color(int x, int y)>& colourAt)
{
    sf::Image image;
    image.create(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, colourAt(x, y));
    return image;
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Per-pixel grain that tiles because it is a hash of the wrapped pixel.
double grain(int x, int y, int seed)
{
    Rng rng(
        static_cast<std::uint64_t>(seed) * 1000003u + static_cast<std::uint64_t>(y % size) * size + x % size);
    return rng.uniform();
}

// A little relief baked into the colour, lit from the image's upper left:
// slopes facing that way are lighter, as the normal map would light them.
double relief(const Heightfield& height, int x, int y, double depth)
{
    const double slope = (height.at(x + 1, y + 1) - height.at(x - 1, y - 1)) * depth;
    return 1.0 + std::clamp(slope, -0.35, 0.35);
}

Surface grass(double dryness)
{
    const TileableNoise noise(dryness > 0 ? 21 : 11);
    const Heightfield patches = field([&](double u, double v) { return noise.fbm(u, v, 3, 4); });
    const Heightfield tufts = field([&](double u, double v) {
        const auto cells = noise.cellular(u, v, 90, 0.0, 1);
        return -cells.nearest + 0.35 * noise.fbm(u, v, 96, 2);
    });
    const Heightfield height
        = combine([&](int x, int y) { return 0.75 * tufts.at(x, y) + 0.25 * patches.at(x, y); });
    const ColorRamp lush { { 0.0, { 34, 58, 18 } }, { 0.45, { 66, 108, 32 } }, { 0.8, { 104, 146, 48 } },
        { 1.0, { 146, 172, 74 } } };
    const ColorRamp dry { { 0.0, { 92, 74, 40 } }, { 0.45, { 150, 126, 70 } }, { 0.8, { 190, 166, 102 } },
        { 1.0, { 214, 196, 140 } } };
    sf::Image colour = colourise([&](int x, int y) {
        const double h = height.at(x, y) + 0.12 * (grain(x, y, 3) - 0.5);
        const double patch = patches.at(x, y);
        const sf::Color green = ColorRamp::mix(lush(h), dry(h), 0.25 * patch);
        const sf::Color straw = ColorRamp::mix(dry(h), lush(h), 0.35 * (1.0 - patch));
        return ColorRamp::shade(ColorRamp::mix(green, straw, dryness), relief(height, x, y, 1.5));
    });
    return { height, colour };
}

Surface soil()
{
    const TileableNoise noise(31);
    const Heightfield earth = field([&](double u, double v) { return noise.fbm(u, v, 4, 6); });
    // Pebbles: the cells whose random size lets their point's disc show.
    Heightfield pebbles(size, size);
    Heightfield pebbleTint(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size, v = (y + 0.5) / size;
            const auto cells = noise.cellular(u, v, 28, 0.0, 2);
            const double radius = 0.5 * Rng(cells.id * 7919u + 5).uniform() - 0.1;
            const double inside
                = radius > 0.08 ? 1.0 - (cells.nearest + 0.12 * noise.gradient(u, v, 120, 9)) / radius : 0.0;
            pebbles.at(x, y) = static_cast<float>(0.6 * smoothstep(0.0, 0.35, inside));
            pebbleTint.at(x, y) = static_cast<float>(Rng(cells.id * 104729u + 1).uniform());
        }
    }
    const Heightfield height
        = combine([&](int x, int y) { return 0.6 * earth.at(x, y) + 0.4 * pebbles.at(x, y); });
    const ColorRamp dirt { { 0.0, { 52, 36, 24 } }, { 0.5, { 96, 68, 44 } }, { 1.0, { 134, 100, 66 } } };
    const ColorRamp stone { { 0.0, { 78, 68, 58 } }, { 0.5, { 112, 100, 86 } }, { 1.0, { 140, 130, 116 } } };
    sf::Image colour = colourise([&](int x, int y) {
        const double speck = grain(x, y, 7);
        sf::Color c = dirt(earth.at(x, y) + 0.15 * (speck - 0.5));
        if (pebbles.at(x, y) > 0.0f)
            c = ColorRamp::mix(c, stone(pebbleTint.at(x, y) * 0.6 + pebbles.at(x, y) * 0.4),
                std::min(1.0, pebbles.at(x, y) * 4.0));
        return ColorRamp::shade(c, relief(height, x, y, 2.0));
    });
    return { height, colour };
}

Surface rock()
{
    const TileableNoise noise(41);
    const Heightfield body = field([&](double u, double v) { return noise.fbm(u, v, 4, 6, 0.55); });
    // Broken faces: every Worley cell is a block of stone of its own height,
    // rounded off towards the cracks between the cells.
    Heightfield blocks(size, size);
    Heightfield cracks(size, size);
    Heightfield tint(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double u = (x + 0.5) / size, v = (y + 0.5) / size;
            // Warping the lookup bends the cracks; the warp tiles, so they do too.
            const auto cells = noise.cellular(
                u + 0.04 * noise.gradient(u, v, 5, 7), v + 0.04 * noise.gradient(u, v, 5, 8), 6, 0.0, 3);
            const double edge = cells.second - cells.nearest;
            const double level = Rng(cells.id * 31u + 9).uniform();
            blocks.at(x, y) = static_cast<float>(0.5 * level + 0.5 * std::min(edge, 0.25) / 0.25);
            cracks.at(x, y) = static_cast<float>(
                std::exp(-edge * 45.0) + 0.5 * noise.ridged(u, v, 9, 2) * noise.ridged(u, v, 9, 2));
            tint.at(x, y) = static_cast<float>(Rng(cells.id * 17u + 3).uniform());
        }
    }
    Heightfield height = combine(
        [&](int x, int y) { return 0.45 * body.at(x, y) + 0.4 * blocks.at(x, y) - 0.25 * cracks.at(x, y); });
    height.normalize();
    const ColorRamp stone { { 0.0, { 70, 68, 64 } }, { 0.4, { 112, 108, 102 } }, { 0.75, { 146, 141, 133 } },
        { 1.0, { 176, 171, 162 } } };
    sf::Image colour = colourise([&](int x, int y) {
        sf::Color c = stone(height.at(x, y) * 0.75 + 0.25 * grain(x, y, 11));
        c = ColorRamp::mix(c, { 128, 108, 86 }, 0.3 * tint.at(x, y) * body.at(x + 97, y + 31));
        return ColorRamp::shade(c, relief(height, x, y, 3.0) * (1.0 - 0.5 * std::min(1.0f, cracks.at(x, y))));
    });
    return { height, colour };
}

Surface slate()
{
    const TileableNoise noise(51);
    const Heightfield warp = field([&](double u, double v) { return noise.fbm(u, v, 3, 4); });
    const Heightfield fine = field([&](double u, double v) { return noise.fbm(u, v, 24, 3); });
    // Layers run along u; an integer count of them across v keeps them tiling.
    const int layers = 9;
    Heightfield height(size, size);
    Heightfield band(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double v = (y + 0.5) / size;
            const double position = layers * v + 1.6 * warp.at(x, y);
            const double within = position - std::floor(position);
            band.at(x, y) = static_cast<float>(std::floor(position));
            // Each layer is a ledge: a short rise at its top edge, then a
            // long gentle fall to the next one.
            const double ledge = within < 0.1 ? smoothstep(0.0, 0.1, within) : 1.0 - (within - 0.1) / 0.9;
            height.at(x, y) = static_cast<float>(0.7 * ledge + 0.3 * fine.at(x, y));
        }
    }
    const ColorRamp stone { { 0.0, { 44, 48, 56 } }, { 0.5, { 74, 80, 90 } }, { 1.0, { 108, 114, 124 } } };
    sf::Image colour = colourise([&](int x, int y) {
        const double layerShade = Rng(static_cast<std::uint64_t>(band.at(x, y) + 1000.0) * 13u).uniform();
        sf::Color c = stone(0.35 * layerShade + 0.45 * fine.at(x, y) + 0.2 * grain(x, y, 5));
        return ColorRamp::shade(c, relief(height, x, y, 2.0));
    });
    return { height, colour };
}

Surface sand()
{
    const TileableNoise noise(61);
    const Heightfield dunes = field([&](double u, double v) { return noise.fbm(u, v, 2, 4); });
    const Heightfield warp = field([&](double u, double v) { return noise.fbm(u, v, 4, 3); });
    const Heightfield height = combine([&](int x, int y) {
        // Wind ripples cross the tile a whole number of times both ways.
        const double u = (x + 0.5) / size, v = (y + 0.5) / size;
        const double ripple = std::sin(twoPi * (11 * u + 3 * v) + 5.0 * warp.at(x, y));
        return 0.35 * (ripple * 0.5 + 0.5) + 0.5 * dunes.at(x, y) + 0.15 * grain(x, y, 17);
    });
    const ColorRamp beige { { 0.0, { 170, 146, 102 } }, { 0.5, { 204, 180, 132 } },
        { 1.0, { 232, 214, 170 } } };
    sf::Image colour = colourise([&](int x, int y) {
        const double speck = grain(x, y, 19);
        sf::Color c = beige(0.6 * dunes.at(x, y) + 0.4 * height.at(x, y));
        if (speck > 0.985)
            c = ColorRamp::shade(c, 0.7);
        return ColorRamp::shade(c, relief(height, x, y, 1.2));
    });
    return { height, colour };
}

Surface ice()
{
    const TileableNoise noise(71);
    const Heightfield depth = field([&](double u, double v) { return noise.fbm(u, v, 3, 5); });
    const Heightfield cracks = field([&](double u, double v) {
        const auto big = noise.cellular(u, v, 6, 0.0, 4);
        const auto small = noise.cellular(u, v, 17, 0.0, 5);
        return std::max(std::exp(-(big.second - big.nearest) * 40.0),
            0.6 * std::exp(-(small.second - small.nearest) * 60.0));
    });
    const Heightfield height
        = combine([&](int x, int y) { return 0.7 + 0.25 * depth.at(x, y) - 0.6 * cracks.at(x, y); });
    const ColorRamp clear { { 0.0, { 96, 150, 190 } }, { 0.5, { 160, 200, 228 } },
        { 1.0, { 214, 236, 248 } } };
    sf::Image colour = colourise([&](int x, int y) {
        sf::Color c = clear(depth.at(x, y) * 0.85 + 0.15 * grain(x, y, 23));
        return ColorRamp::mix(c, { 240, 248, 255 }, 0.8 * cracks.at(x, y));
    });
    return { height, colour };
}

Surface snow()
{
    const TileableNoise noise(81);
    const Heightfield drifts = field([&](double u, double v) { return noise.fbm(u, v, 3, 5, 0.45); });
    const Heightfield crust = field([&](double u, double v) { return noise.fbm(u, v, 48, 2); });
    const Heightfield height = combine([&](int x, int y) { return drifts.at(x, y) + 0.1 * crust.at(x, y); });
    const ColorRamp white { { 0.0, { 200, 212, 232 } }, { 0.6, { 236, 240, 248 } },
        { 1.0, { 252, 252, 255 } } };
    sf::Image colour = colourise([&](int x, int y) {
        sf::Color c = white(drifts.at(x, y));
        if (grain(x, y, 29) > 0.995)
            c = sf::Color::White;
        return ColorRamp::shade(c, relief(height, x, y, 1.5));
    });
    return { height, colour };
}

// Light blue with darker lines: it serves as a diffuse map and, where the
// registry uses it as a normal map too, mostly encodes a straight-up normal.
// The major lines straddle the tile's edges so that tiles join on a line.
sf::Image grid()
{
    return colourise([](int x, int y) {
        if ((x + 1) % 64 < 2 || (y + 1) % 64 < 2)
            return sf::Color(48, 48, 140);
        if (x % 16 == 0 || y % 16 == 0)
            return sf::Color(104, 104, 224);
        return sf::Color(128, 128, 255);
    });
}

// Detail maps are greyscale around mid grey, so a shader can scale the
// diffuse colour by twice their value without changing its brightness.
sf::Image detail(const Heightfield& pattern)
{
    double mean = 0.0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            mean += pattern.at(x, y);
    mean /= size * size;
    return colourise([&](int x, int y) {
        const auto grey = static_cast<sf::Uint8>(
            std::lround(std::clamp(128.0 + 140.0 * (pattern.at(x, y) - mean), 0.0, 255.0)));
        return sf::Color(grey, grey, grey);
    });
}

ResourceJob surfaceJob(const std::string& diffuse, const std::string& normal, double depth,
    const std::function<Surface()>& paint)
{
    return { { "textures/terrain/" + diffuse, "textures/terrain/" + normal }, [=](const OutputFolder& out) {
                const Surface surface = paint();
                out.saveImage("textures/terrain/" + diffuse, surface.colour);
                out.saveImage("textures/terrain/" + normal, surface.height.normalMap(depth));
            } };
}

// Seen from above, grass is a litter of short blades lying every way.
Heightfield blades()
{
    const TileableNoise noise(93);
    const Heightfield ground = field([&](double u, double v) { return noise.fbm(u, v, 16, 3); });
    Heightfield pattern = combine([&](int x, int y) { return 0.4 * ground.at(x, y); });
    Rng rng(94);
    for (int i = 0; i < 6000; ++i) {
        const double x = rng.range(0, size), y = rng.range(0, size);
        const double angle = rng.range(0, twoPi), length = rng.range(6, 18);
        pattern.stroke(x, y, x + length * std::cos(angle), y + length * std::sin(angle), rng.range(1.0, 2.2),
            static_cast<float>(rng.range(0.45, 1.0)));
    }
    pattern.normalize();
    return pattern;
}

ResourceJob detailJob(const std::string& name, const std::function<Heightfield()>& pattern)
{
    return { { "textures/terrain/detail/" + name }, [=](const OutputFolder& out) {
                out.saveImage("textures/terrain/detail/" + name, detail(pattern()));
            } };
}
}

std::vector<ResourceJob> terrainTextureJobs()
{
    static const TileableNoise detailNoise(91);
    return {
        surfaceJob("grass.jpg", "grass_bump.jpg", 6.0, [] { return grass(0.0); }),
        surfaceJob("grass_dry.jpg", "grass_dry_bump.jpg", 6.0, [] { return grass(1.0); }),
        surfaceJob("sedimentary/soil_diffuse.jpg", "sedimentary/soil_normal.jpg", 8.0, soil),
        surfaceJob("rock/rock1_diffuse.jpg", "rock/rock2_normal.jpg", 10.0, rock),
        surfaceJob("rock/slate_diffuse.jpg", "rock/slate_normal.jpg", 8.0, slate),
        surfaceJob("sand.jpg", "sand_bump.jpg", 4.0, sand),
        surfaceJob("ice.jpg", "ice_bump.jpg", 5.0, ice),
        surfaceJob("snow.jpg", "snow_bump.jpg", 4.0, snow),
        { { "textures/terrain/grid.jpg", "textures/grid.jpg" },
            [](const OutputFolder& out) {
                const sf::Image image = grid();
                out.saveImage("textures/terrain/grid.jpg", image);
                out.saveImage("textures/grid.jpg", image);
            } },
        detailJob("experiment2.tga",
            [] {
                return field([](double u, double v) {
                    return detailNoise.fbm(u, v, 32, 4) + 0.4 * detailNoise.fbm(u, v, 128, 2);
                });
            }),
        detailJob("grass.tga", blades),
        detailJob("rock_with_detail.tga",
            [] {
                return field([](double u, double v) {
                    return detailNoise.fbm(u, v, 24, 4, 0.6) - 0.6 * detailNoise.ridged(u, v, 16, 3);
                });
            }),
    };
}
