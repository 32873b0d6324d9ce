#pragma once

#include "Heightfield.h"
#include "MeshBuilder.h"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Image.hpp>
#include <functional>

// One texture holding all the surface kinds of a model (skin, cloth,
// metal, brick ...) in square cells, each painted with a colour and a
// height that the normal map is made from. Parts are mapped into the
// cells' rectangles, which keep a margin so filtering and mipmaps do not
// bleed one cell into the next.
class ModelAtlas
{
public:
    struct Texel
    {
        sf::Color colour;
        double height; // 0 to 1
    };
    // Paints one cell; u and v run from 0 to 1 across it, v upwards.
    using Painter = std::function<Texel(double u, double v)>;

    ModelAtlas(int cellsPerSide, int cellSize);

    // Paints the next free cell and returns its rectangle.
    UvRect add(const Painter& painter);

    const sf::Image& diffuse() const { return colours; }
    sf::Image normalMap(double depth) const;

private:
    int cellsPerSide, cellSize, used = 0;
    sf::Image colours;
    Heightfield heights;
};
