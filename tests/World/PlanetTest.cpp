#include "World/Planet.h"

#include "Interface/Console.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {
std::string command(Planet& planet, std::deque<std::string> words)
{
    return planet.handleCommand(words);
}
}

TEST(PlanetTest, InstanceIsPublishedWhileThePlanetLivesAndReportedWhenMissing)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, Planet::getInstance());
    EXPECT_EQ("Error: planet instance pointer wasn't initialized!\n", testing::internal::GetCapturedStderr());
    {
        Planet planet(500.0);
        EXPECT_EQ(&planet, Planet::getInstance());
        EXPECT_EQ("Planet and sun updates paused", Console::getInstance().runCommand({ "planet", "pause" }));
        EXPECT_TRUE(planet.isPaused());
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(nullptr, Planet::getInstance());
    testing::internal::GetCapturedStderr();
    // The console forgot the destroyed planet instead of calling into it.
    EXPECT_EQ("Unrecognized command: \"planet\"", Console::getInstance().runCommand({ "planet" }));
}

TEST(PlanetTest, ShapeOfTheWorld)
{
    Planet planet(500.0);
    EXPECT_DOUBLE_EQ(-5.0, planet.seaLevel);
    EXPECT_DOUBLE_EQ(10.0, planet.heightAt(0.0, 510.0, 0.0));
    EXPECT_DOUBLE_EQ(-500.0, planet.heightAt(0.0, 0.0, 0.0));
    EXPECT_EQ(Vector3(1.0, 0.0, 0.0), planet.upAt(0.0, 0.0, 0.0));
    const Vector3 up = planet.upAt(300.0, -400.0, 0.0);
    EXPECT_NEAR(0.6, up.x, 1e-12);
    EXPECT_NEAR(-0.8, up.y, 1e-12);
    EXPECT_EQ(Vector3(50000.0, 0.0, 0.0), planet.sunPosition());
}

TEST(PlanetTest, SunMovesOnlyOnceTheAccumulatorPassesTwentyMilliseconds)
{
    Planet planet(500.0);
    planet.update(0.015);
    planet.update(0.015);
    EXPECT_EQ(0.0, planet.sunAngle());
    planet.update(0.015);
    // The third frame turns the sun by the 0.03 s gathered, not 0.045 s.
    EXPECT_NEAR(0.09, planet.sunAngle(), 1e-12);
    planet.update(0.015);
    planet.update(0.015);
    EXPECT_NEAR(0.09, planet.sunAngle(), 1e-12);
    const double radians = 0.09 * 3.141592653589 / 180.0;
    EXPECT_NEAR(std::cos(radians) * 50000.0, planet.sunPosition().x, 1e-9);
    EXPECT_NEAR(std::sin(radians) * 50000.0, planet.sunPosition().z, 1e-9);

    command(planet, { "pause" });
    for (int i = 0; i < 10; ++i)
        planet.update(0.015);
    EXPECT_NEAR(0.09, planet.sunAngle(), 1e-12);
}

TEST(PlanetTest, SunAngleStaysWithinOneTurn)
{
    Planet planet(500.0);
    command(planet, { "dayLength", "1" });
    planet.update(2.75); // a long stall gathers almost three days
    planet.update(0.0);
    EXPECT_NEAR(270.0, planet.sunAngle(), 1e-9);

    planet.setSunAngle(-90.0);
    EXPECT_NEAR(270.0, planet.sunAngle(), 1e-12);
    planet.setSunAngle(std::nan(""));
    EXPECT_EQ(0.0, planet.sunAngle());
    EXPECT_EQ(Vector3(50000.0, 0.0, 0.0), planet.sunPosition());
}

