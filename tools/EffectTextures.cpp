#include "EffectTextures.h"

#include "ColorRamp.h"
#include "Heightfield.h"
#include "OutputFolder.h"
#include "Rng.h"
#include "TileableNoise.h"

#include <SFML/Graphics/Image.hpp>
#include <cmath>
#include <cstdio>
#include <string>

namespace {
constexpr double twoPi = 6.283185307179586;
constexpr int causticFrames = 32;
constexpr int causticSize = 256;
constexpr int grassSize = 256;

sf::Image greyImage(const Heightfield& field)
{
    sf::Image image;
    image.create(field.width(), field.height());
    for (int y = 0; y < field.height(); ++y) {
        for (int x = 0; x < field.width(); ++x) {
            const auto grey = static_cast<sf::Uint8>(std::lround(field.at(x, y) * 255.0f));
            image.setPixel(x, y, sf::Color(grey, grey, grey));
        }
    }
    return image;
}

sf::Image clouds()
{
    const TileableNoise noise(201);
    Heightfield field
        = Heightfield::sample(512, 512, [&](double u, double v) { return noise.fbm(u, v, 4, 7, 0.55); });
    field.normalize();
    return greyImage(field);
}

std::string causticName(int frame)
{
    char name[64];
    std::snprintf(name, sizeof name, "textures/water/caus5/save.%02d.png", frame + 1);
    return name;
}

// Light focused by a rippling surface gathers in a bright net. The net is
// the border between Worley cells, whose points circle once over the 32
// frames, bent by a warp that also turns once, so frame 32 leads back into
// frame 1.
sf::Image causticFrame(int frame)
{
    const TileableNoise noise(301);
    const double phase = static_cast<double>(frame) / causticFrames;
    const double c = std::cos(twoPi * phase), s = std::sin(twoPi * phase);
    Heightfield light = Heightfield::sample(causticSize, causticSize, [&](double u, double v) {
        const double du = 0.03 * (noise.gradient(u, v, 3, 0) * c + noise.gradient(u, v, 3, 1) * s);
        const double dv = 0.03 * (noise.gradient(u, v, 3, 2) * c + noise.gradient(u, v, 3, 3) * s);
        const auto wide = noise.cellular(u + du, v + dv, 7, phase, 0);
        const auto fine = noise.cellular(u - dv, v + du, 12, 2.0 * phase, 1);
        return 0.75 * std::exp(-(wide.second - wide.nearest) * 9.0)
            + 0.45 * std::exp(-(fine.second - fine.nearest) * 12.0);
    });
    light.normalize(0.0, 0.999);
    return greyImage(light);
}

// Blades rise from the bottom edge of the image, which the billboard stands
// on (texture coordinate t = 0 is the image's bottom row). Each blade is a
// tapering curve, darker at its root, composited back to front. A tuft is
// dense and its blades broad enough to cover a good share of the quad, and
// its colours are those of the ground's grass, so that from a few steps
// away the blades read as the ground's grass standing up.
sf::Image grassBillboard()
{
    const int size = grassSize;
    std::vector<float> red(size * size, 0.0f), green(red), blue(red), alpha(red);
    const ColorRamp root { { 0.0, { 44, 72, 22 } }, { 1.0, { 62, 96, 30 } } };
    const ColorRamp tip { { 0.0, { 92, 134, 42 } }, { 0.7, { 122, 158, 56 } }, { 1.0, { 150, 170, 72 } } };
    Rng rng(401);
    for (int blade = 0; blade < 150; ++blade) {
        // Roots stay a few pixels inside the image: strokes wrap at edges.
        const double baseX = rng.range(20, size - 20), baseY = size - 5 - rng.range(0, 6);
        const double height = rng.range(0.4, 0.96) * (size - 12);
        const double lean = rng.range(-0.35, 0.35) * height;
        const double width = rng.range(4.0, 8.0);
        const sf::Color rootColour = root(rng.uniform()), tipColour = tip(rng.uniform());
        Heightfield cover(size, size);
        const int segments = 24;
        for (int i = 0; i < segments; ++i) {
            // A quadratic curve whose lean grows with height, as a bent blade.
            const auto point
                = [&](double t) { return std::make_pair(baseX + lean * t * t, baseY - height * t); };
            const double t0 = static_cast<double>(i) / segments, t1 = static_cast<double>(i + 1) / segments;
            const auto [x0, y0] = point(t0);
            const auto [x1, y1] = point(t1);
            cover.stroke(x0, y0, x1, y1, std::max(0.8, width * (1.0 - t0)), 1.0f);
        }
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const float a = cover.at(x, y);
                if (a <= 0.0f)
                    continue;
                const sf::Color colour = ColorRamp::mix(rootColour, tipColour, (baseY - y) / height);
                const std::size_t i = static_cast<std::size_t>(y) * size + x;
                red[i] = colour.r * a + red[i] * (1 - a);
                green[i] = colour.g * a + green[i] * (1 - a);
                blue[i] = colour.b * a + blue[i] * (1 - a);
                alpha[i] = a + alpha[i] * (1 - a);
            }
        }
    }
    // Colours were blended over black; dividing by coverage restores them,
    // and transparent pixels take a grass colour so that filtering at blade
    // edges never pulls in a dark fringe.
    sf::Image image;
    image.create(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * size + x;
            const float a = alpha[i];
            const auto channel = [&](float premultiplied, sf::Uint8 fallback) {
                return a > 0.01f ? static_cast<sf::Uint8>(std::lround(std::min(255.0f, premultiplied / a)))
                                 : fallback;
            };
            image.setPixel(x, y,
                sf::Color(channel(red[i], 70), channel(green[i], 110), channel(blue[i], 36),
                    static_cast<sf::Uint8>(std::lround(a * 255.0f))));
        }
    }
    return image;
}
}

std::vector<ResourceJob> effectTextureJobs()
{
    std::vector<ResourceJob> jobs {
        { { "textures/clouds.jpg" },
            [](const OutputFolder& out) { out.saveImage("textures/clouds.jpg", clouds()); } },
        { { "textures/terrain/vegetation/grass_01/diffus3.tga" },
            [](const OutputFolder& out) {
                out.saveImage("textures/terrain/vegetation/grass_01/diffus3.tga", grassBillboard());
            } },
    };
    for (int frame = 0; frame < causticFrames; ++frame)
        jobs.push_back({ { causticName(frame) },
            [frame](const OutputFolder& out) { out.saveImage(causticName(frame), causticFrame(frame)); } });
    return jobs;
}
