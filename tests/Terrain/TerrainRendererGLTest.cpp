#include "Game/Lights.h"
#include "Graphics/Camera.h"
#include "Graphics/DebugShapes.h"
#include "Interface/Interface.h"
#include "Terrain/PickingBuffer.h"
#include "Terrain/TerrainRenderer.h"
#include "TestFields.h"
#include "World/Planet.h"
#include "support/GLTestSupport.h"

#include <GL/glu.h>
#include <cmath>
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

} // namespace

// One render pass, loaded and reloaded by the terrain's command, on the
// planet's +x side (noon, "up" is +x): models picked by colour and outlined;
// from above, the fine cell's grass below the coarse cell's grid ground
// (the stencil keeps it visible), cells off to the side not drawn, the
// cursor picking the ground by depth (the picture's edge beyond it) or the
// sky on the far plane; the lamps; blocks and the picking buffer on their own.
TEST(TerrainRendererGLTest, RendersAndPicksAScene)
{
    OffscreenTarget target(size, size);
    Interface interface;
    Camera camera;
    Planet planet(500.0);
    FunctionWorld unused(nowhere, nowhere);
    Terrain terrain(unused, Vector3 { 500.0, 0.0, 0.0 });
    for (const GLenum capability : { GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND })
        glEnable(capability);
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
    auto polygonMode = [] {
        GLint modes[2] = { 0, 0 };
        return glGetIntegerv(GL_POLYGON_MODE, modes), modes[0];
    };
    auto project = [](double px, double py, double pz) {
        GLdouble modelView[16], projection[16], x, y, z;
        GLint viewport[4];
        glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        gluProject(px, py, pz, modelView, projection, viewport, &x, &y, &z);
        return std::pair { static_cast<int>(x), static_cast<int>(y) };
    };
    auto renderer = std::make_unique<TerrainRenderer>(terrain, [](const Vector3& p) {
        return std::optional<Vector3>({ 497.0, p.y, p.z });
    });
    EXPECT_FALSE(renderer->dwarf->meshes.empty() || renderer->forge->meshes.empty());
    // The attributes each linked program reads at the locations every mesh
    // feeds them ("-" for none).
    const std::pair<std::unique_ptr<ShaderProgram> TerrainRenderer::*, const char*> programs[]
        = { { &TerrainRenderer::terrainProgram, "vPosition vNormal - vAlpha vMaterial" },
              { &TerrainRenderer::waterProgram, "vPosition vNormal - - - vTangent" },
              { &TerrainRenderer::vegetationProgram, "vPosition vNormal vTexCoord" },
              { &TerrainRenderer::pickingProgram, "vPosition" },
              { &TerrainRenderer::modelProgram, "vPosition vNormal vTexCoord - - vTangent" },
              { &TerrainRenderer::outlineProgram, "vPosition vNormal vTexCoord - - vTangent" } };
    const GLuint before = renderer->terrainProgram->program;
    for (const bool reloaded : { false, true }) {
        EXPECT_TRUE(!reloaded
            || (terrain.handleCommand({ "reloadShaders" }) == "Shaders reloaded."
                && renderer->terrainProgram->program != before));
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
    const auto [atX, atY] = project(dwarf[0] + 0.6, dwarf[1], dwarf[2]);
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
    low.terrain = low.water = nowhere;
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
    // The scene's lamps, seen from above: grassy ground, water over deeper
    // ground where z >= 6 and a dwarf on the grass all darken with the sun
    // (Page Down) off and turn blue with the faint fill light (Page Up) on.
    Lights lights;
    low.terrain = [](int x, int y, int z) { return groundBelow(z < 6 ? 497.0 : 493.0, 1, 0)(x, y, z); };
    low.water = groundBelow(495.5, 0, 0);
    auto lit = cell(low, { 492, 504, 0, 12, 0, 12 }, true);
    ASSERT_TRUE(lit->terrain->hasVegetationBuffer());
    renderer->instances.add("dwarf", { 497.0f, 3.0f, 3.0f });
    look({ 505.0, 5.0, 5.0 }, { -1.0, 0.0, 0.0 }, { 0.0, 1.0, 0.0 });
    // Grass between the dwarf and the water, the water, the dwarf's head.
    const std::pair<int, int> regions[]
        = { project(497.0, 7.0, 3.0), project(495.5, 5.0, 8.0), project(497.5, 3.0, 3.0) };
    auto lamps = [&](bool sun, bool fill) {
        lights.setLight0(sun);
        lights.setLight2(fill);
        frame({ lit.get() }, {}, 0, 0);
        std::vector<std::array<double, 3>> means; // of five by five pixels
        for (const auto& [px, py] : regions) {
            std::array<double, 3> sum {};
            for (int i = 0; i < 75; ++i)
                sum[i % 3] += target.pixel(px + i / 3 % 5 - 2, py + i / 15 - 2)[i % 3] / 25.0;
            means.push_back(sum);
        }
        return means;
    };
    const auto start = lamps(true, false), dark = lamps(false, false), blue = lamps(true, true);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i == 0 ? "grass" : i == 1 ? "water" : "dwarf");
        EXPECT_LT(dark[i][0] + dark[i][1] + dark[i][2], (start[i][0] + start[i][1] + start[i][2]) * 0.8);
        EXPECT_GT(blue[i][2] - start[i][2], 3.0);
        EXPECT_GT(blue[i][2] / start[i][2] - 1.0, 2.0 * (blue[i][0] / start[i][0] - 1.0));
    }
    // Every program takes both lamps, grass included (its blades need not fill a region).
    lamps(false, true);
    for (const auto& [member, attributes] : programs) {
        ShaderProgram& program = *((*renderer).*member);
        std::array<float, 3> sun { 1, 1, 1 }, fill {};
        glGetUniformfv(program.program, program.getUniformLocation("sunColour"), sun.data());
        glGetUniformfv(program.program, program.getUniformLocation("fillColour"), fill.data());
        EXPECT_TRUE(member == &TerrainRenderer::pickingProgram
            || (sun == (std::array<float, 3> {}) && std::equal(fill.begin(), fill.end(), lights.diffuse2)));
    }
    // A rounded ridge of two materials (dry grass and sand: no blades over
    // the seam) seen where its normal turns past the diagonal between two
    // axes (the picture's middle column): the colour changes no more from
    // column to column there than elsewhere.
    lights.setLight0(true);
    lights.setLight2(false);
    low.terrain = [](int x, int y, int z) {
        const double d = (8.0 - std::hypot(x - 490.0, y - 4.0)) * 40.0;
        return VoxelSample { static_cast<int>(std::clamp(d, -127.0, 127.0)), (x + y + z) % 2 ? 8 : 4 };
    };
    const auto ridge = std::make_unique<GridCell>(VoxelBox { 492, 504, 0, 12, 0, 12 }, &low, 2, true);
    ridge->terrain->update(0.25);
    look({ 498.5, 12.5, 6.0 }, Vector3(-1.0, -1.0, 0.0).normalise(), { 0.0, 0.0, 1.0 });
    frame({}, { ridge.get() }, 0, 0);
    // The mean r + g + b of each column over the middle rows: the largest
    // step between neighbours against the median one.
    std::vector<double> means, steps;
    for (int x = size / 2 - 16; x <= size / 2 + 16; ++x) {
        means.push_back(0.0);
        for (int y = size / 4; y < size * 3 / 4; ++y)
            for (int c = 0; c < 3; ++c)
                means.back() += target.pixel(x, y)[c] / (size / 2.0);
        if (means.size() > 1)
            steps.push_back(std::abs(means.back() - means[means.size() - 2]));
    }
    std::sort(steps.begin(), steps.end());
    EXPECT_LT(steps.back(), 6.0 * steps[steps.size() / 2]);
    // Looking along +z over a fine cell of bare (grid) ground in a coarse
    // cell of grass, both at the same height: the coarse grass stands beyond
    // the fine cell and not over it; a coarse cell 60 units ahead draws none.
    const auto sunk = groundBelow(495.0, 0, 0);
    FunctionWorld meadow(groundBelow(497.0, 1, 0), sunk), bare(groundBelow(497.0, 9, 0), sunk);
    auto near = cell(meadow, { 480, 520, -14, 26, -14, 26 }, false);
    auto far = cell(meadow, { 480, 520, -14, 26, 66, 106 }, false);
    auto inside = cell(bare, { 492, 504, 0, 12, 0, 12 }, true);
    look({ 500.5, 6.0, -8.0 }, Vector3(-3.5, 0.0, 14.0).normalise(), { 1.0, 0.0, 0.0 });
    const auto [bareX, bareY] = project(497.0, 7.0, 6.0);
    frame({ inside.get() }, { near.get(), far.get() }, 0, 0);
    EXPECT_TRUE(renderer->lastPass.vegetation == 0 && renderer->lastPass.coarseVegetation == 1);
    int grid = 0;
    for (int i = 0; i < 91; ++i) {
        const Pixel p = target.pixel(bareX + i % 13 - 6, bareY + i / 13 - 3);
        grid += p[2] > p[1];
    }
    EXPECT_GT(grid, 85) << "the fine cell's grid, no coarse grass over it";
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
