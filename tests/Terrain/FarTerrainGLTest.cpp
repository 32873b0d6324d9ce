#include "Graphics/Camera.h"
#include "Interface/Interface.h"
#include "Terrain/DataManagerWorld.h"
#include "Terrain/Daylight.h"
#include "Terrain/FarTerrain.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainRenderer.h"
#include "World/Planet.h"
#include "World/TempFolder.h"
#include "World/TerrainDataManager.h"
#include "support/GLTestSupport.h"

#include <GL/glu.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int SIZE = 192;
constexpr double PI = 3.14159265358979;
// The clear colour, which no lit or hazy ground has.
const Pixel CLEAR { 255, 0, 255, 255 };

bool near(const Pixel& a, const Pixel& b, int tolerance)
{
    return std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance
        && std::abs(a[2] - b[2]) <= tolerance;
}

} // namespace

// A new world's rings around a viewer 60 units over the start, and its far
// level, built and uploaded as the game does, seen from 1500 units away (a
// round planet) and from the viewer, 28 degrees down towards the horizon:
// the ground goes on past the coarse ring's end up to the horizon, with no
// band of haze between them, which there is with the far level hidden.
TEST(FarTerrainGLTest, ThePlanetIsRoundFromAfarAndGoesOnPastTheRings)
{
    OffscreenTarget target(SIZE, SIZE);
    Interface interface;
    Camera camera;
    TempFolder temp;
    double start[3] = { 510.0, 0.0, 0.0 };
    testing::internal::CaptureStdout();
    TerrainDataManager manager(start, "World", 13, 14, TerrainDataManager::GAME_CAPACITY, temp.path, false);
    testing::internal::GetCapturedStdout();
    const Planet& planet = manager.planet();
    const Vector3 up = planet.upAt({ start[0], start[1], start[2] });
    const Vector3 viewer = planet.centre + up * (planet.radius + 60.0);
    DataManagerWorld world(manager);
    Terrain terrain(world, viewer);
    terrain.setFarLevel(std::make_unique<FarTerrain>(manager));
    FarTerrain& far = *terrain.farLevel();
    while (!far.isBuilt())
        terrain.runPass();
    while (terrain.farHazeOpening() < 1.0)
        terrain.update(0.5);
    TerrainRenderer renderer(terrain, {});
    for (const GLenum capability : { GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND })
        glEnable(capability);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, camera.nearPlane, camera.farPlane);
    glMatrixMode(GL_MODELVIEW);
    auto frame = [&](const Vector3& eye, const Vector3& forward, const Vector3& upward) {
        glLoadIdentity();
        camera.set(eye, Orientation::fromAxes(forward, upward, forward.cross(upward)));
        camera.applyView();
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        std::lock_guard<std::mutex> hold(terrain.lock());
        renderer.renderCells(terrain.fineVisible(), terrain.coarseVisible(), SIZE / 2, SIZE / 2);
    };

    // From afar: the covered pixels fill the disc of their own area about
    // their centre, and that disc is the planet's size.
    const Vector3 side = up.cross(Vector3(0.0, 0.0, 1.0)).normalise();
    frame(planet.centre + up * 1500.0, up * -1.0, side);
    EXPECT_GT(renderer.lastPass.farTerrain, 50);
    EXPECT_GT(renderer.lastPass.farSea, 5);
    std::vector<std::pair<int, int>> covered;
    double cx = 0.0, cy = 0.0;
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x)
            if (!near(target.pixel(x, y), CLEAR, 2)) {
                covered.push_back({ x, y });
                cx += x;
                cy += y;
            }
    cx /= covered.size();
    cy /= covered.size();
    const double radius = std::sqrt(covered.size() / PI);
    const double expected = std::tan(std::asin(planet.radius / 1500.0)) / std::tan(PI / 6.0) * SIZE / 2;
    EXPECT_NEAR(radius, expected, 0.1 * expected);
    EXPECT_NEAR(cx, SIZE / 2.0, 2.0);
    EXPECT_NEAR(cy, SIZE / 2.0, 2.0);
    int outside = 0;
    for (const auto& [x, y] : covered)
        outside += std::hypot(x - cx, y - cy) > 1.1 * radius;
    EXPECT_LT(outside, static_cast<int>(covered.size()) / 100) << "pixels off the disc";

    // Low: the top of the ground in each column, as the angle of its row below the horizontal.
    const double tilt = 28.0 * PI / 180.0;
    const Vector3 ahead = side.cross(up);
    const Vector3 forward = ahead * std::cos(tilt) - up * std::sin(tilt);
    const Vector3 upward = ahead * std::sin(tilt) + up * std::cos(tilt);
    const Vector3 haze = Daylight::at(planet.sunPosition(), viewer, up).fogColour * 255.0;
    const Pixel fog { static_cast<int>(haze.x), static_cast<int>(haze.y), static_cast<int>(haze.z), 255 };
    auto groundTop = [&](int& hazy) {
        std::vector<double> dips;
        hazy = 0;
        for (int x = 0; x < SIZE; ++x) {
            int y = 0;
            while (y < SIZE && !near(target.pixel(x, y), CLEAR, 2)) {
                hazy += near(target.pixel(x, y), fog, 12);
                ++y;
            }
            dips.push_back(tilt - std::atan((y - SIZE / 2.0) / (SIZE / 2.0) * std::tan(PI / 6.0)));
        }
        std::nth_element(dips.begin(), dips.begin() + SIZE / 2, dips.end());
        return dips[SIZE / 2] * 180.0 / PI;
    };
    // The coarse ring ends 140 units away along the ground, 30 degrees down;
    // the horizon lies 26.8 degrees down.
    int hazy = 0;
    frame(viewer, forward, upward);
    const double withFar = groundTop(hazy);
    EXPECT_LT(withFar, 28.5);
    EXPECT_LT(hazy, SIZE) << "hazy pixels";
    far.setHidden({ -100000, 100000, -100000, 100000, -100000, 100000 });
    frame(viewer, forward, upward);
    EXPECT_GT(groundTop(hazy), withFar + 1.0) << "the rings alone end before the horizon";
}
