#include "Heightfield.h"

#include <SFML/Graphics/Image.hpp>
#include <algorithm>
#include <cmath>

Heightfield::Heightfield(int width, int height)
    : w(width)
    , h(height)
    , values(static_cast<std::size_t>(width) * height, 0.0f)
{
}

Heightfield Heightfield::sample(int width, int height, const std::function<double(double, double)>& f)
{
    Heightfield field(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            field.at(x, y) = static_cast<float>(f((x + 0.5) / width, (y + 0.5) / height));
    return field;
}

float Heightfield::at(int x, int y) const
{
    return values[static_cast<std::size_t>(((y % h) + h) % h) * w + ((x % w) + w) % w];
}

float& Heightfield::at(int x, int y)
{
    return values[static_cast<std::size_t>(((y % h) + h) % h) * w + ((x % w) + w) % w];
}

void Heightfield::normalize(double lowFraction, double highFraction)
{
    std::vector<float> sorted = values;
    const auto rank = [&](double fraction) {
        const auto index = static_cast<std::size_t>(fraction * (sorted.size() - 1));
        std::nth_element(sorted.begin(), sorted.begin() + index, sorted.end());
        return sorted[index];
    };
    const float low = rank(lowFraction);
    const float high = rank(highFraction);
    const float span = high > low ? high - low : 1.0f;
    for (float& value : values)
        value = std::clamp((value - low) / span, 0.0f, 1.0f);
}

void Heightfield::stroke(double x0, double y0, double x1, double y1, double width, float value)
{
    const double length = std::hypot(x1 - x0, y1 - y0);
    const int steps = std::max(1, static_cast<int>(std::ceil(length * 2.0)));
    const double radius = width * 0.5;
    const int reach = static_cast<int>(std::ceil(radius + 1.0));
    for (int step = 0; step <= steps; ++step) {
        const double t = static_cast<double>(step) / steps;
        const double cx = x0 + (x1 - x0) * t, cy = y0 + (y1 - y0) * t;
        for (int py = static_cast<int>(std::floor(cy)) - reach;
             py <= static_cast<int>(std::floor(cy)) + reach; ++py) {
            for (int px = static_cast<int>(std::floor(cx)) - reach;
                 px <= static_cast<int>(std::floor(cx)) + reach; ++px) {
                const double distance = std::hypot(px + 0.5 - cx, py + 0.5 - cy);
                const double cover = std::clamp(radius + 0.5 - distance, 0.0, 1.0);
                float& cell = at(px, py);
                cell = std::max(cell, static_cast<float>(value * cover));
            }
        }
    }
}

sf::Image Heightfield::normalMap(double depth) const
{
    sf::Image image;
    image.create(w, h);
    const auto encode = [](double component) {
        return static_cast<sf::Uint8>(std::lround(std::clamp(component * 0.5 + 0.5, 0.0, 1.0) * 255.0));
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const double slopeRight = (at(x + 1, y) - at(x - 1, y)) * 0.5 * depth;
            // Rows run down the image while the texture's v runs up it.
            const double slopeUp = (at(x, y - 1) - at(x, y + 1)) * 0.5 * depth;
            const double length = std::sqrt(slopeRight * slopeRight + slopeUp * slopeUp + 1.0);
            image.setPixel(x, y,
                sf::Color(encode(-slopeRight / length), encode(-slopeUp / length), encode(1.0 / length)));
        }
    }
    return image;
}
