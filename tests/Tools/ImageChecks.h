#pragma once

#include <SFML/Graphics/Image.hpp>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

// Measures for generated images shared by the texture tests.
namespace ImageChecks {

inline double difference(const sf::Color& a, const sf::Color& b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) + std::abs(a.a - b.a);
}

// How much harder the wrap-around seams are than the image's ordinary
// steps from one column (or row) to the next: the seam's mean difference
// over the 95th percentile of the inner ones, the larger of the two
// directions. At most about 1 for a tileable image; clearly above 1 when
// the edges of a smooth image do not meet.
inline double seamRatio(const sf::Image& image)
{
    const int w = static_cast<int>(image.getSize().x), h = static_cast<int>(image.getSize().y);
    const auto ratio = [&](int lines, int length, auto pixel) {
        std::vector<double> steps;
        for (int line = 0; line < lines; ++line) {
            double total = 0.0;
            for (int i = 0; i < length; ++i)
                total += difference(pixel(line, i), pixel((line + 1) % lines, i));
            steps.push_back(total / length);
        }
        const double seam = steps.back();
        steps.pop_back();
        std::sort(steps.begin(), steps.end());
        return seam / std::max(steps[steps.size() * 95 / 100], 1e-9);
    };
    return std::max(ratio(w, h, [&](int x, int y) { return image.getPixel(x, y); }),
        ratio(h, w, [&](int y, int x) { return image.getPixel(x, y); }));
}

inline sf::Image crop(const sf::Image& image, int width, int height)
{
    sf::Image part;
    part.create(width, height);
    part.copy(image, 0, 0, sf::IntRect(0, 0, width, height));
    return part;
}
}
