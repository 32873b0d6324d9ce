#include "Graphics/Camera.h"
#include "Graphics/DebugShapes.h"
#include "Interface/Interface.h"
#include "Terrain/GridCell.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainRenderer.h"
#include "TestFields.h"
#include "World/Planet.h"

#include <GL/glu.h>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const int size = 128;
// The scenes lie on the planet's +x side, where the noon sun of a new
// planet stands overhead and "up" is +x.
const int grassMaterial = 1;
const int unknownMaterial = 9; // drawn with the grid layer

// A framebuffer with the stencil buffer the render pass needs.
class StencilTarget
{
public:
    StencilTarget()
    {
        glGenRenderbuffers(2, buffers);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, size, size);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
        glViewport(0, 0, size, size);
    }
    ~StencilTarget()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(2, buffers);
    }
    std::array<int, 3> pixel(int x, int y) const
    {
        unsigned char rgba[4] = {};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return { rgba[0], rgba[1], rgba[2] };
    }

    GLuint framebuffer = 0;
    GLuint buffers[2] = { 0, 0 };
};

// Ground below x = level (densities rising one step per voxel inwards).
FunctionField::Function groundUnder(double level, int material)
{
    return [=](int x, int, int) {
        return VoxelSample { static_cast<int>(std::clamp((level - x) * 40.0, -127.0, 127.0)), material };
    };
}

std::optional<Vector3> flatGround(const Vector3& p)
{
    return Vector3 { 497.0, p.y, p.z };
}

class TerrainRendererTest : public ::testing::Test
{
protected:
    TerrainRendererTest()
    {
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glClearStencil(0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 1.0, 0.1, 500.0);
        glMatrixMode(GL_MODELVIEW);
    }

    // Places the camera and loads its view, as the scene does before the pass.
    void look(const Vector3& eye, const Vector3& forward, const Vector3& up)
    {
        camera.set(eye, Orientation::fromAxes(forward, up, forward.cross(up)));
        glLoadIdentity();
        camera.applyView();
    }

    // Meshes a cell of a world and uploads its blocks, as a frame's update would.
    std::unique_ptr<GridCell> cell(FunctionWorld& world, const VoxelBox& box, int step, bool fine)
    {
        auto made = std::make_unique<GridCell>(box, &world, step, fine);
        made->terrain->update(0.0);
        made->water->update(0.0);
        return made;
    }

    // One frame: cleared like the game's, then the pass.
    void frame(TerrainRenderer& renderer, const std::vector<GridCell*>& fine,
        const std::vector<GridCell*>& coarse, int cursorX, int cursorY)
    {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        renderer.renderCells(fine, coarse, cursorX, cursorY);
    }

    // The pixel where a world point appears.
    std::array<int, 2> pixelOf(const Vector3& p)
    {
        GLdouble modelView[16], projection[16], x, y, z;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(p.x, p.y, p.z, modelView, projection, viewport, &x, &y, &z);
        return { static_cast<int>(x), static_cast<int>(y) };
    }

    StencilTarget target;
    Interface interface;
    Camera camera;
    Planet planet { 500.0 };
    FunctionWorld unused { nowhere(), nowhere() };
    Terrain terrain { unused, Vector3 { 500.0, 0.0, 0.0 } };
};

} // namespace

