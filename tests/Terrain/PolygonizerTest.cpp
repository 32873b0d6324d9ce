#include "TestFields.h"

#include <array>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>

namespace {

constexpr int AIR = -127;
constexpr int SOLID = 127;

// A single cell (0..1 on each axis) whose corner n has densities[n] and materials[n].
FunctionField::Function cellField(std::array<int, 8> densities, std::array<int, 8> materials)
{
    return [=](int x, int y, int z) {
        const int n = x + 2 * y + 4 * z;
        if (x < 0 || x > 1 || y < 0 || y > 1 || z < 0 || z > 1)
            return VoxelSample { AIR, 10 };
        return VoxelSample { densities[n], materials[n] };
    };
}

std::vector<MeshVertex> polygonize(
    FunctionField::Function function, const VoxelBox& box, int step, bool* surface = nullptr)
{
    FunctionField field(std::move(function));
    std::vector<MeshVertex> triangles;
    const bool found = Polygonizer(field, identityLayers()).polygonize(box, step, acceptAll, triangles);
    if (surface)
        *surface = found;
    return triangles;
}

using Point = std::tuple<double, double, double>;
Point pointOf(const Vector3& v)
{
    return { v.x, v.y, v.z };
}

const VoxelBox unitCell { 0, 1, 0, 1, 0, 1 };

} // namespace

TEST(PolygonizerTest, BoxesWithoutSurfaceGiveNothing)
{
    for (int density : { AIR, -1, 0, 1, SOLID }) {
        bool surface = true;
        auto triangles = polygonize(
            [=](int, int, int) {
                return VoxelSample { density, 1 };
            },
            { 0, 8, 0, 8, 0, 8 }, 2, &surface);
        EXPECT_FALSE(surface) << density;
        EXPECT_TRUE(triangles.empty()) << density;
    }
}

TEST(PolygonizerTest, ZeroDensityPutsTheVertexOnItsCorner)
{
    // Corner 0 holds 0 (inside); only its three edges cross the surface.
    std::array<int, 8> d;
    d.fill(-60);
    d[0] = 0;
    const auto triangles = polygonize(cellField(d, { 1, 1, 1, 1, 1, 1, 1, 1 }), unitCell, 1);
    ASSERT_EQ(triangles.size(), 3u);
    for (const MeshVertex& v : triangles)
        EXPECT_EQ(v.position, Vector3(0, 0, 0));
}

TEST(PolygonizerTest, VerticesInterpolateOnCrossingEdges)
{
    std::array<int, 8> d;
    d.fill(-100);
    d[0] = 27;
    const auto triangles = polygonize(cellField(d, { 1, 1, 1, 1, 1, 1, 1, 1 }), unitCell, 1);
    ASSERT_EQ(triangles.size(), 3u);
    std::set<Point> points;
    for (const MeshVertex& v : triangles)
        points.insert(pointOf(v.position));
    const double t = 27.0 / 127.0 / (27.0 / 127.0 + 100.0 / 127.0);
    EXPECT_EQ(points, (std::set<Point> { { t, 0, 0 }, { 0, t, 0 }, { 0, 0, t } }));
}

TEST(PolygonizerTest, OneSolidVoxelIsAClosedOutwardFacingSurface)
{
    auto function = [](int x, int y, int z) {
        return x == 5 && y == 5 && z == 5 ? VoxelSample { SOLID, 3 } : VoxelSample { AIR, 10 };
    };
    FunctionField field(function);
    const Mesh mesh = meshOf(field, { 3, 7, 3, 7, 3, 7 }, 1);
    // An octahedron: the solid material everywhere lets all six tips be shared.
    ASSERT_EQ(mesh.vertices.size(), 6u);
    ASSERT_EQ(mesh.triangles.size(), 8u);
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> directed;
    const Vector3 centre(5, 5, 5);
    for (const MeshTriangle& t : mesh.triangles) {
        for (int n = 0; n < 3; ++n)
            ++directed[{ t.index[n], t.index[(n + 1) % 3] }];
        const Vector3& a = mesh.vertices[t.index[0]].position;
        const Vector3& b = mesh.vertices[t.index[1]].position;
        const Vector3& c = mesh.vertices[t.index[2]].position;
        // The stored order faces from the ground into the air.
        EXPECT_GT((b - a).cross(c - b).dot((a + b + c) / 3.0 - centre), 0.0);
    }
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(directed.count({ edge.second, edge.first }), 1u);
    }
    for (const MeshVertex& v : mesh.vertices)
        EXPECT_EQ(v.materials[0], 3);
}

