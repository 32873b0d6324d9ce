#include "Terrain/Mesh.h"

#include <gtest/gtest.h>

TEST(MeshTest, MeshesBeyondSixteenBitIndicesDropTheTrianglesThatDoNotFit)
{
    Mesh mesh;
    for (int i = 0; i < 6; ++i) {
        MeshVertex v;
        v.position = { static_cast<double>(i), 0.0, 0.0 };
        mesh.vertices.push_back(v);
    }
    mesh.triangles = { { { 0, 1, 2 } }, { { 2, 3, 4 } }, { { 3, 4, 5 } }, { { 1, 2, 3 } } };
    EXPECT_EQ(mesh.keepVertices(4), 2u);
    EXPECT_EQ(mesh.vertices.size(), 4u);
    ASSERT_EQ(mesh.triangles.size(), 2u);
    EXPECT_EQ(mesh.triangles[1].index[0], 1u);
    EXPECT_EQ(mesh.keepVertices(4), 0u);
}
