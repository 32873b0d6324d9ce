#include "Graphics/Cube.h"
#include "Graphics/Line.h"
#include "Graphics/Sphere.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(DebugShapeGeometryTest, CubeIsABoxOfTwiceTheHalfSizeAroundItsCentre)
{
    const Cube cube(1.0f, 2.0f, 3.0f, 0.1f, 0.5f, 0.25f, 1.0f);
    ASSERT_EQ(cube.vertices.size(), 24u);
    EXPECT_EQ(cube.mode, static_cast<GLenum>(GL_QUADS));

    float low[3] = { 1e9f, 1e9f, 1e9f };
    float high[3] = { -1e9f, -1e9f, -1e9f };
    for (const ShapeVertex& v : cube.vertices) {
        const float p[3] = { v.x, v.y, v.z };
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], p[axis]);
            high[axis] = std::max(high[axis], p[axis]);
        }
        EXPECT_EQ(v.r, 0.5f);
        EXPECT_EQ(v.g, 0.25f);
        EXPECT_EQ(v.b, 1.0f);
    }
    const float centre[3] = { 1.0f, 2.0f, 3.0f };
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(high[axis] - low[axis], 0.2f, 1e-6);
        EXPECT_NEAR((high[axis] + low[axis]) / 2, centre[axis], 1e-6);
    }

    // Every face is planar and turns counter-clockwise seen from outside, so
    // back-face culling keeps the outside.
    for (int face = 0; face < 6; ++face) {
        const ShapeVertex* q = &cube.vertices[face * 4];
        const float a[3] = { q[1].x - q[0].x, q[1].y - q[0].y, q[1].z - q[0].z };
        const float b[3] = { q[2].x - q[0].x, q[2].y - q[0].y, q[2].z - q[0].z };
        const float normal[3]
            = { a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0] };
        float outward = 0;
        float planar = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const float corner[3] = { q[0].x, q[0].y, q[0].z };
            const float last[3] = { q[3].x, q[3].y, q[3].z };
            outward += normal[axis] * (corner[axis] - centre[axis]);
            planar += normal[axis] * (last[axis] - corner[axis]);
        }
        EXPECT_GT(outward, 0.0f) << "face " << face;
        EXPECT_NEAR(planar, 0.0f, 1e-6) << "face " << face;
    }
}

TEST(DebugShapeGeometryTest, SphereIsOneStripOf288VerticesOnItsSurface)
{
    const Sphere sphere(5.0f, -1.0f, 2.0f, 0.3f, 1.0f, 0.0f, 0.0f);
    ASSERT_EQ(sphere.vertices.size(), 288u);
    EXPECT_EQ(sphere.mode, static_cast<GLenum>(GL_TRIANGLE_STRIP));
    for (const ShapeVertex& v : sphere.vertices) {
        EXPECT_NEAR(std::hypot(v.x - 5.0f, v.y + 1.0f, v.z - 2.0f), 0.3f, 1e-5);
        EXPECT_EQ(v.r, 1.0f);
    }
    EXPECT_NEAR(sphere.vertices[0].y, -0.7f, 1e-6) << "the strip starts at the top pole";
}

TEST(DebugShapeGeometryTest, LineJoinsItsEndsAndIsDroppedAfterDrawingByDefault)
{
    const Line line(0, 1, 2, 3, 4, 5, 0, 1, 0);
    ASSERT_EQ(line.vertices.size(), 2u);
    EXPECT_EQ(line.mode, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(line.vertices[1].z, 5.0f);
    EXPECT_EQ(line.vertices[1].g, 1.0f);
    EXPECT_EQ(line.keep, 0.0f);
    EXPECT_TRUE(line.depthTest);
    EXPECT_FALSE(line.wireframe);
}

} // namespace
