#pragma once

#include <cstdint>

// The regular-cell tables of the Transvoxel algorithm (Eric Lengyel), used
// by the polygonizer to triangulate one cube of eight density samples.
// Corner n of a cell is the sample offset by (n & 1, (n >> 1) & 1, (n >> 2) & 1).

// The triangulation shared by every case of one equivalence class.
struct RegularCellData
{
    // High nibble: vertex count; low nibble: triangle count.
    std::uint8_t geometryCounts;
    // Three per triangle, indexing the case's vertex codes.
    std::uint8_t vertexIndex[15];

    int vertexCount() const { return geometryCounts >> 4; }
    int triangleCount() const { return geometryCounts & 0x0F; }
};

// Case code (bit n set when corner n is outside) to its class, 0..15.
extern const std::uint8_t regularCellClass[256];
extern const RegularCellData regularCellData[16];
// Per case, one code per vertex: the low byte names the edge's corners
// (A in bits 4-7, B in bits 0-3); the high byte is a vertex-reuse hint.
extern const std::uint16_t regularVertexData[256][12];
