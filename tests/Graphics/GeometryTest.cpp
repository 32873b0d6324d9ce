#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Graphics/Frustum.h"
#include "Graphics/Rotation.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

static void expectNear(const Vector3& expected, const Vector3& actual, double tolerance = 1e-9)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

static void expectOrthonormal(const Orientation& o)
{
    const Vector3 axes[] = { o.forward, o.up, o.right };
    for (int i = 0; i < 3; ++i)
        for (int j = i; j < 3; ++j)
            EXPECT_NEAR(i == j ? 1.0 : 0.0, axes[i].dot(axes[j]), 1e-9) << i << j;
}

// Rodrigues' formula, independent of the elementary-rotation composition.
static Vector3 rodrigues(const Vector3& v, const Vector3& axis, double degrees)
{
    const Vector3 k = axis.normalise();
    const double a = -degreesToRadians(degrees); // rotateY turns x toward z: clockwise about +Y
    return v * std::cos(a) + k.cross(v) * std::sin(a) + k * (k.dot(v) * (1 - std::cos(a)));
}

TEST(RotationTest, RotationsTurnTheStatedWayAndKeepOrientationsOrthonormal)
{
    expectNear({ 0.0, 0.0, 1.0 }, rotateX({ 0.0, 1.0, 0.0 }, 90.0), 1e-12);
    expectNear({ 0.0, 0.0, 1.0 }, rotateY({ 1.0, 0.0, 0.0 }, 90.0), 1e-12);
    expectNear({ 0.0, -1.0, 0.0 }, rotateZ({ 1.0, 0.0, 0.0 }, 90.0), 1e-12);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    for (int i = 0; i < 200; ++i) {
        const Vector3 axis = Vector3(coordinate(random), coordinate(random), coordinate(random)).normalise();
        const Vector3 v(coordinate(random), coordinate(random), coordinate(random));
        const double degrees = coordinate(random) * 180.0;
        expectNear(rodrigues(v, axis, degrees), rotateAboutAxis(v, axis, degrees));
    }
    // Axes along the y axis and in the x-z plane are where the atan2 composition is delicate.
    for (const Vector3& axis : { Vector3(0, -1, 0), Vector3(0, 1, 0), Vector3(1, 0, 0), Vector3(0, 0, -1) })
        expectNear(
            rodrigues({ 0.2, 0.5, -0.7 }, axis, 40.0), rotateAboutAxis({ 0.2, 0.5, -0.7 }, axis, 40.0));
    const Vector3 v(0.3, 0.4, 0.5);
    EXPECT_EQ(v, rotateAboutAxis(v, { 1.0, 1.0, 0.0 }, 9.9e-5));
    EXPECT_EQ(v, rotateAboutAxis(v, { 1.0, 1.0, 0.0 }, -minimumRotationDegrees));
    EXPECT_NE(v, rotateAboutAxis(v, { 1.0, 1.0, 0.0 }, 1e-3));

    // Orientations are normalised, and stay orthonormal over many yaws.
    const Vector3 up = Vector3(0.3, 0.8, -0.5).normalise();
    const Vector3 forward = up.cross({ 0.0, 0.0, 1.0 }).normalise();
    testing::internal::CaptureStdout();
    Orientation tilted = Orientation::fromAxes(forward * 2.0, up * 0.5, forward.cross(up) * 9.0);
    expectOrthonormal(tilted);
    for (int i = 0; i < 5000; ++i)
        tilted.rotateAboutUp(coordinate(random) * 20.0);
    expectOrthonormal(tilted);
    expectNear(up, tilted.up);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());

    // Skewed axes are reported, not repaired.
    testing::internal::CaptureStdout();
    const Orientation skewed = Orientation::fromAxes({ 1.0, 0.1, 0.0 }, { 0.0, 1.0, 0.0 }, { 0.0, 0.0, 1.0 });
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStdout().find("AXES NOT ORTHOGONAL"));
    EXPECT_GT(skewed.forward.dot(skewed.up), 0.05);
}

