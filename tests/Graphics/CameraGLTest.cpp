#include "Game/Window.h"
#include "Graphics/Camera.h"

#include <cmath>
#include <gtest/gtest.h>

static void expectNear(const Vector3& expected, const Vector3& actual, double tolerance)
{
    EXPECT_NEAR(expected.x, actual.x, tolerance);
    EXPECT_NEAR(expected.y, actual.y, tolerance);
    EXPECT_NEAR(expected.z, actual.z, tolerance);
}

TEST(CameraTest, PublishedOnlyWhileItLivesWithTheWindowAspect)
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
}

TEST(CameraTest, TurnsLooksUpToShortOfTheVerticalAndMovesAlongFlaggedAxes)
{
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
