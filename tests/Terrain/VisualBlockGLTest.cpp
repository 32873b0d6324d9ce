#include "Graphics/Camera.h"
#include "Graphics/GLTestSupport.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/TerrainTextureRegistry.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/WaterBlock.h"
#include "TestFields.h"
#include "World/Planet.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

namespace {

const int size = 64;

// Colours each fragment by its normal; fed through the fixed attribute locations.
class NormalProgram
{
public:
    NormalProgram()
    {
        const char* vertex = "#version 120\n"
                             "attribute vec3 vPosition; attribute vec3 vNormal; varying vec3 normal;\n"
                             "void main() { normal = vNormal;"
                             " gl_Position = gl_ModelViewProjectionMatrix * vec4(vPosition, 1.0); }\n";
        const char* fragment = "#version 120\n"
                               "varying vec3 normal;\n"
                               "void main() { gl_FragColor = vec4(abs(normal), 1.0); }\n";
        program = glCreateProgram();
        for (auto [type, source] :
            { std::pair { GL_VERTEX_SHADER, vertex }, std::pair { GL_FRAGMENT_SHADER, fragment } }) {
            const GLuint shader = glCreateShader(type);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
        }
        glBindAttribLocation(program, 0, "vPosition");
        glBindAttribLocation(program, 1, "vNormal");
        glLinkProgram(program);
    }
    ~NormalProgram() { glDeleteProgram(program); }
    GLuint program;
};

// Looks straight down -y at the square x, z in 0..12 and clears the target.
void lookDownOnTheCell(double height)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-6.0, 6.0, -6.0, 6.0, 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(6.0, height + 20.0, 6.0, 6.0, height, 6.0, 0.0, 0.0, -1.0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
}

int greenPixels(const OffscreenTarget& target)
{
    int count = 0;
    for (int x = 2; x < size; x += 4)
        for (int y = 2; y < size; y += 4) {
            const auto p = target.pixel(x, y);
            count += p[1] > 200 && p[0] < 50 && p[2] < 50;
        }
    return count;
}

const VoxelBox cellBox { 0, 12, 0, 12, 0, 12 };

} // namespace

TEST(VisualBlockGLTest, TerrainBlocksUploadOnUpdateAndDrawTheirLastUpload)
{
    OffscreenTarget target(size, size);
    ASSERT_TRUE(target.complete());
    NormalProgram shader;
    FunctionWorld world(groundBelow(6.5, 2), nowhere());
    TerrainBlock block(cellBox, &world, 2);

    // Nothing to draw before the first update.
    lookDownOnTheCell(6.5);
    useProgram(shader.program);
    block.draw(shader.program);
    EXPECT_EQ(greenPixels(target), 0);

    block.update(0.25);
    EXPECT_FALSE(block.needsUpload());
    EXPECT_EQ(block.fade(), 0.125);
    EXPECT_EQ(block.drawnTriangleCount, block.builtTriangleCount());
    EXPECT_GT(block.drawnTriangleCount, 0);
    block.draw(shader.program);
    // The flat ground faces up (front faces, normal (0, 1, 0)) and fills the view.
    EXPECT_EQ(greenPixels(target), 16 * 16);

    // Wireframe drawing leaves the fill mode set again for the next block.
    block.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    block.draw(shader.program);
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    block.wireframe = false;

    // A rebuild shows only after the next update; an empty mesh then draws nothing.
    world.terrain = nowhere();
    block.rebuild();
    lookDownOnTheCell(6.5);
    block.draw(shader.program);
    EXPECT_EQ(greenPixels(target), 16 * 16);
    block.update(0.0);
    EXPECT_EQ(block.drawnTriangleCount, 0);
    lookDownOnTheCell(6.5);
    block.draw(shader.program);
    EXPECT_EQ(greenPixels(target), 0);
    // Also an empty block drawn as wireframe leaves the fill mode set.
    block.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    block.draw(shader.program);
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    useProgram(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(VisualBlockGLTest, GrassIsUploadedWithItsMeshAndGoesWithIt)
{
    OffscreenTarget target(size, size);
    TerrainTextureRegistry::getInstance().addTerrainLayers();
    FunctionWorld world(groundBelow(6.5, 1), nowhere());
    TerrainBlock block(cellBox, &world, 2);
    block.update(0.0);
    ASSERT_GT(block.vegetationPointCount(), 0);
    EXPECT_TRUE(block.hasVegetationBuffer());
    EXPECT_EQ(block.vegetationVertexCount(), 4 * block.vegetationPointCount());

    world.terrain = groundBelow(6.5, 2);
    block.rebuild();
    block.update(0.0);
    EXPECT_EQ(block.vegetationVertexCount(), 0);
    lookDownOnTheCell(6.5);
    block.drawVegetation();
    EXPECT_EQ(target.pixel(size / 2, size / 2), (std::array<int, 4> { 0, 0, 0, 255 }));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(VisualBlockGLTest, WaterBlocksDrawTheirSurfaceAndDryOnesNothing)
{
    OffscreenTarget target(size, size);
    Planet planet(500.0);
    Camera camera;
    NormalProgram shader;
    const VoxelBox top { 0, 12, 490, 502, 0, 12 };
    FunctionWorld world(nowhere(), groundBelow(496.5, 0));
    WaterBlock water(top, &world, 2);
    water.update(0.0);
    ASSERT_GT(water.drawnTriangleCount, 0);
    lookDownOnTheCell(496.5);
    water.draw(shader.program);
    // The surface's normal is the planet's up, nearly +y over this cell.
    EXPECT_GT(greenPixels(target), 16 * 16 * 9 / 10);

    world.water = nowhere();
    water.rebuild();
    water.update(0.0);
    EXPECT_EQ(water.drawnTriangleCount, 0);
    lookDownOnTheCell(496.5);
    water.wireframe = true;
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    water.draw(shader.program);
    EXPECT_EQ(greenPixels(target), 0);
    GLint modes[2];
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    useProgram(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