TEST(PolygonizerTest, CoarseStepsPlaceVerticesOnTheOneVoxelEdge)
{
    struct Case
    {
        int step;
        std::vector<int> column; // densities at y = 0, 1, 2, ...
        double expectedY;
    };
    const Case cases[] = {
        // Crossing in the first voxel: 0.5, not 0.571 between the coarse samples.
        { 2, { 40, -40, -100 }, 0.5 },
        // Crossing in the second voxel: the walk from the outside corner stops at y = 1.
        { 2, { 50, 10, -30 }, 1.25 },
        // A longer walk: y = 4, 3 and 2 are outside, y = 1 is the first inside voxel.
        { 4, { 50, 20, -10, -40, -80 }, 1.0 + 20.0 / 30.0 },
    };
    for (const Case& c : cases) {
        auto function = [&](int, int y, int) {
            return VoxelSample {
                c.column[static_cast<std::size_t>(std::clamp(y, 0, int(c.column.size()) - 1))], 1
            };
        };
        const auto triangles = polygonize(function, { 0, c.step, 0, c.step, 0, c.step }, c.step);
        ASSERT_FALSE(triangles.empty());
        for (const MeshVertex& v : triangles)
            EXPECT_NEAR(v.position.y, c.expectedY, 1e-12) << "step " << c.step;
    }
}

TEST(PolygonizerTest, FullyAirCornersNeverLendTheirMaterial)
{
    // Edge 0-1 is crossed at its middle; the nearer-corner rule alone would pick corner 1.
    auto materialOnEdge01 = [](int d0, int m0, int d1, int m1) {
        std::array<int, 8> d { d0, d1, d0, d1, d0, d1, d0, d1 };
        std::array<int, 8> m { m0, m1, m0, m1, m0, m1, m0, m1 };
        const auto triangles = polygonize(cellField(d, m), unitCell, 1);
        EXPECT_FALSE(triangles.empty());
        return triangles.empty() ? -1 : triangles[0].materials[0];
    };
    EXPECT_EQ(materialOnEdge01(SOLID, 3, AIR, 10), 3);
    EXPECT_EQ(materialOnEdge01(AIR, 10, SOLID, 3), 3);
    // Without a fully-air corner the nearer corner decides, the second one on a tie.
    EXPECT_EQ(materialOnEdge01(100, 3, -20, 5), 5);
    EXPECT_EQ(materialOnEdge01(20, 3, -100, 5), 3);
    EXPECT_EQ(materialOnEdge01(50, 3, -50, 5), 5);
}

