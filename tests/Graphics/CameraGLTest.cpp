#include "Graphics/Camera.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace {
// The model-view matrix applied to a world point, in eye coordinates.
Vector3 toEye(const GLdouble m[16], const Vector3& p)
{
    return { m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
        m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14] };
}

// GL keeps its matrices in single precision.
void expectNear(const Vector3& expected, const Vector3& actual)
{
    EXPECT_NEAR(expected.x, actual.x, 1e-4);
    EXPECT_NEAR(expected.y, actual.y, 1e-4);
    EXPECT_NEAR(expected.z, actual.z, 1e-4);
}
}

TEST(CameraGLTest, ApplyViewPutsTheEyeAtTheOriginLookingDownMinusZ)
{
    Camera camera;
    Orientation turned;
    turned.rotateAboutUp(90.0);
    camera.set({ 10.0, 20.0, 30.0 }, turned);
    camera.pitch(100);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.applyView();
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);

    expectNear({ 0.0, 0.0, 0.0 }, toEye(m, camera.eye));
    expectNear({ 0.0, 0.0, -1.0 }, toEye(m, camera.eye + camera.lookDirection()));
    // The body's up stays in the view's vertical plane, above the horizon.
    const Vector3 up = toEye(m, camera.eye + camera.orientation.up);
    EXPECT_NEAR(0.0, up.x, 1e-4);
    EXPECT_GT(up.y, 0.0);
}
