#include "Graphics/Camera.h"
#include "Graphics/SkyDome.h"
#include "World/Planet.h"
#include "support/GLTestSupport.h"

#include <GL/glu.h>
#include <cmath>

TEST(SkyDomeMeshTest, DomeRunsFromThePoleDownOverTheWholeSphereForAnyStep)
{
    const std::vector<SkyVertex> dome = SkyDome::generate(15.0f, 15.0f);
    ASSERT_EQ(dome.size(), 1152u) << "12 rows x 24 columns x 4";
    EXPECT_NEAR(dome[0].y, 20.0f, 1e-6);
    EXPECT_FLOAT_EQ(dome[0].v, 1.0f);
    for (const SkyVertex& v : dome)
        EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z), 20.0f, 1e-4);
    // Row 6 starts at 90 degrees from the pole: its first vertex is on the horizon.
    const SkyVertex& horizon = dome[6 * 24 * 4];
    EXPECT_NEAR(horizon.x, 20.0f, 1e-4);
    EXPECT_NEAR(horizon.y, 0.0f, 1e-4);
    EXPECT_NEAR(horizon.u, 0.75f, 1e-6);
    EXPECT_NEAR(horizon.v, 0.5f, 1e-6);
    EXPECT_NEAR(dome.back().y, -20.0f, 1e-4);

    EXPECT_EQ(SkyDome::generate(30.0f, 30.0f).size(), 12u * 6u * 4u);
    // 7 divides neither 360 nor 180: the columns stop at 357 - 7 = 350.
    EXPECT_EQ(SkyDome::generate(7.0f, 7.0f).size(), 51u * 25u * 4u);
    // A step under a whole degree would never advance; it counts as one.
    EXPECT_EQ(SkyDome::generate(0.0f, 90.0f).size(), 360u * 2u * 4u);
}

// A player standing on the equator at +x, looking along the horizon to +z.
// The sun turns in the x-z plane: angle 0 is noon overhead, 90 sets in
// front of the player, 180 is midnight.
class SkyDomeTest : public ::testing::Test
{
protected:
    static constexpr int width = 96, height = 64;

    // The average colour of a small patch around (x, y) of the picture seen
    // with the sun at the given angle.
    std::array<double, 3> skyAt(SkyDome& dome, double sunAngle, int x, int y)
    {
        planet.setSunAngle(sunAngle);
        OffscreenTarget target(width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(camera.fieldOfView, double(width) / height, camera.nearPlane, camera.farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera.applyView();
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The game culls back faces: the dome must face inwards.
        glEnable(GL_CULL_FACE);
        dome.render(camera.lookDirection());
        glDisable(GL_CULL_FACE);
        std::array<double, 3> sum {};
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                for (int c = 0; c < 3; ++c)
                    sum[c] += target.pixel(x + dx, y + dy)[c] / (25 * 255.0);
        return sum;
    }

    Planet planet { 500.0 };
    Camera camera;
};

TEST_F(SkyDomeTest, DayIsBlueSunsetIsWarmAndNightIsDarkAndTheStateIsRestored)
{
    camera.set({ 505, 0, 0 }, Orientation::fromAxes({ 0, 0, 1 }, { 1, 0, 0 }, { 0, 1, 0 }));
    std::unique_ptr<SkyDome> dome;
    EXPECT_EQ(outputOf([&] { dome = std::make_unique<SkyDome>(15.0f, 15.0f); }), "");
    EXPECT_EQ(dome->vertexCount, 1152);
    EXPECT_EQ(dome->buffer.count, 1152);

    const struct
    {
        const char* name;
        double sunAngle;
        int x, y;
        std::array<double, 3> colour;
    } cases[] = {
        { "day, horizon", 0.0, width / 2, height / 2 + 3, { 0.52, 0.69, 0.92 } },
        { "day, high", 0.0, width / 2, height - 4, { 0.23, 0.44, 0.83 } },
        { "sunset, near the sun", 92.0, width / 2 + 20, height / 2 + 2, { 0.69, 0.43, 0.29 } },
        { "night, horizon", 180.0, width / 2, height / 2 + 3, { 0.03, 0.05, 0.11 } },
        { "night, high", 180.0, width / 2, height - 4, { 0.01, 0.02, 0.06 } },
    };
    for (const auto& c : cases) {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        const auto seen = skyAt(*dome, c.sunAngle, c.x, c.y);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(c.colour[i], seen[i], 0.05) << c.name << ", channel " << i;
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING)) << c.name;
    }
    glDisable(GL_LIGHTING);
    EXPECT_EQ(currentProgram, 0u);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