TEST(PlanetTest, DayLengthCommands)
{
    Planet planet(500.0);
    EXPECT_EQ("Planet: current day length is  120 seconds", command(planet, { "dayLength" }));
    EXPECT_EQ("Planet: day length set to: 1 seconds", command(planet, { "dayLength", "0.5" }));
    EXPECT_EQ("Planet: day length set to: 45 seconds", command(planet, { "dayLength", "45.9", "ignored" }));
    EXPECT_EQ("Planet: day length set to: 12 seconds", command(planet, { "dayLength", "12abc" }));
    EXPECT_EQ("Planet: Error: could not parse \"abc\" to a number!", command(planet, { "dayLength", "abc" }));
    EXPECT_EQ("Planet: day length set to: 2147483647 seconds", command(planet, { "dayLength", "1e30" }));
    EXPECT_EQ(
        "Planet: Error: could not parse \"1e999\" to a number!", command(planet, { "dayLength", "1e999" }));
    EXPECT_EQ(2147483647, planet.dayLength());
}

TEST(PlanetTest, GravityAndOtherCommands)
{
    Planet planet(500.0);
    EXPECT_EQ("Planet: current gravity  9.81 m/s/s", command(planet, { "gravity" }));
    EXPECT_EQ("Planet: gravity set to: 9.81 m/s/s", command(planet, { "gravity", "0.005" }));
    EXPECT_EQ("Planet: gravity set to: 9.81 m/s/s", command(planet, { "gravity", "-3" }));
    EXPECT_EQ("Planet: gravity set to: 3.5 m/s/s", command(planet, { "gravity", "3.5" }));
    EXPECT_EQ(3.5, planet.gravity());
    EXPECT_EQ("Planet: Error: could not parse \"x\" to a number!", command(planet, { "gravity", "x" }));

    EXPECT_EQ(
        "Planet commands: \n pause \n resume \n dayLength [seconds] \n gravity [grav]", command(planet, {}));
    EXPECT_EQ("Planet and sun updates paused", command(planet, { "pause", "now" }));
    EXPECT_EQ("Planet and sun updates resumed", command(planet, { "resume" }));
    EXPECT_FALSE(planet.isPaused());
    EXPECT_EQ("Planet: unknown command: \"Pause\"", command(planet, { "Pause" }));
}

TEST(PlanetTest, OrientationForUpAtThePolesAndTheEquator)
{
    const Orientation north = Planet::orientationForUp({ 0.0, 1.0, 0.0 });
    EXPECT_EQ(Vector3(1, 0, 0), north.forward);
    EXPECT_EQ(Vector3(0, 1, 0), north.up);
    EXPECT_EQ(Vector3(0, 0, 1), north.right);

    const Orientation south = Planet::orientationForUp({ 0.0, -1.0, 0.0 });
    EXPECT_EQ(Vector3(1, 0, 0), south.forward);
    EXPECT_EQ(Vector3(0, -1, 0), south.up);
    EXPECT_EQ(Vector3(0, 0, -1), south.right);

    const Orientation east = Planet::orientationForUp({ 1.0, 0.0, 0.0 });
    EXPECT_EQ(Vector3(0, 0, 1), east.forward);
    EXPECT_EQ(Vector3(1, 0, 0), east.up);
    EXPECT_EQ(Vector3(0, 1, 0), east.right);
}

TEST(PlanetTest, OrientationForAnyUpIsARightHandedBasisAroundIt)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-1.0, 1.0);
    testing::internal::CaptureStdout();
    for (int i = 0; i < 500; ++i) {
        const Vector3 up = Vector3(coordinate(random), coordinate(random), coordinate(random)).normalise();
        const Orientation o = Planet::orientationForUp(up);
        EXPECT_NEAR(0.0, (o.up - up).length(), 1e-12);
        EXPECT_NEAR(0.0, (o.forward.cross(o.up) - o.right).length(), 1e-9);
        EXPECT_NEAR(1.0, o.forward.length(), 1e-12);
    }
    // Just outside the polar cap, where the cross products are short.
    const Vector3 nearPole(std::sqrt(1.0 - 0.9998 * 0.9998), 0.9998, 0.0);
    const Orientation o = Planet::orientationForUp(nearPole);
    EXPECT_NEAR(0.0, (o.up - nearPole).length(), 1e-12);
    EXPECT_NEAR(0.0, o.forward.dot(o.up), 1e-9);
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
}
