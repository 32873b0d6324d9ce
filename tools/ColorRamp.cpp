#include "ColorRamp.h"

#include <algorithm>
#include <cmath>

namespace {
sf::Uint8 channel(double value)
{
    return static_cast<sf::Uint8>(std::lround(std::clamp(value, 0.0, 255.0)));
}
}

ColorRamp::ColorRamp(std::initializer_list<std::pair<double, sf::Color>> stops)
    : stops(stops)
{
}

sf::Color ColorRamp::operator()(double t) const
{
    if (t <= stops.front().first)
        return stops.front().second;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].first) {
            const double span = stops[i].first - stops[i - 1].first;
            return mix(
                stops[i - 1].second, stops[i].second, span > 0 ? (t - stops[i - 1].first) / span : 1.0);
        }
    }
    return stops.back().second;
}

sf::Color ColorRamp::mix(const sf::Color& a, const sf::Color& b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return sf::Color(channel(a.r + (b.r - a.r) * t), channel(a.g + (b.g - a.g) * t),
        channel(a.b + (b.b - a.b) * t), channel(a.a + (b.a - a.a) * t));
}

sf::Color ColorRamp::shade(const sf::Color& c, double factor)
{
    return sf::Color(channel(c.r * factor), channel(c.g * factor), channel(c.b * factor), c.a);
}
