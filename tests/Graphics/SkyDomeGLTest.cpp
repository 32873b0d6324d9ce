#include "Graphics/Camera.h"
#include "Graphics/SkyDome.h"
#include "World/Planet.h"
#include "support/GLTestSupport.h"

#include <GL/glu.h>

TEST(SkyDomeMeshTest, DomeCoversTheSphereForAnyStep)
{
    // 7 divides neither 360 nor 180: the columns stop at 357 - 7 = 350. A
    // step under a whole degree would never advance; it counts as one.
    for (const auto& [theta, phi, cells] : { std::tuple { 15.0f, 15.0f, 24u * 12u },
             { 30.0f, 30.0f, 12u * 6u }, { 7.0f, 7.0f, 51u * 25u }, { 0.0f, 90.0f, 360u * 2u } })
        EXPECT_EQ(SkyDome::generate(theta, phi).size(), 4 * cells) << theta << " by " << phi;
}

// A player standing on the equator at +x, looking along the horizon to +z.
// The sun turns in the x-z plane: angle 0 is noon overhead, 90 sets in
// front of the player, 180 is midnight. The view comes from the camera, so
// a wrong view shows as the wrong colours as well.
TEST(SkyDomeTest, DayIsBlueSunsetIsWarmAndNightIsDarkAndTheStateIsRestored)
{
    const int width = 96, height = 64;
    Planet planet(500.0);
    Camera camera;
    camera.set({ 505, 0, 0 }, Orientation::fromAxes({ 0, 0, 1 }, { 1, 0, 0 }, { 0, 1, 0 }));
    std::unique_ptr<SkyDome> dome;
    EXPECT_EQ(outputOf([&] { dome = std::make_unique<SkyDome>(15.0f, 15.0f); }), "");
    EXPECT_EQ(dome->buffer.count, 1152);
    EXPECT_EQ(SkyDome(7.0f, 7.0f).vertexCount, 4 * 51 * 25) << "counted as made, not estimated from the step";

    for (const auto& [name, sunAngle, x, y, colour] :
        { std::tuple { "day, horizon", 0.0, width / 2, height / 2 + 3, std::array { 0.52, 0.69, 0.92 } },
            { "day, high", 0.0, width / 2, height - 4, { 0.23, 0.44, 0.83 } },
            { "sunset, near the sun", 92.0, width / 2 + 20, height / 2 + 2, { 0.69, 0.43, 0.29 } },
            { "night, horizon", 180.0, width / 2, height / 2 + 3, { 0.03, 0.05, 0.11 } },
            { "night, high", 180.0, width / 2, height - 4, { 0.01, 0.02, 0.06 } } }) {
        planet.setSunAngle(sunAngle);
        OffscreenTarget target(width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(camera.fieldOfView, double(width) / height, camera.nearPlane, camera.farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera.applyView();
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        // The game culls back faces: the dome must face inwards.
        glEnable(GL_CULL_FACE);
        dome->render(camera.lookDirection());
        glDisable(GL_CULL_FACE);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING)) << name;
        // The average of a small patch, which stars barely move.
        double seen[3] = {};
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                for (int i = 0; i < 3; ++i)
                    seen[i] += target.pixel(x + dx, y + dy)[i] / (25 * 255.0);
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(colour[i], seen[i], 0.05) << name << ", channel " << i;
    }
    glDisable(GL_LIGHTING);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_TRUE(program == 0 && currentProgram == 0) << "the fixed pipeline is current again";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
