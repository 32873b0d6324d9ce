#pragma once

#include <SFML/Graphics/Color.hpp>
#include <initializer_list>
#include <utility>
#include <vector>

// A piecewise linear colour gradient over [0, 1], and the small colour
// arithmetic the texture painters share.
class ColorRamp
{
public:
    ColorRamp(std::initializer_list<std::pair<double, sf::Color>> stops);

    sf::Color operator()(double t) const;

    static sf::Color mix(const sf::Color& a, const sf::Color& b, double t);
    // Multiplies the colour channels (not alpha) by `factor`, clamped.
    static sf::Color shade(const sf::Color& c, double factor);

private:
    std::vector<std::pair<double, sf::Color>> stops;
};
