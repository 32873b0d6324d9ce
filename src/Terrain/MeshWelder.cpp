#include "Terrain/MeshWelder.h"

#include <cmath>

namespace {

// Grid cells are half a voxel wide: most cells hold the vertices of a few edges.
constexpr double CELLS_PER_UNIT = 2.0;
// Wider than the weld distance (1e-6), so every vertex that can weld lies in
// one of the cells this margin around a position reaches.
constexpr double SEARCH_MARGIN = 1e-5;

long long cellOf(double v)
{
    return static_cast<long long>(std::floor(v * CELLS_PER_UNIT));
}

std::size_t hashOf(long long cx, long long cy, long long cz)
{
    const auto h = static_cast<unsigned long long>(cx) * 0x9E3779B97F4A7C15ull
        ^ static_cast<unsigned long long>(cy) * 0xC2B2AE3D27D4EB4Full
        ^ static_cast<unsigned long long>(cz) * 0x165667B19E3779F9ull;
    return static_cast<std::size_t>(h ^ (h >> 29));
}

} // namespace

MeshWelder::MeshWelder()
    : slots(256, Slot { 0, 0, 0, -1, -1 })
{
}

MeshWelder::Slot* MeshWelder::find(long long cx, long long cy, long long cz)
{
    const std::size_t mask = slots.size() - 1;
    for (std::size_t i = hashOf(cx, cy, cz) & mask;; i = (i + 1) & mask) {
        Slot& slot = slots[i];
        if (slot.first < 0)
            return nullptr;
        if (slot.cx == cx && slot.cy == cy && slot.cz == cz)
            return &slot;
    }
}

void MeshWelder::link(long long cx, long long cy, long long cz, std::int32_t index)
{
    next.push_back(-1);
    if (Slot* existing = find(cx, cy, cz)) {
        next[existing->last] = index;
        existing->last = index;
        return;
    }
    if (2 * (usedSlots + 1) > slots.size())
        grow();
    const std::size_t mask = slots.size() - 1;
    std::size_t i = hashOf(cx, cy, cz) & mask;
    while (slots[i].first >= 0)
        i = (i + 1) & mask;
    ++usedSlots;
    slots[i] = { cx, cy, cz, index, index };
}

void MeshWelder::grow()
{
    std::vector<Slot> old(slots.size() * 2, Slot { 0, 0, 0, -1, -1 });
    old.swap(slots);
    const std::size_t mask = slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.first < 0)
            continue;
        std::size_t i = hashOf(slot.cx, slot.cy, slot.cz) & mask;
        while (slots[i].first >= 0)
            i = (i + 1) & mask;
        slots[i] = slot;
    }
}

std::uint32_t MeshWelder::addVertex(const MeshVertex& vertex)
{
    const Vector3& p = vertex.position;
    const long long x0 = cellOf(p.x - SEARCH_MARGIN), x1 = cellOf(p.x + SEARCH_MARGIN);
    const long long y0 = cellOf(p.y - SEARCH_MARGIN), y1 = cellOf(p.y + SEARCH_MARGIN);
    const long long z0 = cellOf(p.z - SEARCH_MARGIN), z1 = cellOf(p.z + SEARCH_MARGIN);
    // The earliest match over the cells; within a cell the chain is in index order.
    std::int32_t found = -1;
    for (long long cx = x0; cx <= x1; ++cx)
        for (long long cy = y0; cy <= y1; ++cy)
            for (long long cz = z0; cz <= z1; ++cz) {
                const Slot* slot = find(cx, cy, cz);
                for (std::int32_t i = slot ? slot->first : -1; i >= 0 && (found < 0 || i < found);
                     i = next[i])
                    if (mesh.vertices[i].weldsWith(vertex)) {
                        found = i;
                        break;
                    }
            }
    if (found >= 0)
        return static_cast<std::uint32_t>(found);

    const auto index = static_cast<std::int32_t>(mesh.vertices.size());
    mesh.vertices.push_back(vertex);
    link(cellOf(p.x), cellOf(p.y), cellOf(p.z), index);
    return static_cast<std::uint32_t>(index);
}

void MeshWelder::addTriangle(const MeshVertex& v0, const MeshVertex& v1, const MeshVertex& v2)
{
    const std::uint32_t i0 = addVertex(v0);
    const std::uint32_t i1 = addVertex(v1);
    const std::uint32_t i2 = addVertex(v2);
    mesh.triangles.push_back({ { i2, i1, i0 } });
}

Mesh MeshWelder::take()
{
    Mesh built = std::move(mesh);
    mesh = Mesh();
    next.clear();
    slots.assign(256, Slot { 0, 0, 0, -1, -1 });
    usedSlots = 0;
    return built;
}

Mesh MeshWelder::weld(const std::vector<MeshVertex>& triangles)
{
    MeshWelder welder;
    for (std::size_t i = 0; i + 2 < triangles.size(); i += 3)
        welder.addTriangle(triangles[i], triangles[i + 1], triangles[i + 2]);
    return welder.take();
}
