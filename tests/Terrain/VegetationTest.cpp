#include "TestFields.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint8_t GRASS = 3;

// Adds a triangle with stored vertices s0, s1, s2 and the given materials.
void addTriangle(Mesh& mesh, const Vector3& s0, const Vector3& s1, const Vector3& s2,
    std::array<std::uint8_t, 3> materials = { GRASS, GRASS, GRASS })
{
    const auto first = static_cast<std::uint32_t>(mesh.vertices.size());
    for (const Vector3& p : { s0, s1, s2 }) {
        MeshVertex v;
        v.position = p;
        std::copy(materials.begin(), materials.end(), v.materials);
        mesh.vertices.push_back(v);
    }
    mesh.triangles.push_back({ { first, first + 1, first + 2 } });
}

} // namespace

TEST(VegetationTest, PointsSitAlongTheFirstEdgeOfGrassTrianglesAndKeepTheirSpacing)
{
    Mesh mesh;
    addTriangle(mesh, { 0, 0, 0 }, { 3, 0, 0 }, { 3, 0, 3 });
    // A first edge shorter than 0.5 gets no point, however long the others are.
    addTriangle(mesh, { 10, 0, 0 }, { 10.4, 0, 0 }, { 20, 0, 5 });
    // One material slot that is not grass keeps a triangle bare.
    addTriangle(mesh, { 0, 5, 0 }, { 3, 5, 0 }, { 3, 5, 3 }, { GRASS, GRASS, 4 });
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
}

TEST(VegetationTest, TheSpacingGridFindsWhatThePlainScanFinds)
{
    for (unsigned seed = 1; seed <= 4; ++seed) {
        // Grass everywhere on a noisy surface: many close candidates.
        const auto grass = [seed](int x, int y, int z) {
            return VoxelSample { randomField(seed)(x, y, z).density, GRASS };
        };
        const Mesh mesh = MeshWelder::weld(trianglesOf(grass, { -7, 5, 0, 12, 3, 15 }, 1));
        const auto fast = Vegetation::points(mesh, GRASS);
        const auto reference = referencePoints(mesh, GRASS);
        ASSERT_EQ(fast.size(), reference.size());
        for (std::size_t i = 0; i < fast.size(); ++i) {
            EXPECT_EQ(fast[i].position, reference[i].position);
            EXPECT_EQ(fast[i].normal, reference[i].normal);
        }
    }
}

TEST(VegetationTest, EachPointStandsAQuadOneHighAndTwoWide)
{
    const auto quad = Vegetation::quads({ { { 1.0, 2.0, 3.0 }, { 0, 1, 0 } } });
    ASSERT_EQ(quad.size(), 4u);
    auto at = [&](int i) { return Vector3(quad[i].position[0], quad[i].position[1], quad[i].position[2]); };
    EXPECT_NEAR((at(1) - at(0)).dot({ 0, 1, 0 }), 1.0, 1e-6);
    EXPECT_NEAR(((at(0) + at(3)) / 2.0 - Vector3(1, 2, 3)).length(), 0.0, 1e-6);
    // Two wide, turned by x * y * z = 6 degrees about the normal from the unturned side (0, 0, 1).
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
