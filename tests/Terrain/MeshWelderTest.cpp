#include "TestFields.h"

#include <gtest/gtest.h>

namespace {

MeshVertex vertexAt(double x, double y, double z, std::uint8_t material = 1)
{
    MeshVertex v;
    v.position = { x, y, z };
    v.weights[0] = 1.0f;
    v.materials[0] = v.materials[1] = v.materials[2] = material;
    return v;
}

} // namespace

TEST(MeshWelderTest, SharesAVertexOnlyWhenPositionMaterialsAndWeightsMatch)
{
    MeshWelder welder;
    const MeshVertex base = vertexAt(2.5, 1.0, -3.0);
    EXPECT_EQ(welder.addVertex(base), 0u);
    EXPECT_EQ(welder.addVertex(vertexAt(2.5 + 5e-7, 1.0, -3.0)), 0u);
    EXPECT_EQ(welder.addVertex(vertexAt(2.5, 1.0, -3.0 - 2e-6)), 1u);

    MeshVertex otherMaterials = base;
    otherMaterials.materials[2] = 4;
    EXPECT_EQ(welder.addVertex(otherMaterials), 2u);
    MeshVertex otherWeights = base;
    otherWeights.weights[0] = 0.0f;
    otherWeights.weights[1] = 1.0f;
    EXPECT_EQ(welder.addVertex(otherWeights), 3u);
    // The normal and intensity play no part.
    MeshVertex otherNormal = base;
    otherNormal.normal = { 0, 1, 0 };
    EXPECT_EQ(welder.addVertex(otherNormal), 0u);
    EXPECT_EQ(welder.take().vertices.size(), 4u);
}

TEST(MeshWelderTest, FindsTheEarliestMatchAcrossGridCellBorders)
{
    MeshWelder welder;
    // On a grid line (half units) and just either side of it.
    EXPECT_EQ(welder.addVertex(vertexAt(1.5 + 4e-7, 0.0, 0.0)), 0u);
    EXPECT_EQ(welder.addVertex(vertexAt(1.5 - 4e-7, 0.0, 0.0)), 0u);
    EXPECT_EQ(welder.addVertex(vertexAt(1.5 - 9e-7, 0.0, 0.0)), 1u);
    // Nearer to vertex 1, within reach of both: the earlier one wins.
    EXPECT_EQ(welder.addVertex(vertexAt(1.5 - 5e-7, 0.0, 0.0)), 0u);
}

TEST(MeshWelderTest, TrianglesAreStoredInReverseTableOrder)
{
    MeshWelder welder;
    welder.addTriangle(vertexAt(0, 0, 0), vertexAt(1, 0, 0), vertexAt(0, 1, 0));
    welder.addTriangle(vertexAt(1, 0, 0), vertexAt(1, 1, 0), vertexAt(0, 1, 0));
    const Mesh mesh = welder.take();
    ASSERT_EQ(mesh.vertices.size(), 4u);
    ASSERT_EQ(mesh.triangles.size(), 2u);
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.triangles[0].index, mesh.triangles[0].index + 3),
        (std::vector<std::uint32_t> { 2, 1, 0 }));
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.triangles[1].index, mesh.triangles[1].index + 3),
        (std::vector<std::uint32_t> { 2, 3, 1 }));
}

TEST(MeshWelderTest, GivesExactlyTheMeshOfThePlainScan)
{
    for (unsigned seed = 1; seed <= 3; ++seed)
        for (int step : { 1, 2, 4 }) {
            FunctionField field(randomField(seed));
            std::vector<MeshVertex> triangles;
            const int size = 8 * step;
            Polygonizer(field, identityLayers())
                .polygonize({ -5, size - 5, 0, size, 5, size + 5 }, step, acceptAll, triangles);
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
