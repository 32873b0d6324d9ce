#pragma once

#include "Terrain/Mesh.h"

#include <cstdint>
#include <vector>

// Builds an indexed mesh from triangles given as three vertices each (table
// order 0, 1, 2), storing each triangle in reverse (2, 1, 0). A vertex reuses
// the earliest vertex of the mesh it welds with (MeshVertex::weldsWith), so
// neighbouring cells share their vertices. The search looks only at the
// nearby cells of a hash grid, yet finds exactly the vertex a scan of the
// whole list from the start would find.
class MeshWelder
{
public:
    MeshWelder();

    // Returns the vertex's index in the mesh.
    std::uint32_t addVertex(const MeshVertex& vertex);
    void addTriangle(const MeshVertex& v0, const MeshVertex& v1, const MeshVertex& v2);
    // The mesh built so far; the welder starts over empty.
    Mesh take();

    // Welds a whole list of triangles.
    static Mesh weld(const std::vector<MeshVertex>& triangles);

private:
    struct Slot
    {
        long long cx, cy, cz;
        // Vertices of the grid cell, in index order, linked through `next`; -1 when the slot is free.
        std::int32_t first;
        std::int32_t last;
    };

    Slot* find(long long cx, long long cy, long long cz);
    // Appends a new vertex to its grid cell's chain.
    void link(long long cx, long long cy, long long cz, std::int32_t index);
    void grow();

    Mesh mesh;
    std::vector<std::int32_t> next;
    std::vector<Slot> slots;
    std::size_t usedSlots = 0;
};
