#include "Graphics/GLTestSupport.h"
#include "Terrain/DepthPick.h"
#include "Terrain/PickingBuffer.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

namespace {

const int size = 64;

// The eye at (0, 0, 10) looking down -z with a 60 degree view and a far
// plane at 500; a square at z = 0 covers the left half of the picture.
void drawLeftHalf()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glBegin(GL_QUADS);
    glVertex3f(-20.0f, -20.0f, 0.0f);
    glVertex3f(0.0f, -20.0f, 0.0f);
    glVertex3f(0.0f, 20.0f, 0.0f);
    glVertex3f(-20.0f, 20.0f, 0.0f);
    glEnd();
}

} // namespace

TEST(PickingTest, UnprojectsTheSurfaceUnderThePixelOrTheFarPlaneOverTheSky)
{
    OffscreenTarget target(size, size);
    ASSERT_TRUE(target.complete());
    drawLeftHalf();

    const Vector3 onSquare = unprojectPixel(size / 4, size / 2);
    EXPECT_NEAR(onSquare.z, 0.0, 0.01);
    EXPECT_LT(onSquare.x, 0.0);

    // Over the empty half the depth is 1: the point lies on the far plane,
    // 500 units from the eye along the view.
    const Vector3 sky = unprojectPixel(size * 3 / 4, size / 2);
    EXPECT_NEAR(sky.z, 10.0 - 500.0, 1.0);
    EXPECT_GT(sky.x, 0.0);

    // A cursor outside the picture picks at its edge, not from memory
    // beyond it.
    const Vector3 beyond = unprojectPixel(-50, size / 2);
    EXPECT_NEAR(beyond.z, 0.0, 0.01);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(PickingTest, PickingBufferHoldsExactColoursOnWhiteAndFollowsTheWindowSize)
{
    // The picture the pass draws into, bound again after the picking buffer.
    OffscreenTarget screen(size, size);
    PickingBuffer picking(size, size);
    const GLuint texture = picking.texture().id;

    picking.begin(size, size);
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_NE(bound, 0);
    glViewport(0, 0, size, size);
    pixelProjection(size, size);
    glDisable(GL_DEPTH_TEST);
    glColor3ub(0, 1, 44);
    glRecti(0, 0, size / 2, size);
    EXPECT_EQ(picking.colourAt(size / 4, size / 2), (std::array<int, 3> { 0, 1, 44 }));
    EXPECT_EQ(picking.colourAt(size * 3 / 4, size / 2), (std::array<int, 3> { 255, 255, 255 }));
    EXPECT_EQ(picking.colourAt(size, 0), (std::array<int, 3> { 255, 255, 255 })) << "outside the buffer";
    picking.end();
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(screen.framebuffer));

    // A larger window: the same texture, now as large, and the new area is
    // readable.
    picking.begin(size * 2, size);
    EXPECT_EQ(picking.texture().id, texture);
    EXPECT_EQ(picking.texture().width, size * 2);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(picking.colourAt(size * 3 / 2, 1), (std::array<int, 3> { 255, 255, 255 }));
    picking.end();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