TEST(CameraTest, PublishedWhileItLivesTurnsLooksUpToShortOfTheVerticalAndMovesAlongFlaggedAxes)
{
    EXPECT_THROW(Camera::getInstance(), const char*);
    Window& window = Window::getInstance();
    window.onResize(800, 600);
    {
        Camera camera;
        EXPECT_EQ(&camera, &Camera::getInstance());
        EXPECT_DOUBLE_EQ(800.0 / 600.0, camera.aspect);
    }
    EXPECT_THROW(Camera::getInstance(), const char*);
    window.onResize(640, 0);
    EXPECT_DOUBLE_EQ(640.0, Camera().aspect) << "a minimised window must not divide by zero";
    window.onResize(800, 600);

    Camera camera;
    camera.yaw(200);
    camera.pitch(100);
    // 0.15 degrees per pixel: 30 degrees right, 15 up, the body's up kept.
    const double r = M_PI / 180.0;
    expectNear({ std::cos(15 * r) * std::cos(30 * r), std::sin(15 * r), std::cos(15 * r) * std::sin(30 * r) },
        camera.lookDirection(), 1e-6);
    expectNear({ 0.0, 1.0, 0.0 }, camera.orientation.up, 1e-9);
    int accepted = 0;
    while (camera.pitch(50) && accepted < 1000)
        ++accepted;
    const Vector3 stopped = camera.localLook;
    EXPECT_LT(accepted, 20);
    EXPECT_TRUE(stopped.x >= 0.0001 && stopped.y > 0.99);
    EXPECT_FALSE(camera.pitch(50));
    EXPECT_EQ(stopped, camera.localLook);
    EXPECT_TRUE(camera.pitch(-50)) << "looking down again is allowed";

    camera.localLook = Vector3(1.0, 0.0, 0.0);
    camera.set({ 1.0, 2.0, 3.0 }, Orientation {});
    camera.update(0.5);
    EXPECT_EQ(Vector3(1.0, 2.0, 3.0), camera.eye);
    camera.moveForward = camera.moveBackward = camera.strafeLeft = camera.moveUp = camera.moveDown = true;
    camera.update(0.5);
    EXPECT_EQ(Vector3(1.5, 2.5, 2.5), camera.eye) << "the first of each pair wins";
}

TEST(FrustumTest, ClassifiesBoxesAroundTheView)
{
    // gluPerspective(90, 1, 1, 100) looking down -z, and the identity, whose
    // clip volume is the cube [-1, 1]^3.
    const float n = 1.0f, f = 100.0f;
    const float perspective[16]
        = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, (f + n) / (n - f), -1, 0, 0, 2 * f * n / (n - f), 0 };
    const float identity[16] = { 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1 };
    using Box = std::array<float, 6>;
    for (const auto& [name, matrix, box, expected] :
        { std::tuple { "ahead", perspective, Box { -1, -1, -11, 1, 1, -9 }, Frustum::Inside },
            { "straddling near", perspective, { -0.1f, -0.1f, -2, 0.1f, 0.1f, 0 }, Frustum::Intersecting },
            { "behind", perspective, { -1, -1, 5, 1, 1, 7 }, Frustum::Outside },
            { "beyond far", perspective, { -1, -1, -300, 1, 1, -200 }, Frustum::Outside },
            { "off to the right", perspective, { 50, -1, -20, 60, 1, -10 }, Frustum::Outside },
            { "off to the left", perspective, { -60, -1, -20, -50, 1, -10 }, Frustum::Outside },
            { "below", perspective, { -1, -60, -20, 1, -50, -10 }, Frustum::Outside },
            // Crosses top and bottom, which come first, but lies wholly beyond the far plane.
            { "tall and far", identity, { -0.5f, -5, 2, 0.5f, 5, 3 }, Frustum::Outside },
            { "touching far", identity, { -0.5f, -0.5f, 1, 0.5f, 0.5f, 3 }, Frustum::Intersecting } }) {
        Frustum frustum;
        frustum.extract(matrix);
        EXPECT_EQ(expected, frustum.classifyBox(box.data())) << name;
    }
}
