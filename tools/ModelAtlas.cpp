#include "ModelAtlas.h"

#include <algorithm>
#include <stdexcept>

namespace {
constexpr int margin = 6;
}

ModelAtlas::ModelAtlas(int cellsPerSide, int cellSize)
    : cellsPerSide(cellsPerSide)
    , cellSize(cellSize)
    , heights(cellsPerSide * cellSize, cellsPerSide * cellSize)
{
    colours.create(cellsPerSide * cellSize, cellsPerSide * cellSize);
}

sf::Image ModelAtlas::normalMap(double depth) const
{
    return heights.normalMap(depth);
}

UvRect ModelAtlas::add(const Painter& painter)
{
    if (used == cellsPerSide * cellsPerSide)
        throw std::logic_error("model atlas is full");
    const int left = (used % cellsPerSide) * cellSize, top = (used / cellsPerSide) * cellSize;
    ++used;
    // The painter covers the margin too, so the colour at the rectangle's
    // edge continues outwards instead of meeting a seam.
    for (int y = 0; y < cellSize; ++y) {
        for (int x = 0; x < cellSize; ++x) {
            const double u = (x - margin + 0.5) / (cellSize - 2 * margin);
            const double v = 1.0 - (y - margin + 0.5) / (cellSize - 2 * margin);
            const Texel texel = painter(std::clamp(u, 0.0, 1.0), std::clamp(v, 0.0, 1.0));
            colours.setPixel(left + x, top + y, texel.colour);
            heights.at(left + x, top + y) = static_cast<float>(texel.height);
        }
    }
    // Image rows run down while texture v runs up.
    const double size = cellsPerSide * cellSize;
    return { (left + margin) / size, 1.0 - (top + cellSize - margin) / size,
        (left + cellSize - margin) / size, 1.0 - (top + margin) / size };
}
