#include "Graphics/Cube.h"

Cube::Cube(float x, float y, float z, float halfSize, float r, float g, float b)
{
    // Corner k lies on the + side of x, y, z where bits 0, 1, 2 of k are set;
    // each face lists its corners counter-clockwise seen from outside.
    static const int faces[6][4] = {
        { 0, 2, 3, 1 }, // -z
        { 4, 5, 7, 6 }, // +z
        { 0, 4, 6, 2 }, // -x
        { 1, 3, 7, 5 }, // +x
        { 0, 1, 5, 4 }, // -y
        { 2, 6, 7, 3 }, // +y
    };
    mode = GL_QUADS;
    vertices.reserve(24);
    for (const auto& face : faces) {
        for (int k : face) {
            vertices.push_back({ k & 1 ? x + halfSize : x - halfSize, k & 2 ? y + halfSize : y - halfSize,
                k & 4 ? z + halfSize : z - halfSize, r, g, b });
        }
    }
}