TEST(PolygonizerTest, MaterialWeightsFollowTheFirstVertex)
{
    FunctionField field(randomField(7));
    std::vector<MeshVertex> triangles;
    Polygonizer(field, identityLayers()).polygonize({ 0, 10, 0, 10, 0, 10 }, 1, acceptAll, triangles);
    using Weights = std::array<float, 3>;
    auto weightsOf = [](const MeshVertex& v) { return Weights { v.weights[0], v.weights[1], v.weights[2] }; };
    bool sawAAB = false;
    bool sawABB = false;
    for (std::size_t i = 0; i < triangles.size(); i += 3) {
        const std::uint8_t* m = triangles[i].materials;
        for (int n = 0; n < 3; ++n)
            EXPECT_EQ(std::memcmp(triangles[i + n].materials, m, 3), 0);
        if (m[0] == m[1] && m[1] != m[2]) {
            sawAAB = true;
            EXPECT_EQ(weightsOf(triangles[i + 1]), (Weights { 1, 0, 0 }));
            EXPECT_EQ(weightsOf(triangles[i + 2]), (Weights { 0, 0, 1 }));
        }
        if (m[0] != m[1] && m[1] == m[2]) {
            sawABB = true;
            EXPECT_EQ(weightsOf(triangles[i + 1]), (Weights { 0, 1, 0 }));
            EXPECT_EQ(weightsOf(triangles[i + 2]), (Weights { 0, 0, 1 }));
        }
        EXPECT_EQ(weightsOf(triangles[i]), (Weights { 1, 0, 0 }));
    }
    EXPECT_TRUE(sawAAB);
    EXPECT_TRUE(sawABB);
}

TEST(PolygonizerTest, RejectedTrianglesAddNothingAndTheFilterSeesDrawingOrder)
{
    FunctionField field(randomField(3));
    std::vector<MeshVertex> all;
    Polygonizer(field, identityLayers()).polygonize({ 0, 6, 0, 6, 0, 6 }, 1, acceptAll, all);
    std::vector<MeshVertex> kept;
    std::size_t seen = 0;
    Polygonizer(field, identityLayers())
        .polygonize(
            { 0, 6, 0, 6, 0, 6 }, 1,
            [&](const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
                // The filter gets table vertices 2, 1, 0.
                EXPECT_EQ(a.position, all[seen + 2].position);
                EXPECT_EQ(b.position, all[seen + 1].position);
                EXPECT_EQ(c.position, all[seen].position);
                seen += 3;
                return seen % 2 == 0;
            },
            kept);
    EXPECT_EQ(seen, all.size());
    EXPECT_EQ(kept.size(), 3 * (all.size() / 6));
}

// Random fields at steps 1 and 2: every vertex inside the box, every index in
// range, and every edge inside the box shared by exactly two triangles in
// opposite directions.
TEST(PolygonizerTest, RandomFieldsGiveWatertightMeshesInsideTheBox)
{
    for (unsigned seed = 1; seed <= 12; ++seed)
        for (int step : { 1, 2 }) {
            FunctionField field(randomField(seed));
            const VoxelBox box { -4, 6, 2, 12, -9, 1 };
            const Mesh mesh = meshOf(field, box, step);
            ASSERT_FALSE(mesh.triangles.empty());
            for (const MeshVertex& v : mesh.vertices) {
                EXPECT_TRUE(v.position.x >= box.x0 && v.position.x <= box.x1 && v.position.y >= box.y0
                    && v.position.y <= box.y1 && v.position.z >= box.z0 && v.position.z <= box.z1);
            }
            std::map<std::pair<Point, Point>, int> directed;
            for (const MeshTriangle& t : mesh.triangles)
                for (int n = 0; n < 3; ++n) {
                    ASSERT_LT(t.index[n], mesh.vertices.size());
                    ++directed[{ pointOf(mesh.vertices[t.index[n]].position),
                        pointOf(mesh.vertices[t.index[(n + 1) % 3]].position) }];
                }
            auto onBorder = [&](const Point& a, const Point& b) {
                auto [ax, ay, az] = a;
                auto [bx, by, bz] = b;
                return (ax == bx && (ax == box.x0 || ax == box.x1))
                    || (ay == by && (ay == box.y0 || ay == box.y1))
                    || (az == bz && (az == box.z0 || az == box.z1));
            };
            for (const auto& [edge, count] : directed) {
                if (onBorder(edge.first, edge.second))
                    continue;
                EXPECT_EQ(count, 1) << "seed " << seed << " step " << step;
                const auto reverse = directed.find({ edge.second, edge.first });
                EXPECT_TRUE(reverse != directed.end() && reverse->second == 1)
                    << "seed " << seed << " step " << step;
            }
        }
}
