#include "World/Planet.h"

#include "Interface/Console.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

TEST(PlanetTest, ShapeAndTheConsoleForgetsADestroyedPlanet)
{
    {
        Planet planet(500.0);
        EXPECT_EQ(&planet, Planet::getInstance());
        EXPECT_DOUBLE_EQ(10.0, planet.heightAt(0.0, 510.0, 0.0));
        EXPECT_EQ(Vector3(1.0, 0.0, 0.0), planet.upAt(0.0, 0.0, 0.0)); // at the centre
        EXPECT_NEAR(0.0, (planet.upAt(300.0, -400.0, 0.0) - Vector3(0.6, -0.8, 0.0)).length(), 1e-12);
        EXPECT_EQ("Planet and sun updates paused", Console::getInstance().runCommand({ "planet", "pause" }));
        EXPECT_TRUE(planet.isPaused());
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, Planet::getInstance());
    testing::internal::GetCapturedStderr();
    EXPECT_EQ("Unrecognized command: \"planet\"", Console::getInstance().runCommand({ "planet" }));
}

TEST(PlanetTest, SunMovesInTwentyMillisecondStepsAndStaysWithinOneTurn)
{
    {
        Planet planet(500.0);
        for (int frame = 0; frame < 5; ++frame) {
            planet.update(0.015);
            // The third frame turns the sun by the 0.03 s gathered, not 0.045 s; the next two gather again.
            EXPECT_NEAR(frame < 2 ? 0.0 : 0.09, planet.sunAngle(), 1e-12) << frame;
        }
        const double radians = 0.09 * 3.141592653589 / 180.0;
        EXPECT_NEAR(0.0,
            (Vector3(std::cos(radians), 0, std::sin(radians)) * 50000.0 - planet.sunPosition()).length(),
            1e-9);
        planet.handleCommand({ "pause" });
        for (int i = 0; i < 10; ++i)
            planet.update(0.015);
        EXPECT_NEAR(0.09, planet.sunAngle(), 1e-12);
    }
    Planet planet(500.0);
    planet.handleCommand({ "dayLength", "1" });
    planet.update(2.75); // a long stall gathers almost three days
    planet.update(0.0);
    EXPECT_NEAR(270.0, planet.sunAngle(), 1e-9);
    planet.setSunAngle(-90.0);
    EXPECT_NEAR(270.0, planet.sunAngle(), 1e-12);
    planet.setSunAngle(std::nan(""));
    EXPECT_EQ(Vector3(50000.0, 0.0, 0.0), planet.sunPosition());
}

TEST(PlanetTest, CommandsParseTruncateAndClamp)
{
    Planet planet(500.0);
    const std::pair<std::deque<std::string>, std::string> cases[] = {
        { { "dayLength" }, "Planet: current day length is  120 seconds" },
        { { "dayLength", "0.5" }, "Planet: day length set to: 1 seconds" },
        { { "dayLength", "45.9", "ignored" }, "Planet: day length set to: 45 seconds" },
        { { "dayLength", "12abc" }, "Planet: day length set to: 12 seconds" },
        { { "dayLength", "1e999" }, "Planet: Error: could not parse \"1e999\" to a number!" },
        { { "dayLength", "1e30" }, "Planet: day length set to: 2147483647 seconds" },
        { { "gravity", "0.005" }, "Planet: gravity set to: 9.81 m/s/s" },
        { { "gravity", "-3" }, "Planet: gravity set to: 9.81 m/s/s" },
        { { "gravity", "x" }, "Planet: Error: could not parse \"x\" to a number!" },
        { { "gravity", "3.5" }, "Planet: gravity set to: 3.5 m/s/s" },
        { { "resume" }, "Planet and sun updates resumed" },
        { { "Pause" }, "Planet: unknown command: \"Pause\"" },
    };
    for (const auto& [words, reply] : cases)
        EXPECT_EQ(reply, planet.handleCommand(words));
    EXPECT_TRUE(planet.dayLength() == 2147483647 && planet.gravity() == 3.5 && !planet.isPaused());
}

TEST(PlanetTest, OrientationForUpIsARightHandedBasisAroundIt)
{
    // Up, forward and right at the poles and on the equator.
    const Vector3 axes[][3] = { { { 0, 1, 0 }, { 1, 0, 0 }, { 0, 0, 1 } },
        { { 0, -1, 0 }, { 1, 0, 0 }, { 0, 0, -1 } }, { { 1, 0, 0 }, { 0, 0, 1 }, { 0, 1, 0 } } };
    for (const auto& a : axes) {
        const Orientation o = Planet::orientationForUp(a[0]);
        EXPECT_TRUE(o.up == a[0] && o.forward == a[1] && o.right == a[2]) << a[0].y;
    }
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    std::vector<Vector3> ups { { std::sqrt(1.0 - 0.9998 * 0.9998), 0.9998, 0.0 } }; // outside the polar cap
    for (int i = 0; i < 500; ++i)
        ups.push_back(Vector3(coordinate(random), coordinate(random), coordinate(random)).normalise());
    for (const Vector3& up : ups) {
        const Orientation o = Planet::orientationForUp(up);
        EXPECT_NEAR(0.0, (o.up - up).length(), 1e-12);
        EXPECT_NEAR(0.0, (o.forward.cross(o.up) - o.right).length(), 1e-9);
        EXPECT_NEAR(1.0, o.forward.length(), 1e-12);
    }
}
