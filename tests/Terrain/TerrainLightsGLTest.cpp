// The scene's two lamps in the render pass: Page Down's main light is the
// sun's own light on ground, grass, water and models, Page Up's fill light a
// faint blue over all of them.
#include "Game/Lights.h"
#include "Graphics/Camera.h"
#include "Interface/Interface.h"
#include "Terrain/GridCell.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainRenderer.h"
#include "TestFields.h"
#include "World/Planet.h"
#include "support/GLTestSupport.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

namespace {

const int size = 96;
const int grassMaterial = 1;

// Mean colour of a square of pixels, each channel from 0 to 255.
std::array<double, 3> mean(const OffscreenTarget& target, int cx, int cy, int half)
{
    std::array<double, 3> sum {};
    int count = 0;
    for (int y = cy - half; y <= cy + half; ++y)
        for (int x = cx - half; x <= cx + half; ++x, ++count) {
            const Pixel p = target.pixel(x, y);
            for (int c = 0; c < 3; ++c)
                sum[c] += p[c];
        }
    for (double& c : sum)
        c /= count;
    return sum;
}

} // namespace

// Seen from above at noon on the planet's +x side: grassy ground at x = 497
// where z < 6, water over deeper ground where z >= 6, and a dwarf on the grass.
TEST(TerrainLightsGLTest, MainLightIsTheSunAndFillLightAddsBlueToEveryProgram)
{
    OffscreenTarget target { size, size };
    Interface interface;
    Camera camera;
    Planet planet { 500.0 };
    FunctionWorld unused { nowhere(), nowhere() };
    Terrain terrain { unused, Vector3 { 500.0, 0.0, 0.0 } };
    Lights lights;

    FunctionWorld world(
        [](int x, int, int z) {
            const double level = z < 6 ? 497.0 : 493.0;
            return VoxelSample { static_cast<int>(std::clamp((level - x) * 40.0, -127.0, 127.0)), grassMaterial };
        },
        [](int x, int, int) { return VoxelSample { static_cast<int>(std::clamp((495.5 - x) * 40.0, -127.0, 127.0)), 0 }; });
    GridCell cell({ 492, 504, 0, 12, 0, 12 }, &world, 2, true);
    cell.terrain->update(0.0);
    cell.water->update(0.0);
    ASSERT_TRUE(cell.terrain->hasTriangles() && cell.water->hasTriangles() && cell.terrain->hasVegetationBuffer());

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const Vector3 forward { -1.0, 0.0, 0.0 }, up { 0.0, 1.0, 0.0 };
    camera.set({ 505.0, 5.0, 5.0 }, Orientation::fromAxes(forward, up, forward.cross(up)));
    camera.applyView();

    TerrainRenderer renderer(terrain, nullptr);
    renderer.instances.add("dwarf", { 497.0f, 3.0f, 3.0f });
    GLdouble modelView[16], projection[16], x, y, z;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    const auto at = [&](double px, double py, double pz) {
        gluProject(px, py, pz, modelView, projection, viewport, &x, &y, &z);
        return std::make_pair(static_cast<int>(x), static_cast<int>(y));
    };
    // Ground with grass between the dwarf and the water, the water, the dwarf's head.
    const std::pair<int, int> regions[] = { at(497.0, 7.0, 3.0), at(495.5, 5.0, 8.0), at(497.5, 3.0, 3.0) };
    const char* const names[] = { "grass", "water", "dwarf" };

    const auto frame = [&](bool main, bool fill) {
        lights.setLight0(main);
        lights.setLight2(fill);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        renderer.renderCells({ &cell }, {}, 0, 0);
        std::vector<std::array<double, 3>> colours;
        for (const auto& [px, py] : regions)
            colours.push_back(mean(target, px, py, 2));
        return colours;
    };
    const auto start = frame(true, false);
    const auto dark = frame(false, false);
    const auto blue = frame(true, true);
    for (int i = 0; i < 3; ++i) {
        const auto brightness = [](const std::array<double, 3>& c) { return c[0] + c[1] + c[2]; };
        EXPECT_LT(brightness(dark[i]), brightness(start[i]) * 0.8) << names[i] << " without the sun";
        EXPECT_GT(blue[i][2] - start[i][2], 3.0) << names[i] << " with the fill light";
        EXPECT_GT(blue[i][2] / start[i][2] - 1.0, 2.0 * (blue[i][0] / start[i][0] - 1.0)) << names[i] << " turns blue";
    }

    // Each program takes both lamps, grass included (its blades need not fill a region).
    frame(false, true);
    for (ShaderProgram* program : { renderer.terrainProgram.get(), renderer.waterProgram.get(),
             renderer.vegetationProgram.get(), renderer.modelProgram.get(), renderer.outlineProgram.get() }) {
        float sun[3] = { 1.0f, 1.0f, 1.0f }, fill[3] = {};
        glGetUniformfv(program->program, program->getUniformLocation("sunColour"), sun);
        glGetUniformfv(program->program, program->getUniformLocation("fillColour"), fill);
        EXPECT_EQ(std::vector<float>(sun, sun + 3), std::vector<float>(3, 0.0f));
        EXPECT_EQ(std::vector<float>(fill, fill + 3), std::vector<float>(lights.diffuse2, lights.diffuse2 + 3));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
