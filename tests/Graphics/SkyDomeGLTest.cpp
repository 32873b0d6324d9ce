#include "support/GLTestSupport.h"
#include "Graphics/Camera.h"
#include "Graphics/SkyDome.h"
#include "World/Planet.h"

#include <GL/glu.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A player standing on the equator at +x, looking along the horizon to +z.
// The sun turns in the x-z plane: angle 0 is noon overhead, 90 sets in
// front of the player, 180 is midnight.
class SkyDomeTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        planet = std::make_unique<Planet>(500.0);
        camera = std::make_unique<Camera>();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        dome = std::make_unique<SkyDome>(15.0f, 15.0f);
        messages = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    }
    static void TearDownTestSuite()
    {
        dome.reset();
        camera.reset();
        planet.reset();
    }

    void SetUp() override
    {
        Orientation view;
        view.forward = Vector3(0, 0, 1);
        view.up = Vector3(1, 0, 0);
        view.right = Vector3(0, 1, 0);
        camera->set(Vector3(505, 0, 0), view);
    }

    struct Colour
    {
        double r, g, b;
    };

    // The average colour of a small patch around (x, y) of the picture seen
    // with the sun at the given angle.
    Colour skyAt(double sunAngle, int x, int y)
    {
        planet->setSunAngle(sunAngle);
        OffscreenTarget target(width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(camera->fieldOfView, double(width) / height, camera->nearPlane, camera->farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        camera->applyView();
        glClearColor(1, 0, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        // The game culls back faces: the dome must face inwards.
        glEnable(GL_CULL_FACE);
        dome->render(camera->lookDirection());
        glDisable(GL_CULL_FACE);

        Colour sum { 0, 0, 0 };
        const int radius = 2;
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                const auto p = target.pixel(x + dx, y + dy);
                sum.r += p[0];
                sum.g += p[1];
                sum.b += p[2];
            }
        }
        const double n = (2 * radius + 1) * (2 * radius + 1) * 255.0;
        return { sum.r / n, sum.g / n, sum.b / n };
    }

    static constexpr int width = 96;
    static constexpr int height = 64;
    static inline std::unique_ptr<Planet> planet;
    static inline std::unique_ptr<Camera> camera;
    static inline std::unique_ptr<SkyDome> dome;
    static inline std::string messages;
};

TEST_F(SkyDomeTest, UploadsTheWholeDomeAndRestoresTheStateItChanges)
{
    EXPECT_EQ(messages, "");
    EXPECT_EQ(dome->vertexCount, 1152);
    EXPECT_EQ(dome->buffer.count, 1152);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    skyAt(0.0, width / 2, height / 2);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(currentProgram, 0u);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDisable(GL_LIGHTING);
}

TEST_F(SkyDomeTest, DayIsBlueSunsetIsWarmAndNightIsDark)
{
    const Colour horizon = skyAt(0.0, width / 2, height / 2 + 3);
    const Colour high = skyAt(0.0, width / 2, height - 4);
    EXPECT_GT(horizon.b, std::max(0.7, horizon.r));
    EXPECT_GT(high.b, high.r + 0.3);
    EXPECT_LT(high.r, horizon.r) << "the sky is paler at the horizon";

    const Colour nearSun = skyAt(92.0, width / 2 + 20, height / 2 + 2);
    EXPECT_GT(nearSun.r, std::max(0.5, nearSun.b + 0.2));

    for (int y : { height / 2 + 3, height - 4 }) {
        const Colour night = skyAt(180.0, width / 2, y);
        EXPECT_LT(std::max(night.r, night.g), 0.15);
        EXPECT_LT(night.b, 0.2);
        EXPECT_GE(night.b, night.r) << "night stays blue-black";
    }
}

} // namespace
