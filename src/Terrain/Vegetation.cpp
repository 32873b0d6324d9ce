#include "Terrain/Vegetation.h"

#include "World/Planet.h"

#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {

// Points are looked up in a grid of cells at least SPACING wide, so the
// points nearer than SPACING to a candidate all lie in the 27 cells around it.
constexpr double CELL = 0.5;

struct Cell
{
    long long x, y, z;
    bool operator==(const Cell& other) const { return x == other.x && y == other.y && z == other.z; }
};

struct CellHash
{
    std::size_t operator()(const Cell& c) const
    {
        const auto h = static_cast<unsigned long long>(c.x) * 0x9E3779B97F4A7C15ull
            ^ static_cast<unsigned long long>(c.y) * 0xC2B2AE3D27D4EB4Full
            ^ static_cast<unsigned long long>(c.z) * 0x165667B19E3779F9ull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

Cell cellOf(const Vector3& p)
{
    return { static_cast<long long>(std::floor(p.x / CELL)), static_cast<long long>(std::floor(p.y / CELL)),
        static_cast<long long>(std::floor(p.z / CELL)) };
}

class SpacedPoints
{
public:
    explicit SpacedPoints(std::vector<VegetationPoint>& points)
        : points(points)
    {
    }

    bool hasPointNear(const Vector3& p) const
    {
        const Cell centre = cellOf(p);
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy)
                for (long long dz = -1; dz <= 1; ++dz) {
                    const auto found = grid.find({ centre.x + dx, centre.y + dy, centre.z + dz });
                    if (found == grid.end())
                        continue;
                    for (std::size_t i : found->second)
                        if ((points[i].position - p).length() < Vegetation::SPACING)
                            return true;
                }
        return false;
    }

    void add(const Vector3& p, const Vector3& normal)
    {
        grid[cellOf(p)].push_back(points.size());
        points.push_back({ p, normal });
    }

private:
    std::vector<VegetationPoint>& points;
    std::unordered_map<Cell, std::vector<std::size_t>, CellHash> grid;
};

} // namespace

std::vector<VegetationPoint> Vegetation::points(const Mesh& mesh, int grassLayer)
{
    std::vector<VegetationPoint> found;
    SpacedPoints spaced(found);
    for (const MeshTriangle& triangle : mesh.triangles) {
        const MeshVertex& v0 = mesh.vertices[triangle.index[0]];
        if (v0.materials[0] != grassLayer || v0.materials[1] != grassLayer || v0.materials[2] != grassLayer)
            continue;
        const Vector3& s0 = v0.position;
        const Vector3& s1 = mesh.vertices[triangle.index[1]].position;
        const Vector3& s2 = mesh.vertices[triangle.index[2]].position;
        const Vector3 normal = (s1 - s0).cross(s2 - s1).normalise();
        const double length = (s1 - s0).length();
        const Vector3 direction = length < 1e-5 ? Vector3() : (s1 - s0) / length;
        for (double t = 0.5; t < length; t += 1.0) {
            const Vector3 candidate = s0 + direction * t;
            if (!spaced.hasPointNear(candidate))
                spaced.add(candidate, normal);
        }
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
