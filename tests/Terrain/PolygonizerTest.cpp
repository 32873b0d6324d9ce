#include "TestFields.h"

#include <array>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <tuple>

namespace {

constexpr int AIR = -127;
constexpr int SOLID = 127;
using Point = std::tuple<double, double, double>;

Point pointOf(const Vector3& v)
{
    return { v.x, v.y, v.z };
}

// The unit cell whose corner n = x + 2y + 4z has densities[n] and materials[n].
std::vector<MeshVertex> unitCell(std::array<int, 8> densities, std::array<int, 8> materials)
{
    return trianglesOf(
        [=](int x, int y, int z) {
            const int n = x + 2 * y + 4 * z;
            const bool inside = x >= 0 && x <= 1 && y >= 0 && y <= 1 && z >= 0 && z <= 1;
            return inside ? VoxelSample { densities[n], materials[n] } : VoxelSample { AIR, 10 };
        },
        { 0, 1, 0, 1, 0, 1 }, 1);
}

} // namespace

TEST(PolygonizerTest, VerticesOnSingleCells)
{
    for (int density : { AIR, -1, 0, 1, SOLID })
        EXPECT_TRUE(trianglesOf(
            [=](int, int, int) {
                return VoxelSample { density, 1 };
            },
            { 0, 8, 0, 8, 0, 8 }, 2)
                        .empty())
            << density;
    // Corner 0 alone inside: its three edges are crossed where the densities
    // interpolate to zero; a zero density puts the vertex on the corner.
    for (auto [inside, outside] : { std::pair { 27, -100 }, std::pair { 0, -60 } }) {
        std::array<int, 8> d;
        d.fill(outside);
        d[0] = inside;
        const auto triangles = unitCell(d, { 1, 1, 1, 1, 1, 1, 1, 1 });
        ASSERT_EQ(triangles.size(), 3u);
        std::set<Point> points;
        for (const MeshVertex& v : triangles)
            points.insert(pointOf(v.position));
        const double t = double(inside) / (inside - outside);
        EXPECT_EQ(points, (std::set<Point> { { t, 0, 0 }, { 0, t, 0 }, { 0, 0, t } })) << inside;
    }
    // Edge 0-1 crossed at its middle: a fully-air corner never lends its
    // material; otherwise the nearer corner decides, the second one on a tie.
    const std::array<int, 5> cases[] = { { SOLID, 3, AIR, 10, 3 }, { AIR, 10, SOLID, 3, 3 },
        { 100, 3, -20, 5, 5 }, { 20, 3, -100, 5, 3 }, { 50, 3, -50, 5, 5 } };
    for (const auto& [d0, m0, d1, m1, expected] : cases) {
        const auto triangles
            = unitCell({ d0, d1, d0, d1, d0, d1, d0, d1 }, { m0, m1, m0, m1, m0, m1, m0, m1 });
        ASSERT_FALSE(triangles.empty());
        EXPECT_EQ(triangles[0].materials[0], expected) << d0 << " " << d1;
    }
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
        { 2, { 40, -40, -100 }, 0.5 }, // not 0.571 between the coarse samples
        { 2, { 50, 10, -30 }, 1.25 }, // the walk from the outside corner stops at y = 1
        { 4, { 50, 20, -10, -40, -80 }, 1.0 + 20.0 / 30.0 },
    };
    for (const Case& c : cases) {
        const auto column = [&](int, int y, int) {
            return VoxelSample { c.column[std::clamp<std::size_t>(y, 0, c.column.size() - 1)], 1 };
        };
        const auto triangles = trianglesOf(column, { 0, c.step, 0, c.step, 0, c.step }, c.step);
        ASSERT_FALSE(triangles.empty());
        for (const MeshVertex& v : triangles)
            EXPECT_NEAR(v.position.y, c.expectedY, 1e-12) << "step " << c.step;
    }
}

// The materials are the first vertex's; the weights pick each vertex's slot.
// The filter sees table vertices 2, 1, 0, and what it rejects adds nothing.
TEST(PolygonizerTest, WeightsAndTheTriangleFilter)
{
    const VoxelBox box { 0, 10, 0, 10, 0, 10 };
    const auto all = trianglesOf(randomField(7), box, 1);
    using Weights = std::array<float, 3>;
    auto weightsOf = [](const MeshVertex& v) { return Weights { v.weights[0], v.weights[1], v.weights[2] }; };
    int aab = 0, abb = 0;
    for (std::size_t i = 0; i < all.size(); i += 3) {
        const std::uint8_t* m = all[i].materials;
        EXPECT_TRUE(
            std::memcmp(all[i + 1].materials, m, 3) == 0 && std::memcmp(all[i + 2].materials, m, 3) == 0);
        const bool twoFirst = m[0] == m[1] && m[1] != m[2], twoLast = m[0] != m[1] && m[1] == m[2];
        aab += twoFirst;
        abb += twoLast;
        EXPECT_EQ(weightsOf(all[i]), (Weights { 1, 0, 0 }));
        if (twoFirst || twoLast) {
            EXPECT_EQ(weightsOf(all[i + 1]), (Weights { float(twoFirst), float(twoLast), 0 }));
            EXPECT_EQ(weightsOf(all[i + 2]), (Weights { 0, 0, 1 }));
        }
    }
    EXPECT_TRUE(aab > 0 && abb > 0);

    std::size_t seen = 0;
    const auto kept = trianglesOf(
        randomField(7), box, 1, [&](const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
            EXPECT_TRUE(a.position == all[seen + 2].position && b.position == all[seen + 1].position
                && c.position == all[seen].position);
            seen += 3;
            return seen % 2 == 0;
        });
    EXPECT_EQ(seen, all.size());
    EXPECT_EQ(kept.size(), 3 * (all.size() / 6));
}

// Random fields at steps 1 and 2: every vertex inside the box, every index in
// range, and every edge inside the box shared by exactly two triangles in
// opposite directions.
TEST(PolygonizerTest, RandomFieldsGiveWatertightMeshesInsideTheBox)
{
    const VoxelBox box { -4, 6, 2, 12, -9, 1 };
    auto inside = [&](double x, double y, double z) {
        return x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1 && z >= box.z0 && z <= box.z1;
    };
    for (unsigned seed = 1; seed <= 12; ++seed)
        for (int step : { 1, 2 }) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const Mesh mesh = MeshWelder::weld(trianglesOf(randomField(seed), box, step));
            ASSERT_FALSE(mesh.triangles.empty());
            for (const MeshVertex& v : mesh.vertices)
                EXPECT_TRUE(inside(v.position.x, v.position.y, v.position.z));
            std::map<std::pair<Point, Point>, int> directed;
            for (const MeshTriangle& t : mesh.triangles)
                for (int n = 0; n < 3; ++n) {
                    ASSERT_LT(t.index[n], mesh.vertices.size());
                    ++directed[{ pointOf(mesh.vertices[t.index[n]].position),
                        pointOf(mesh.vertices[t.index[(n + 1) % 3]].position) }];
                }
            for (const auto& [edge, count] : directed) {
                const auto [ax, ay, az] = edge.first;
                const auto [bx, by, bz] = edge.second;
                // Edges on the box's faces are open.
                if ((ax == bx && (ax == box.x0 || ax == box.x1))
                    || (ay == by && (ay == box.y0 || ay == box.y1))
                    || (az == bz && (az == box.z0 || az == box.z1)))
                    continue;
                const auto reverse = directed.find({ edge.second, edge.first });
                EXPECT_TRUE(count == 1 && reverse != directed.end() && reverse->second == 1);
            }
        }
}