TEST_F(TerrainRendererTest, LoadsEverythingSilentlyAndReloadsShadersOnTheTerrainCommand)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    auto renderer = std::make_unique<TerrainRenderer>(terrain, nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    EXPECT_EQ(out.find("failed"), std::string::npos) << out;
    EXPECT_EQ(err, "");
    EXPECT_FALSE(renderer->dwarf->meshes.empty());
    EXPECT_FALSE(renderer->forge->meshes.empty());

    const GLuint before = renderer->terrainProgram->program;
    testing::internal::CaptureStdout();
    EXPECT_EQ(terrain.handleCommand({ "reloadShaders" }), "Shaders reloaded.");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(renderer->terrainProgram->program, before);
    GLint linked = GL_FALSE;
    glGetProgramiv(renderer->terrainProgram->program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    // The outline needs its geometry stage after a reload too.
    EXPECT_NE(renderer->outlineProgram->geometryShader, 0u);

    renderer.reset();
    EXPECT_FALSE(terrain.reloadShaders) << "a destroyed pass must not be called";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainRendererTest, CellsOutsideTheViewAreNeitherDrawnNorGivenGrassOrWater)
{
    FunctionWorld world(groundUnder(497.0, grassMaterial), groundUnder(499.0, 0));
    // Looking along +z, level, two voxels above the water.
    look({ 501.0, 6.0, 0.0 }, { 0.0, 0.0, 1.0 }, { 1.0, 0.0, 0.0 });
    auto ahead = cell(world, { 492, 504, 0, 12, 12, 24 }, 2, true);
    auto behind = cell(world, { 492, 504, 0, 12, -24, -12 }, 2, true);
    auto coarseBehind = cell(world, { 480, 520, -20, 20, -60, -20 }, 4, false);
    for (GridCell* c : { ahead.get(), behind.get(), coarseBehind.get() }) {
        ASSERT_TRUE(c->terrain->hasTriangles());
        ASSERT_TRUE(c->water->hasTriangles());
    }
    ASSERT_GT(behind->terrain->vegetationVertexCount(), 0);

    TerrainRenderer renderer(terrain, nullptr);
    frame(renderer, { behind.get(), ahead.get() }, { coarseBehind.get() }, size / 2, size / 2);
    EXPECT_EQ(renderer.lastPass.fineTerrain, 1);
    EXPECT_EQ(renderer.lastPass.vegetation, 1);
    EXPECT_EQ(renderer.lastPass.fineWater, 1);
    EXPECT_EQ(renderer.lastPass.coarseTerrain, 0);
    EXPECT_EQ(renderer.lastPass.coarseWater, 0);

    // The picking buffer is shown in a window of its own.
    EXPECT_NE(interface.findComponent("FBO_CON"), nullptr);
    EXPECT_NE(interface.findComponent("FBO"), nullptr);

    // The ground ahead is textured and lit: neither black nor one flat colour.
    const std::array<int, 3> water = target.pixel(size / 2, size / 3);
    EXPECT_GT(water[0] + water[1] + water[2], 60);
    EXPECT_NE(target.pixel(size / 2 - 10, size / 4), target.pixel(size / 2 + 10, size / 4));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainRendererTest, CoarseTerrainShowsOnlyWhereNoFineTerrainWasDrawn)
{
    // Seen from above: the fine cell's grass lies lower than the coarse
    // cell's grid-textured ground, which would hide it without the stencil.
    FunctionWorld low(groundUnder(497.0, grassMaterial), nowhere());
    FunctionWorld high(groundUnder(499.0, unknownMaterial), nowhere());
    look({ 530.0, 6.0, 6.0 }, { -1.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 });
    auto fine = cell(low, { 492, 504, 0, 12, 0, 12 }, 2, true);
    auto coarse = cell(high, { 480, 520, -14, 26, -14, 26 }, 4, false);

    TerrainRenderer renderer(terrain, nullptr);
    const std::size_t spheres = DebugShapes::getInstance().queuedSpheres();
    frame(renderer, { fine.get() }, { coarse.get() }, size / 2, size / 2);
    EXPECT_EQ(renderer.lastPass.fineTerrain, 1);
    EXPECT_EQ(renderer.lastPass.coarseTerrain, 1);

    const std::array<int, 3> centre = target.pixel(size / 2, size / 2);
    EXPECT_GT(centre[1], centre[2]) << "grass (green) from the fine cell";
    const std::array<int, 3> corner = target.pixel(4, 4);
    EXPECT_GT(corner[2], corner[1]) << "the grid (blue) from the coarse cell around it";

    // The cursor picked the fine ground under it, and a red sphere marks it.
    EXPECT_NEAR(renderer.pickedPosition.x, 497.0, 0.2);
    EXPECT_NEAR(renderer.pickedPosition.y, 6.0, 0.2);
    EXPECT_NEAR(renderer.pickedPosition.z, 6.0, 0.2);
    EXPECT_EQ(DebugShapes::getInstance().queuedSpheres(), spheres + 1);

    // A block in wireframe leaves the polygon mode filled for what follows.
    fine->terrain->wireframe = true;
    frame(renderer, { fine.get() }, { coarse.get() }, size / 2, size / 2);
    GLint modes[2] = { 0, 0 };
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_FILL);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TerrainRendererTest, SkyUnderTheCursorPicksTheFarPlane)
{
    FunctionWorld world(groundUnder(497.0, grassMaterial), nowhere());
    const Vector3 eye { 501.0, 6.0, 0.0 };
    look(eye, { 0.0, 0.0, 1.0 }, { 1.0, 0.0, 0.0 });
    auto ahead = cell(world, { 492, 504, 0, 12, 12, 24 }, 2, true);
    TerrainRenderer renderer(terrain, nullptr);
    // The top row looks 30 degrees above the horizon.
    frame(renderer, { ahead.get() }, {}, size / 2, size - 1);
    const Vector3 sky = renderer.pickedPosition;
    const Vector3 ray = sky - eye;
    EXPECT_NEAR(ray.z, 500.0, 1.0) << "on the far plane, 500 ahead";
    EXPECT_GT(ray.x, 250.0) << "up along the top row's ray";
}

TEST_F(TerrainRendererTest, TheInstanceUnderTheCursorIsPickedByItsColourAndMarked)
{
    FunctionWorld world(groundUnder(497.0, grassMaterial), nowhere());
    look({ 499.0, 6.0, 0.0 }, { 0.0, 0.0, 1.0 }, { 1.0, 0.0, 0.0 });
    TerrainRenderer renderer(terrain, flatGround);
    frame(renderer, {}, {}, 0, 0);
    ASSERT_EQ(renderer.instances.count(), 5);
    EXPECT_EQ(renderer.instances.picked, 0);

    // The middle of the second dwarf.
    const ModelInstances::Position& dwarf = renderer.instances.of("dwarf")[1];
    const std::array<int, 2> at = pixelOf({ dwarf[0] + 0.6, dwarf[1], dwarf[2] });
    ASSERT_GT(at[0], 0);
    ASSERT_LT(at[0], size);
    const std::array<int, 3> plain = target.pixel(at[0], at[1]);

    frame(renderer, {}, {}, at[0], at[1]);
    EXPECT_EQ(renderer.instances.picked, renderer.instances.numberOf("dwarf", 1));
    // Picked a frame late, the dwarf is marked in the next one.
    frame(renderer, {}, {}, at[0], at[1]);
    EXPECT_NE(target.pixel(at[0], at[1]), plain);

    frame(renderer, {}, {}, 2, size - 2);
    EXPECT_EQ(renderer.instances.picked, 0) << "nothing under the cursor";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
