#include "Terrain/Vegetation.h"

#include "Terrain/ScratchPool.h"
#include "World/Planet.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// Points are looked up in a grid of cells twice as wide as the reach of the
// test (a little over SPACING), so the points that can lie nearer than
// SPACING to a candidate fall into at most 2 x 2 x 2 cells.
constexpr double REACH = Vegetation::SPACING + 0.01;
constexpr double CELL = 2.0 * REACH;

long long cellOf(double v)
{
    return static_cast<long long>(std::floor(v / CELL));
}

// The points of one build by grid cell: an open-addressing table of cells,
// each the head of a chain of point indices; reused from build to build on
// a thread.
class SpacingGrid
{
public:
    void start(std::size_t expectedPoints)
    {
        generation.next(slots);
        used = 0;
        next.clear();
        std::size_t size = slots.empty() ? 256 : slots.size();
        while (size < 4 * expectedPoints)
            size *= 2;
        if (size != slots.size())
            slots.assign(size, Slot { 0, 0, 0, 0, -1 });
    }

    bool hasPointNear(const std::vector<VegetationPoint>& points, const Vector3& p) const
    {
        for (long long x = cellOf(p.x - REACH); x <= cellOf(p.x + REACH); ++x)
            for (long long y = cellOf(p.y - REACH); y <= cellOf(p.y + REACH); ++y)
                for (long long z = cellOf(p.z - REACH); z <= cellOf(p.z + REACH); ++z) {
                    const Slot* slot = find(x, y, z);
                    for (std::int32_t i = slot ? slot->first : -1; i >= 0;
                         i = next[static_cast<std::size_t>(i)])
                        if ((points[static_cast<std::size_t>(i)].position - p).length() < Vegetation::SPACING)
                            return true;
                }
        return false;
    }

    void add(const Vector3& p, std::int32_t index)
    {
        if (2 * (used + 1) > slots.size())
            grow();
        Slot& slot = insert(cellOf(p.x), cellOf(p.y), cellOf(p.z));
        next.push_back(slot.first);
        slot.first = index;
    }

private:
    struct Slot
    {
        std::uint32_t stamp;
        long long x, y, z;
        // The cell's latest point; the chain goes on through `next`.
        std::int32_t first;
    };

    static std::size_t hashOf(long long x, long long y, long long z)
    {
        const auto h = static_cast<unsigned long long>(x) * 0x9E3779B97F4A7C15ull
            ^ static_cast<unsigned long long>(y) * 0xC2B2AE3D27D4EB4Full
            ^ static_cast<unsigned long long>(z) * 0x165667B19E3779F9ull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }

    const Slot* find(long long x, long long y, long long z) const
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = hashOf(x, y, z) & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots[i];
            if (slot.stamp != generation.current)
                return nullptr;
            if (slot.x == x && slot.y == y && slot.z == z)
                return &slot;
        }
    }

    Slot& insert(long long x, long long y, long long z)
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = hashOf(x, y, z) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots[i];
            if (slot.stamp != generation.current) {
                ++used;
                slot = { generation.current, x, y, z, -1 };
                return slot;
            }
            if (slot.x == x && slot.y == y && slot.z == z)
                return slot;
        }
    }

    void grow()
    {
        std::vector<Slot> old(slots.size() * 2, Slot { 0, 0, 0, 0, -1 });
        old.swap(slots);
        const std::size_t mask = slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.stamp != generation.current)
                continue;
            std::size_t i = hashOf(slot.x, slot.y, slot.z) & mask;
            while (slots[i].stamp == generation.current)
                i = (i + 1) & mask;
            slots[i] = slot;
        }
    }

    Generation generation;
    std::vector<Slot> slots;
    std::size_t used = 0;
    std::vector<std::int32_t> next;
};

} // namespace

std::vector<VegetationPoint> Vegetation::points(const Mesh& mesh, int grassLayer, int step)
{
    std::vector<VegetationPoint> found;
    const Planet* planet = Planet::getInstance();
    int splits = 0;
    for (int covered = DENSE_STEP; covered < step; covered *= 2)
        ++splits;
    const ScratchLease<SpacingGrid> grid;
    grid->start(mesh.triangles.size() << (2 * splits));
    auto scatter = [&](const Vector3& s0, const Vector3& s1, const Vector3& normal) {
        const double length = (s1 - s0).length();
        const Vector3 direction = length < 1e-5 ? Vector3() : (s1 - s0) / length;
        for (double t = 0.5; t < length; t += 1.0) {
            const Vector3 candidate = s0 + direction * t;
            if (!grid->hasPointNear(found, candidate)) {
                grid->add(candidate, static_cast<std::int32_t>(found.size()));
                found.push_back({ candidate, normal });
            }
        }
    };
    auto split = [&](auto& self, const Vector3& s0, const Vector3& s1, const Vector3& s2,
                     const Vector3& normal, int depth) -> void {
        if (depth == 0) {
            scatter(s0, s1, normal);
            return;
        }
        const Vector3 m01 = (s0 + s1) * 0.5, m12 = (s1 + s2) * 0.5, m20 = (s2 + s0) * 0.5;
        self(self, s0, m01, m20, normal, depth - 1);
        self(self, m01, s1, m12, normal, depth - 1);
        self(self, m20, m12, s2, normal, depth - 1);
        self(self, m01, m12, m20, normal, depth - 1);
    };
    for (const MeshTriangle& triangle : mesh.triangles) {
        const MeshVertex& v0 = mesh.vertices[triangle.index[0]];
        if (v0.materials[0] != grassLayer || v0.materials[1] != grassLayer || v0.materials[2] != grassLayer)
            continue;
        const Vector3& s0 = v0.position;
        const Vector3& s1 = mesh.vertices[triangle.index[1]].position;
        const Vector3& s2 = mesh.vertices[triangle.index[2]].position;
        const Vector3 normal = (s1 - s0).cross(s2 - s1).normalise();
        if (planet && normal.dot(planet->upAt(s0)) < MIN_UPRIGHTNESS)
            continue;
        split(split, s0, s1, s2, normal, splits);
    }
    return found;
}

std::vector<VegetationVertex> Vegetation::quads(const std::vector<VegetationPoint>& points)
{
    std::vector<VegetationVertex> vertices;
    vertices.reserve(points.size() * 4);
    for (const VegetationPoint& point : points) {
        const float p[3] = { static_cast<float>(point.position.x), static_cast<float>(point.position.y),
            static_cast<float>(point.position.z) };
        const float n[3] = { static_cast<float>(point.normal.x), static_cast<float>(point.normal.y),
            static_cast<float>(point.normal.z) };
        Orientation orientation = Planet::orientationForUp({ n[0], n[1], n[2] });
        orientation.rotateAboutUp(p[0] * p[1] * p[2]);
        const float side[3] = { static_cast<float>(orientation.right.x),
            static_cast<float>(orientation.right.y), static_cast<float>(orientation.right.z) };
        auto corner = [&](float up, float across, float u, float v) {
            VegetationVertex vertex;
            for (int i = 0; i < 3; ++i) {
                vertex.position[i] = p[i] + up * n[i] + across * side[i];
                vertex.normal[i] = n[i];
            }
            vertex.texCoord[0] = u;
            vertex.texCoord[1] = v;
            vertices.push_back(vertex);
        };
        corner(0.0f, 1.0f, 0.0f, 0.0f);
        corner(1.0f, 1.0f, 0.0f, 1.0f);
        corner(1.0f, -1.0f, 1.0f, 1.0f);
        corner(0.0f, -1.0f, 1.0f, 0.0f);
    }
    return vertices;
}
