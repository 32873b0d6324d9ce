#include "Transform.h"

#include <gtest/gtest.h>

namespace {
void expectNear(const Vec3& a, const Vec3& b)
{
    EXPECT_NEAR(a.x, b.x, 1e-9);
    EXPECT_NEAR(a.y, b.y, 1e-9);
    EXPECT_NEAR(a.z, b.z, 1e-9);
}
}

TEST(TransformTest, ProductsApplyTheRightHandSideFirst)
{
    const Transform t = Transform::translate({ 1, 0, 0 }) * Transform::rotate({ 0, 0, 1 }, 90.0)
        * Transform::scale({ 2, 1, 1 });
    // Scaled to (2, 0, 0), turned to (0, 2, 0), moved to (1, 2, 0).
    expectNear(t.point({ 1, 0, 0 }), { 1, 2, 0 });
}

TEST(TransformTest, NormalsStayPerpendicularUnderUnevenScaling)
{
    const Transform t = Transform::rotate({ 1, 1, 0 }, 30.0) * Transform::scale({ 1, 3, 0.5 });
    // The plane x + y = 0 holds the directions (1, -1, 0) and (0, 0, 1).
    const Vec3 normal = t.normal({ 1, 1, 0 });
    const Vec3 along1 = t.point({ 1, -1, 0 }), along2 = t.point({ 0, 0, 1 });
    EXPECT_NEAR(normal.dot(along1), 0.0, 1e-9);
    EXPECT_NEAR(normal.dot(along2), 0.0, 1e-9);
    EXPECT_NEAR(normal.length(), 1.0, 1e-9);
}

TEST(TransformTest, MirroringKeepsNormalsOnTheSameSide)
{
    const Transform mirror = Transform::scale({ -1, 1, 1 });
    EXPECT_TRUE(mirror.mirrors());
    EXPECT_FALSE(Transform::rotate({ 0, 1, 0 }, 180.0).mirrors());
    // A point outside a surface stays on the side its normal points to.
    expectNear(mirror.normal({ 1, 0, 0 }), { -1, 0, 0 });
}
