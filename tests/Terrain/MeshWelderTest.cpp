#include "TestFields.h"

#include <gtest/gtest.h>

namespace {

MeshVertex vertexAt(double x, double y, double z)
{
    MeshVertex v;
    v.position = { x, y, z };
    v.weights[0] = 1.0f;
    v.materials[0] = v.materials[1] = v.materials[2] = 1;
    return v;
}

} // namespace

TEST(MeshWelderTest, SharesTheEarliestVertexOfTheSamePositionMaterialsAndWeights)
{
    MeshWelder welder;
    const MeshVertex base = vertexAt(1.5 + 4e-7, 1.0, -3.0);
    MeshVertex otherMaterials = base, otherWeights = base, otherNormal = base;
    otherMaterials.materials[2] = 4;
    otherWeights.weights[0] = 0.0f;
    otherWeights.weights[1] = 1.0f;
    otherNormal.normal = { 0, 1, 0 };
    // Across the hash grid's line at 1.5: within 1e-6 welds, and of two
    // matches the earlier wins even when the later one is nearer.
    const std::pair<MeshVertex, std::uint32_t> sequence[]
        = { { base, 0 }, { vertexAt(1.5 - 4e-7, 1.0, -3.0), 0 }, { vertexAt(1.5 - 9e-7, 1.0, -3.0), 1 },
              { vertexAt(1.5 - 5e-7, 1.0, -3.0), 0 }, { vertexAt(1.5, 1.0, -3.0 - 2e-6), 2 },
              { otherMaterials, 3 }, { otherWeights, 4 }, { otherNormal, 0 } };
    for (const auto& [vertex, index] : sequence)
        EXPECT_EQ(welder.addVertex(vertex), index);
    EXPECT_EQ(welder.take().vertices.size(), 5u);
}

TEST(MeshWelderTest, GivesExactlyTheMeshOfThePlainScan)
{
    for (unsigned seed = 1; seed <= 3; ++seed)
        for (int step : { 1, 2, 4 }) {
            const auto triangles
                = trianglesOf(randomField(seed), { -5, 8 * step - 5, 0, 8 * step, 5, 8 * step + 5 }, step);
            ASSERT_FALSE(triangles.empty());
            EXPECT_TRUE(sameMesh(MeshWelder::weld(triangles), referenceWeld(triangles)))
                << "seed " << seed << " step " << step;
        }
}

TEST(MeshWelderTest, MeshesBeyondSixteenBitIndicesDropTheTrianglesThatDoNotFit)
{
    Mesh mesh;
    for (int i = 0; i < 6; ++i)
        mesh.vertices.push_back(vertexAt(i, 0, 0));
    mesh.triangles = { { { 0, 1, 2 } }, { { 2, 3, 4 } }, { { 3, 4, 5 } }, { { 1, 2, 3 } } };
    EXPECT_EQ(mesh.keepVertices(4), 2u);
    EXPECT_EQ(mesh.vertices.size(), 4u);
    ASSERT_EQ(mesh.triangles.size(), 2u);
    EXPECT_EQ(mesh.triangles[1].index[0], 1u);
    EXPECT_EQ(mesh.keepVertices(4), 0u);
}
