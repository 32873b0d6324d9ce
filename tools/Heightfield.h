#pragma once

#include <functional>
#include <vector>

namespace sf {
class Image;
}

// A grid of floats that wraps at its edges, the height behind a tileable
// texture. Pixel (x, y) is sampled at the centre u = (x + 0.5) / width,
// v = (y + 0.5) / height, with y counted down the image as image rows are.
class Heightfield
{
public:
    Heightfield(int width, int height);
    static Heightfield sample(int width, int height, const std::function<double(double u, double v)>& f);

    int width() const { return w; }
    int height() const { return h; }
    float at(int x, int y) const;
    float& at(int x, int y);

    // Stretches the values linearly so that the given fractions of the
    // lowest and highest values map to 0 and 1, clamping the rest.
    void normalize(double lowFraction = 0.002, double highFraction = 0.998);

    // Raises the field to at least `value` along the segment from (x0, y0)
    // to (x1, y1), in pixels, `width` pixels wide with soft edges. Segments
    // crossing an edge wrap round like the texture.
    void stroke(double x0, double y0, double x1, double y1, double width, float value);

    // A tangent-space normal map in OpenGL's convention: red grows with the
    // slope towards the right edge, green with the slope towards the top of
    // the image, blue is the up component. `depth` is the height of value 1
    // in pixels.
    sf::Image normalMap(double depth) const;

private:
    int w, h;
    std::vector<float> values;
};
