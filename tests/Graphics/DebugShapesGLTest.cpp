#include "support/GLTestSupport.h"
#include "Graphics/Cube.h"
#include "Graphics/DebugShapes.h"
#include "Graphics/ShaderProgram.h"

#include <gtest/gtest.h>

namespace {

class DebugShapesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(target.complete());
        pixelProjection(size, size);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_LIGHTING);
        glEnable(GL_DEPTH_TEST);
    }
    void TearDown() override { glDisable(GL_LIGHTING); }

    static constexpr int size = 64;
    OffscreenTarget target { size, size };
};

TEST_F(DebugShapesTest, DrawAllDrawsEverythingAndKeepsOnlyKeptLines)
{
    DebugShapes& shapes = DebugShapes::getInstance();
    shapes.addCube(16, 16, 0, 4, 1, 0, 0);
    shapes.addSphere(48, 48, 0, 6, 0, 1, 0);
    shapes.addLine(0.5f, 40.5f, 0, 63.5f, 40.5f, 0, 0, 0, 1, 0.0f);
    shapes.addLine(40.5f, 0.5f, 0, 40.5f, 63.5f, 0, 1, 1, 1, 1.0f);
    currentProgram = 1;

    shapes.drawAll();

    EXPECT_EQ(shapes.queuedCubes(), 0u);
    EXPECT_EQ(shapes.queuedSpheres(), 0u);
    EXPECT_EQ(shapes.queuedLines(), 1u);
    EXPECT_EQ(currentProgram, 0u) << "shapes draw with the fixed pipeline";
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(target.pixel(16, 16), (std::array<int, 4> { 255, 0, 0, 255 }));
    EXPECT_EQ(target.pixel(48, 48), (std::array<int, 4> { 0, 255, 0, 255 }));
    EXPECT_EQ(target.pixel(10, 40), (std::array<int, 4> { 0, 0, 255, 255 }));
    EXPECT_EQ(target.pixel(40, 10), (std::array<int, 4> { 255, 255, 255, 255 }));

    // A second pass in the same frame draws only the kept line.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    shapes.drawAll();
    EXPECT_EQ(target.pixel(16, 16), (std::array<int, 4> { 0, 0, 0, 255 }));
    EXPECT_EQ(target.pixel(10, 40), (std::array<int, 4> { 0, 0, 0, 255 }));
    EXPECT_EQ(target.pixel(40, 10), (std::array<int, 4> { 255, 255, 255, 255 }));
    EXPECT_EQ(shapes.queuedLines(), 1u);
}

TEST_F(DebugShapesTest, ShapeWithoutDepthTestShowsThroughAndLeavesTheTestOff)
{
    // A quad nearer the viewer than the cubes.
    glDisable(GL_LIGHTING);
    glDepthFunc(GL_LESS);
    glColor3f(0, 0, 1);
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 0.5f);
    glVertex3f(size, 0, 0.5f);
    glVertex3f(size, size, 0.5f);
    glVertex3f(0, size, 0.5f);
    glEnd();

    Cube hidden(20, 20, -10, 4, 1, 0, 0);
    hidden.draw();
    EXPECT_EQ(target.pixel(20, 20), (std::array<int, 4> { 0, 0, 255, 255 })) << "depth-tested cube is behind";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    Cube shown(44.5f, 44.5f, -10, 4, 1, 0, 0);
    shown.depthTest = false;
    shown.wireframe = true;
    shown.draw();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(target.pixel(40, 44), (std::array<int, 4> { 255, 0, 0, 255 })) << "outline drawn over the quad";
    EXPECT_EQ(target.pixel(44, 44), (std::array<int, 4> { 0, 0, 255, 255 })) << "wireframe leaves the inside";
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    glEnable(GL_DEPTH_TEST);
}

} // namespace
