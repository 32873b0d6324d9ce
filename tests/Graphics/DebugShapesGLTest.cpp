#include "Graphics/Cube.h"
#include "Graphics/DebugShapes.h"
#include "Graphics/ShaderProgram.h"
#include "support/GLTestSupport.h"

static const Pixel black { 0, 0, 0, 255 }, red { 255, 0, 0, 255 }, green { 0, 255, 0, 255 },
    blue { 0, 0, 255, 255 }, white { 255, 255, 255, 255 };

using DebugShapesTest = OffscreenTest<64, 64>;

TEST_F(DebugShapesTest, DrawAllDrawsEverythingInPlaceKeepsOnlyKeptLinesAndRestoresTheState)
{
    DebugShapes& shapes = DebugShapes::getInstance();
    shapes.addCube(16, 16, 0, 4, 1, 0, 0);
    shapes.addSphere(48, 48, 0, 6, 0, 1, 0);
    shapes.addLine(0.5f, 40.5f, 0, 63.5f, 40.5f, 0, 0, 0, 1, 0.0f);
    shapes.addLine(40.5f, 0.5f, 0, 40.5f, 63.5f, 0, 1, 1, 1, 1.0f);
    currentProgram = 1;
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    shapes.drawAll();
    EXPECT_EQ(shapes.queuedCubes() + shapes.queuedSpheres() + shapes.queuedLines(), 1u);
    EXPECT_EQ(currentProgram, 0u) << "shapes draw with the fixed pipeline";
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    // The cube reaches its half size from the centre; the sphere its radius.
    for (const auto& [x, y, colour] :
        { std::tuple { 16, 16, red }, { 13, 19, red }, { 11, 16, black }, { 21, 16, black },
            { 48, 48, green }, { 48, 53, green }, { 48, 56, black }, { 10, 40, blue }, { 40, 10, white } })
        EXPECT_EQ(pixel(x, y), colour) << x << ", " << y;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    shapes.drawAll();
    EXPECT_TRUE(pixel(16, 16) == black && pixel(10, 40) == black);
    EXPECT_EQ(pixel(40, 10), white) << "the kept line is drawn again";
    EXPECT_EQ(shapes.queuedLines(), 1u);

    // A shape drawn without the depth test shows through a quad nearer the viewer than the cube.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glColor3f(0, 0, 1);
    glRecti(0, 0, width, height);
    Cube shown(44.5f, 44.5f, -10, 4, 1, 0, 0);
    shown.depthTest = false;
    shown.wireframe = true;
    shown.draw();
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(pixel(40, 44), red) << "the outline is drawn over the quad";
    EXPECT_EQ(pixel(44, 44), blue) << "wireframe leaves the inside";
    GLint modes[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL) << "filled polygons again";
    glEnable(GL_DEPTH_TEST);
}
