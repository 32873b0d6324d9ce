#include "Graphics/Camera.h"
#include "Graphics/DebugShapes.h"
#include "Interface/Interface.h"
#include "Terrain/GridCell.h"
#include "Terrain/PickingBuffer.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainRenderer.h"
#include "TestFields.h"
#include "World/Planet.h"
#include "support/GLTestSupport.h"

#include <GL/glu.h>
#include <gtest/gtest.h>
#include <sstream>

namespace {

const int size = 128;

std::array<VisualBlock*, 2> blocksOf(GridCell& cell)
{
    return { cell.terrain.get(), cell.water.get() };
}

// Meshes a cell of a world and uploads its blocks, as a frame's update would:
// they draw nothing before, and what the upload brought after.
std::unique_ptr<GridCell> cell(FunctionWorld& world, const VoxelBox& box, bool fine)
{
    auto made = std::make_unique<GridCell>(box, &world, fine ? 2 : 4, fine);
    for (VisualBlock* b : blocksOf(*made)) {
        EXPECT_EQ(b->drawnTriangleCount, 0);
        b->update(0.25);
        EXPECT_TRUE(!b->needsUpload() && b->fade() == 0.125);
        EXPECT_TRUE(b->drawnTriangleCount > 0 && b->drawnTriangleCount == b->builtTriangleCount());
    }
    return made;
}

GLint polygonMode()
{
    GLint modes[2] = { 0, 0 };
    glGetIntegerv(GL_POLYGON_MODE, modes);
    return modes[0];
}

} // namespace

