#pragma once

#include "ModelAtlas.h"

#include <SFML/Graphics/Color.hpp>

// Painters for the cells of a model atlas, one per kind of surface the
// models are made of. Each is a small procedural pattern around a base
// colour, with a height that gives the normal map its relief.
namespace ModelPainters {
ModelAtlas::Painter skin(const sf::Color& tone);
// Strands running along v, as a beard or hair hangs.
ModelAtlas::Painter hair(const sf::Color& tone);
// A woven look: fine crossing threads with a little wear.
ModelAtlas::Painter cloth(const sf::Color& tone);
ModelAtlas::Painter leather(const sf::Color& tone);
// Brushed metal; `wear` lightens and scratches it.
ModelAtlas::Painter metal(const sf::Color& tone, double wear);
// Grain running along v with darker rings.
ModelAtlas::Painter wood(const sf::Color& tone);
ModelAtlas::Painter stone(const sf::Color& tone);
// Courses of bricks with recessed mortar joints.
ModelAtlas::Painter brick(const sf::Color& tone);
// Glowing embers: yellow-white at the bottom, deep red at the top.
ModelAtlas::Painter fire();
ModelAtlas::Painter water();
ModelAtlas::Painter plain(const sf::Color& tone);
}
