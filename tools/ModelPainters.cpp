#include "ModelPainters.h"

#include "ColorRamp.h"
#include "Rng.h"
#include "TileableNoise.h"

#include <cmath>

namespace {
constexpr double twoPi = 6.283185307179586;

const TileableNoise& noise()
{
    static const TileableNoise shared(501);
    return shared;
}

double unit(double signedNoise)
{
    return std::clamp(signedNoise * 0.5 + 0.5, 0.0, 1.0);
}
}

namespace ModelPainters {

ModelAtlas::Painter skin(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const double blotch = noise().fbm(u, v, 4, 3);
        return ModelAtlas::Texel { ColorRamp::shade(
                                       ColorRamp::mix(tone, { 214, 120, 110 }, 0.15 * unit(blotch)),
                                       0.95 + 0.08 * blotch),
            0.5 + 0.05 * noise().fbm(u, v, 16, 2) };
    };
}

ModelAtlas::Painter hair(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const double wave = 0.6 * noise().fbm(u, v, 2, 2);
        const double strands = std::sin(twoPi * (18 * u + wave)) * 0.5 + 0.5;
        const double fine = std::sin(twoPi * (47 * u + 1.7 * wave)) * 0.5 + 0.5;
        const double strand = 0.6 * strands + 0.4 * fine;
        return ModelAtlas::Texel { ColorRamp::shade(tone, 0.7 + 0.5 * strand), strand };
    };
}

ModelAtlas::Painter cloth(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const double warp = std::sin(twoPi * 40 * u), weft = std::sin(twoPi * 40 * v);
        const double weave = 0.5 + 0.25 * (warp * (weft > 0 ? 1 : -1));
        const double wear = unit(noise().fbm(u, v, 3, 4));
        return ModelAtlas::Texel { ColorRamp::shade(tone, 0.82 + 0.2 * weave + 0.15 * wear),
            0.5 + 0.2 * weave };
    };
}

ModelAtlas::Painter leather(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const double creases = noise().ridged(u, v, 6, 3);
        const double mottle = noise().fbm(u, v, 5, 4);
        return ModelAtlas::Texel { ColorRamp::shade(tone, 0.9 + 0.15 * mottle - 0.25 * creases),
            0.5 - 0.3 * creases };
    };
}

ModelAtlas::Painter metal(const sf::Color& tone, double wear)
{
    return [tone, wear](double u, double v) {
        // Brushing: noise stretched across u by sampling it along a line.
        const double brushed = noise().gradient(u * 0.05, v, 64, 3);
        const double scratches = noise().ridged(u, v, 10, 2);
        const double dents = noise().fbm(u, v, 3, 3);
        const double light = 0.85 + 0.12 * brushed + 0.1 * dents + wear * 0.35 * scratches * scratches;
        return ModelAtlas::Texel { ColorRamp::shade(tone, light),
            0.5 + 0.1 * dents - 0.1 * wear * scratches };
    };
}

ModelAtlas::Painter wood(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const double ring = std::sin(twoPi * (9 * u + 1.2 * noise().fbm(u, v, 2, 3))) * 0.5 + 0.5;
        const double grain = noise().gradient(u, v * 0.1, 96, 4);
        const double dark = std::pow(ring, 3.0);
        return ModelAtlas::Texel { ColorRamp::shade(tone, 1.05 - 0.3 * dark + 0.08 * grain),
            0.5 - 0.2 * dark };
    };
}

ModelAtlas::Painter stone(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const auto cells = noise().cellular(u, v, 4, 0.0, 1);
        const double joint = std::exp(-(cells.second - cells.nearest) * 20.0);
        const double face = Rng(cells.id * 77u + 3).uniform();
        const double rough = noise().fbm(u, v, 8, 3);
        return ModelAtlas::Texel { ColorRamp::shade(tone, 0.8 + 0.25 * face + 0.1 * rough - 0.45 * joint),
            0.6 + 0.1 * rough - 0.5 * joint };
    };
}

ModelAtlas::Painter brick(const sf::Color& tone)
{
    return [tone](double u, double v) {
        const int courses = 8, perCourse = 4;
        const double row = v * courses;
        const int course = static_cast<int>(std::floor(row));
        const double along = u * perCourse + (course % 2) * 0.5;
        const int column = static_cast<int>(std::floor(along));
        const double fx = along - column, fy = row - course;
        const double joint = std::min({ fx * 4.0, (1 - fx) * 4.0, fy * 2.0, (1 - fy) * 2.0 }) / 0.12;
        const double mortar = 1.0 - std::clamp(joint, 0.0, 1.0);
        const double shade
            = 0.85 + 0.3 * Rng(static_cast<std::uint64_t>(course * 31 + column + 1000)).uniform();
        const double rough = noise().fbm(u, v, 12, 2);
        const sf::Color brickColour = ColorRamp::shade(tone, shade + 0.08 * rough);
        return ModelAtlas::Texel { ColorRamp::mix(brickColour, { 150, 142, 128 }, mortar),
            0.7 - 0.5 * mortar + 0.05 * rough };
    };
}

ModelAtlas::Painter fire()
{
    return [](double u, double v) {
        const double flicker = unit(noise().fbm(u, v, 4, 4));
        const ColorRamp glow { { 0.0, { 255, 244, 170 } }, { 0.35, { 255, 186, 60 } },
            { 0.7, { 230, 90, 20 } }, { 1.0, { 110, 24, 8 } } };
        return ModelAtlas::Texel { glow(std::clamp(v * 0.8 + 0.4 * (flicker - 0.5), 0.0, 1.0)), 0.5 };
    };
}

ModelAtlas::Painter water()
{
    return [](double u, double v) {
        const double ripple = noise().fbm(u, v, 4, 3);
        return ModelAtlas::Texel { ColorRamp::mix({ 34, 70, 96 }, { 80, 130, 160 }, unit(ripple)),
            0.5 + 0.1 * ripple };
    };
}

ModelAtlas::Painter plain(const sf::Color& tone)
{
    return [tone](double, double) { return ModelAtlas::Texel { tone, 0.5 }; };
}
}
