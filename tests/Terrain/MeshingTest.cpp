#include "TestFields.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace {

constexpr int AIR = -127, SOLID = 127;
constexpr std::uint8_t GRASS = 3;
using Point = std::tuple<double, double, double>;
const auto pointOf = [](const Vector3& v) { return Point { v.x, v.y, v.z }; };

// Adds a grass triangle with stored vertices s0, s1, s2, whose last material
// slot may hold another material.
void addTriangle(
    Mesh& mesh, const Vector3& s0, const Vector3& s1, const Vector3& s2, std::uint8_t last = GRASS)
{
    const auto first = static_cast<std::uint32_t>(mesh.vertices.size());
    for (const Vector3& p : { s0, s1, s2 }) {
        mesh.vertices.push_back(vertexAt(p, GRASS));
        mesh.vertices.back().materials[2] = last;
    }
    mesh.triangles.push_back({ { first, first + 1, first + 2 } });
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

TEST(PolygonizerTest, VerticesOnSingleCellsAndCoarseSteps)
{
    for (int density : { AIR, -1, 0, 1, SOLID }) {
        const auto uniform = [=](int, int, int) { return VoxelSample { density, 1 }; };
        EXPECT_TRUE(trianglesOf(uniform, { 0, 8, 0, 8, 0, 8 }, 2).empty()) << density;
    }
    // Corner 0 alone inside: its three edges are crossed where the densities
    // interpolate to zero; a zero density puts the vertex on the corner.
    for (auto [inside, outside] : { std::pair { 27, -100 }, std::pair { 0, -60 } }) {
        const int o = outside;
        const auto triangles = unitCell({ inside, o, o, o, o, o, o, o }, { 1, 1, 1, 1, 1, 1, 1, 1 });
        ASSERT_EQ(triangles.size(), 3u);
        std::set<Point> points;
        for (const MeshVertex& v : triangles)
            points.insert(pointOf(v.position));
        const double t = double(inside) / (inside - o);
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
    // Coarse steps put the vertex on the one-voxel edge the crossing lies on,
    // walking from the outside corner: densities at y = 0, 1, 2, ...
    const std::tuple<int, std::vector<int>, double> columns[] = { { 2, { 40, -40, -100 }, 0.5 },
        { 2, { 50, 10, -30 }, 1.25 }, { 4, { 50, 20, -10, -40, -80 }, 1.0 + 20.0 / 30.0 } };
    for (const auto& [step, densities, y] : columns) {
        const auto column = [values = densities](int, int y, int) {
            return VoxelSample { values[std::clamp<std::size_t>(y, 0, values.size() - 1)], 1 };
        };
        const auto triangles = trianglesOf(column, { 0, step, 0, step, 0, step }, step);
        ASSERT_FALSE(triangles.empty());
        for (const MeshVertex& v : triangles)
            EXPECT_NEAR(v.position.y, y, 1e-12) << "step " << step;
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
        aab += twoFirst, abb += twoLast;
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
            const Mesh mesh = meshOf(randomField(seed), box, step);
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

TEST(MeshWelderTest, VerticesWeldWithinAMillionthWithTheSameMaterialsAndWeights)
{
    const MeshVertex base = vertexAt({ 1.5 + 4e-7, 1.0, -3.0 });
    MeshVertex otherMaterials = base, otherWeights = base, otherNormal = base;
    otherMaterials.materials[2] = 4;
    otherWeights.weights[0] = 0.0f;
    otherWeights.weights[1] = 1.0f;
    otherNormal.normal = { 0, 1, 0 };
    const std::pair<MeshVertex, bool> cases[] = { { vertexAt({ 1.5 - 4e-7, 1.0, -3.0 }), true },
        { vertexAt({ 1.5 - 9e-7, 1.0, -3.0 }), false }, { vertexAt({ 1.5, 1.0, -3.0 - 2e-6 }), false },
        { otherMaterials, false }, { otherWeights, false }, { otherNormal, true } };
    for (const auto& [vertex, welds] : cases)
        EXPECT_EQ(welds, base.weldsWith(vertex)) << vertex.position.x << " " << vertex.position.z;
}

// Both rings' grass stands equally dense where they meet: per unit of flat
// and of hilly ground, a coarse mesh's points (its triangles split) are
// within 10% of a fine mesh's; unsplit they would be about half as many.
TEST(VegetationTest, CoarseMeshesCarryGrassAsDenseAsFineOnes)
{
    const FunctionField::Function hills = [](int x, int y, int z) {
        const double h = 6.3 + 3.0 * std::sin(x * 0.21) + 2.0 * std::cos(z * 0.17 + 0.3 * x);
        return VoxelSample { static_cast<int>(std::clamp((h - y) * 40.0, -127.0, 127.0)), GRASS };
    };
    const FunctionField::Function grounds[] = { groundBelow(6.3, GRASS), hills };
    for (const auto& ground : grounds) {
        auto density = [&](int meshStep, int step) {
            const auto points
                = Vegetation::points(meshOf(ground, { 0, 48, -4, 16, 0, 48 }, meshStep), GRASS, step);
            return std::count_if(points.begin(), points.end(), [](const VegetationPoint& p) {
                return p.position.x >= 8 && p.position.x < 40 && p.position.z >= 8 && p.position.z < 40;
            }) / 1024.0;
        };
        const double fine = density(2, 2), coarse = density(4, 4);
        EXPECT_GT(fine, 0.9);
        EXPECT_NEAR(coarse / fine, 1.0, 0.1);
        EXPECT_LT(density(4, 2) / fine, 0.6) << "what the split makes up for";
    }
}

TEST(VegetationTest, PointsAlongTheFirstEdgeOfGrassTrianglesKeepTheirSpacingAndStandQuads)
{
    Mesh mesh;
    addTriangle(mesh, { 0, 0, 0 }, { 3, 0, 0 }, { 3, 0, 3 });
    // A first edge shorter than 0.5 gets no point, however long the others are.
    addTriangle(mesh, { 10, 0, 0 }, { 10.4, 0, 0 }, { 20, 0, 5 });
    // One material slot that is not grass keeps a triangle bare.
    addTriangle(mesh, { 0, 5, 0 }, { 3, 5, 0 }, { 3, 5, 3 }, 4);
    // Closer than the spacing to the first triangle's points.
    addTriangle(mesh, { 0, 0.3, 0 }, { 3, 0.3, 0 }, { 3, 0.3, 3 });
    const auto points = Vegetation::points(mesh, GRASS);
    ASSERT_EQ(points.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(points[i].position, Vector3(0.5 + i, 0, 0));
        // (s1 - s0) x (s2 - s1) = (3, 0, 0) x (0, 0, 3)
        EXPECT_EQ(points[i].normal, Vector3(0, -1, 0));
    }
    addTriangle(mesh, { 0, 0.34, 0 }, { 1, 0.34, 0 }, { 1, 0.34, 1 });
    EXPECT_EQ(Vegetation::points(mesh, GRASS).size(), 4u) << "exactly the spacing apart";
    // Each point stands a quad one high and two wide, turned by x * y * z = 6
    // degrees about the normal from the unturned side (0, 0, 1).
    const auto quad = Vegetation::quads({ { { 1.0, 2.0, 3.0 }, { 0, 1, 0 } } });
    ASSERT_EQ(quad.size(), 4u);
    auto at = [&](int i) { return Vector3(quad[i].position[0], quad[i].position[1], quad[i].position[2]); };
    EXPECT_NEAR((at(1) - at(0)).dot({ 0, 1, 0 }), 1.0, 1e-6);
    EXPECT_NEAR(((at(0) + at(3)) / 2.0 - Vector3(1, 2, 3)).length(), 0.0, 1e-6);
    const Vector3 side = (at(0) - at(3)) / 2.0;
    EXPECT_NEAR(side.length(), 1.0, 1e-6);
    EXPECT_NEAR(side.dot({ 0, 0, 1 }), std::cos(6.0 * 3.141592653589 / 180.0), 1e-6);
    std::vector<float> texCoords;
    for (const auto& corner : quad) {
        texCoords.insert(texCoords.end(), { corner.texCoord[0], corner.texCoord[1] });
        EXPECT_EQ(corner.normal[1], 1.0f);
    }
    EXPECT_EQ(texCoords, (std::vector<float> { 0, 0, 0, 1, 1, 1, 1, 0 }));
}
