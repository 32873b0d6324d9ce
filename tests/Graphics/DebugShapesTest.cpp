#include "Graphics/Cube.h"
#include "Graphics/Sphere.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(DebugShapeGeometryTest, CubeIsABoxOfTwiceTheHalfSizeAroundItsCentre)
{
    const Cube cube(1.0f, 2.0f, 3.0f, 0.1f, 0.5f, 0.25f, 1.0f);
    ASSERT_EQ(cube.vertices.size(), 24u);
    const float centre[3] = { 1.0f, 2.0f, 3.0f };
    for (int axis = 0; axis < 3; ++axis) {
        auto coordinate = [axis](const ShapeVertex& v) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; };
        auto [low, high] = std::minmax_element(cube.vertices.begin(), cube.vertices.end(),
            [&](const ShapeVertex& a, const ShapeVertex& b) { return coordinate(a) < coordinate(b); });
        EXPECT_NEAR(coordinate(*high) - coordinate(*low), 0.2f, 1e-6);
        EXPECT_NEAR(coordinate(*high) + coordinate(*low), 2 * centre[axis], 1e-6);
    }
    EXPECT_TRUE(std::all_of(cube.vertices.begin(), cube.vertices.end(),
        [](const ShapeVertex& v) { return v.r == 0.5f && v.g == 0.25f && v.b == 1.0f; }));
}

TEST(DebugShapeGeometryTest, SphereIsOneStripOf288VerticesOnItsSurface)
{
    const Sphere sphere(5.0f, -1.0f, 2.0f, 0.3f, 1.0f, 0.0f, 0.0f);
    ASSERT_EQ(sphere.vertices.size(), 288u);
    EXPECT_EQ(sphere.mode, static_cast<GLenum>(GL_TRIANGLE_STRIP));
    for (const ShapeVertex& v : sphere.vertices)
        EXPECT_NEAR(std::hypot(v.x - 5.0f, v.y + 1.0f, v.z - 2.0f), 0.3f, 1e-5);
}

} // namespace
