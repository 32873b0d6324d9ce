#include "Graphics/Camera.h"

#include "Game/Window.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {
bool accessFails()
{
    try {
        Camera::getInstance();
    } catch (const char* message) {
        return std::strcmp(
                   message, "FATAL ERROR: CAMERA SINGLETON TRIED TO BE ACCESSED BEFORE IT'S INITIALIZED!")
            == 0;
    }
    return false;
}
}

TEST(CameraTest, SingletonExistsExactlyWhileACameraLives)
{
    EXPECT_TRUE(accessFails());
    {
        Camera camera;
        EXPECT_EQ(&camera, &Camera::getInstance());
    }
    EXPECT_TRUE(accessFails());
}

TEST(CameraTest, StartsWithTheWindowAspectAndTheDefaultProjection)
{
    Window& window = Window::getInstance();
    window.onResize(800, 600);
    Camera camera;
    EXPECT_DOUBLE_EQ(800.0 / 600.0, camera.aspect);
    EXPECT_EQ(static_cast<double>(0.15f), camera.mouseSensitivity);
    EXPECT_EQ(Vector3(1.0, 0.0, 0.0), camera.lookDirection());

    window.onResize(640, 0);
    Camera minimised;
    EXPECT_DOUBLE_EQ(640.0, minimised.aspect);
    window.onResize(800, 600);
}

TEST(CameraTest, PitchLooksUpAndStopsShortOfTheVertical)
{
    Camera camera;
    ASSERT_TRUE(camera.pitch(10));
    EXPECT_GT(camera.lookDirection().y, 0.0);

    int accepted = 0;
    while (camera.pitch(50) && accepted < 1000)
        ++accepted;
    const Vector3 stopped = camera.localLook;
    EXPECT_LT(accepted, 20);
    EXPECT_GE(stopped.x, 0.0001);
    EXPECT_GT(stopped.y, 0.99);
    EXPECT_FALSE(camera.pitch(50));
    EXPECT_EQ(stopped, camera.localLook);
    // Looking down again is still allowed.
    EXPECT_TRUE(camera.pitch(-50));
}

TEST(CameraTest, YawThenPitchLooksRightAndUpWithoutRolling)
{
    Camera camera;
    camera.yaw(200);
    camera.pitch(100);
    const Vector3 look = camera.lookDirection();
    EXPECT_GT(look.z, 0.0);
    EXPECT_GT(look.y, 0.0);
    EXPECT_EQ(Vector3(0.0, 1.0, 0.0), camera.orientation.up);
    EXPECT_NEAR(1.0, look.length(), 1e-12);
}

TEST(CameraTest, UpdateMovesOnlyAlongFlaggedAxesWithTheFirstOfEachPairWinning)
{
    Camera camera;
    camera.set({ 1.0, 2.0, 3.0 }, Orientation {});
    camera.update(0.5);
    EXPECT_EQ(Vector3(1.0, 2.0, 3.0), camera.eye);

    camera.moveForward = camera.moveBackward = true;
    camera.strafeLeft = true;
    camera.moveUp = camera.moveDown = true;
    camera.update(0.5);
    EXPECT_EQ(Vector3(1.5, 2.5, 2.5), camera.eye);
}