// One render pass, loaded and reloaded by the terrain's command,
// draws three views on the planet's +x side, where the noon sun of a new
// planet stands overhead and "up" is +x: models picked by their colour and
// outlined; seen from above, the fine cell's grass lower than the coarse
// cell's grid-textured ground, which would hide it without the stencil, with
// cells off to the side neither drawn nor given grass or water, and the
// cursor picking the ground by depth (at the picture's edge when it lies
// beyond); and the sky picked on the far plane. Blocks and the picking
// buffer on their own follow.
TEST(TerrainRendererGLTest, RendersAndPicksAScene)
{
    OffscreenTarget target(size, size);
    Interface interface;
    Camera camera;
    Planet planet(500.0);
    FunctionWorld unused(nowhere(), nowhere());
    Terrain terrain(unused, Vector3 { 500.0, 0.0, 0.0 });
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1, 500.0);
    glMatrixMode(GL_MODELVIEW);
    auto look = [&](const Vector3& eye, const Vector3& forward, const Vector3& up) {
        glLoadIdentity();
        camera.set(eye, Orientation::fromAxes(forward, up, forward.cross(up)));
        camera.applyView();
    };

    auto renderer = std::make_unique<TerrainRenderer>(terrain, [](const Vector3& p) {
        return std::optional<Vector3>({ 497.0, p.y, p.z });
    });
    EXPECT_FALSE(renderer->dwarf->meshes.empty() || renderer->forge->meshes.empty());
    // The attributes each linked program reads at the locations every mesh
    // feeds them ("-" for none).
    const std::pair<std::unique_ptr<ShaderProgram> TerrainRenderer::*, const char*> programs[] = {
        { &TerrainRenderer::terrainProgram, "vPosition vNormal - vAlpha vMaterial" },
        { &TerrainRenderer::waterProgram, "vPosition vNormal - - - vTangent" },
        { &TerrainRenderer::vegetationProgram, "vPosition vNormal vTexCoord" },
        { &TerrainRenderer::pickingProgram, "vPosition" },
        { &TerrainRenderer::modelProgram, "vPosition vNormal vTexCoord - - vTangent" },
        { &TerrainRenderer::outlineProgram, "vPosition vNormal vTexCoord - - vTangent" },
    };
    const GLuint before = renderer->terrainProgram->program;
    for (const bool reloaded : { false, true }) {
        if (reloaded)
            EXPECT_TRUE(terrain.handleCommand({ "reloadShaders" }) == "Shaders reloaded."
                && renderer->terrainProgram->program != before);
        for (const auto& [member, attributes] : programs) {
            const ShaderProgram& program = *((*renderer).*member);
            EXPECT_EQ(program.geometryShader != 0, member == &TerrainRenderer::outlineProgram);
            std::istringstream names(attributes);
            std::string name;
            for (GLint location = 0; names >> name; ++location)
                EXPECT_EQ(
                    name == "-" ? location : glGetAttribLocation(program.program, name.c_str()), location)
                    << name << reloaded;
        }
    }

    FunctionWorld low(groundBelow(497.0, 1, 0), groundBelow(495.0, 0, 0)); // grass
    FunctionWorld high(groundBelow(499.0, 9, 0), groundBelow(490.0, 0, 0)); // unknown: the grid layer
    auto fine = cell(low, { 492, 504, 0, 12, 0, 12 }, true);
    auto fineAside = cell(low, { 492, 504, 0, 12, 200, 212 }, true);
    auto coarse = cell(high, { 480, 520, -14, 26, -14, 26 }, false);
    auto coarseAside = cell(high, { 480, 520, -14, 26, 300, 340 }, false);
    ASSERT_GT(fineAside->terrain->vegetationVertexCount(), 0);
    auto frame = [&](const std::vector<GridCell*>& fineCells, const std::vector<GridCell*>& coarseCells,
                     int x, int y) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        renderer->renderCells(fineCells, coarseCells, x, y);
    };

    look({ 499.0, 6.0, 0.0 }, { 0.0, 0.0, 1.0 }, { 1.0, 0.0, 0.0 });
    frame({}, {}, 0, 0);
    ModelInstances& instances = renderer->instances;
    ASSERT_EQ(instances.count(), 5);
    EXPECT_EQ(instances.picked, 0);
    // The middle of the second dwarf, where it appears.
    const ModelInstances::Position& dwarf = instances.of("dwarf")[1];
    GLdouble modelView[16], projection[16], x, y, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(dwarf[0] + 0.6, dwarf[1], dwarf[2], modelView, projection, viewport, &x, &y, &z);
    const int atX = static_cast<int>(x), atY = static_cast<int>(y);
    ASSERT_TRUE(atX > 0 && atX < size);
    const Pixel plain = target.pixel(atX, atY);
    frame({}, {}, atX, atY);
    EXPECT_EQ(instances.picked, instances.numberOf("dwarf", 1));
    // Picked a frame late, the dwarf is marked in the next one.
    frame({}, {}, atX, atY);
    EXPECT_NE(target.pixel(atX, atY), plain);
    frame({}, {}, 2, size - 2);
    EXPECT_EQ(instances.picked, 0) << "nothing under the cursor";
    instances = ModelInstances();

    look({ 530.0, 6.0, 6.0 }, { -1.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 });
    const std::size_t spheres = DebugShapes::getInstance().queuedSpheres();
    frame({ fineAside.get(), fine.get() }, { coarseAside.get(), coarse.get() }, size / 2, size / 2);
    const TerrainRenderer::PassCounts& pass = renderer->lastPass;
    EXPECT_TRUE(pass.fineTerrain == 1 && pass.coarseTerrain == 1 && pass.vegetation == 1
        && pass.fineWater == 1 && pass.coarseWater == 1);
    const Pixel centre = target.pixel(size / 2, size / 2), corner = target.pixel(4, 4);
    EXPECT_GT(centre[1], centre[2]) << "grass (green) from the fine cell";
    EXPECT_GT(corner[2], corner[1]) << "the grid (blue) from the coarse cell around it";
    EXPECT_LT((renderer->pickedPosition - Vector3(497.0, 6.0, 6.0)).length(), 0.3);
    EXPECT_EQ(DebugShapes::getInstance().queuedSpheres(), spheres + 1)
        << "a red sphere marks the picked point";
    EXPECT_NE(interface.findComponent("FBO"), nullptr) << "the picking buffer shown in a window of its own";
    // A block in wireframe leaves the polygon mode filled for what follows.
    fine->terrain->wireframe = true;
    frame({ fine.get() }, { coarse.get() }, 0, size / 2);
    const Vector3 edge = renderer->pickedPosition;
    frame({ fine.get() }, { coarse.get() }, -50, size / 2);
    EXPECT_EQ(renderer->pickedPosition, edge);
    EXPECT_NEAR(edge.x, 499.0, 0.3);
    EXPECT_EQ(polygonMode(), GL_FILL);

    // Level along +z, the top row looks 30 degrees above the horizon.
    const Vector3 eye { 501.0, 6.0, 0.0 };
    look(eye, { 0.0, 0.0, 1.0 }, { 1.0, 0.0, 0.0 });
    frame({ fine.get() }, { coarse.get() }, size / 2, size - 1);
    const Vector3 ray = renderer->pickedPosition - eye;
    EXPECT_NEAR(ray.z, 500.0, 1.0) << "on the far plane, 500 ahead";
    EXPECT_GT(ray.x, 250.0) << "up along the top row's ray";

    // A rebuild shows after the next update: ground without grass, then
    // nothing; a block with nothing to draw sets the fill mode again too.
    EXPECT_EQ(fine->terrain->vegetationVertexCount(), 4 * fine->terrain->vegetationPointCount());
    low.terrain = groundBelow(497.0, 2, 0);
    fine->terrain->rebuild();
    EXPECT_GT(fine->terrain->vegetationVertexCount(), 0);
    fine->terrain->update(0.0);
    EXPECT_EQ(fine->terrain->vegetationVertexCount(), 0);
    low.terrain = low.water = nowhere();
    for (VisualBlock* b : blocksOf(*fine)) {
        b->rebuild();
        EXPECT_GT(b->drawnTriangleCount, 0);
        b->update(0.0);
        EXPECT_EQ(b->drawnTriangleCount, 0);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        b->wireframe = true;
        b->draw(0);
        EXPECT_EQ(polygonMode(), GL_FILL);
    }

    // A larger window: a picking buffer keeps its texture's name, grows, reads
    // the new area and binds the window's framebuffer again after.
    PickingBuffer picking(size, size);
    const GLuint texture = picking.texture().id;
    picking.begin(size * 2, size);
    EXPECT_TRUE(picking.texture().id == texture && picking.texture().width == size * 2);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    const std::array<int, 3> white { 255, 255, 255 };
    EXPECT_TRUE(picking.colourAt(size * 3 / 2, 1) == white && picking.colourAt(size * 2, 0) == white);
    picking.end();
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(target.framebuffer));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    renderer.reset();
    EXPECT_FALSE(terrain.reloadShaders) << "a destroyed pass must not be called";
}
