#include "Terrain/Daylight.h"

#include <gtest/gtest.h>

namespace {

const double sunDistance = 50000.0;

void expectColour(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
    EXPECT_NEAR(actual.z, expected.z, 1e-6);
}

// A viewer on the surface below the planet's centre, whose up is -y: the
// hour follows the sun's height over the viewer's own horizon.
const Vector3 eye { 0.0, -500.0, 0.0 };
const Vector3 up { 0.0, -1.0, 0.0 };

} // namespace

TEST(DaylightTest, NoonAndMidnightFollowTheViewersHorizonAndFadeIntoTheSkysHorizon)
{
    const Daylight noon = Daylight::at({ 0.0, -sunDistance, 0.0 }, eye, up);
    EXPECT_GT(noon.sunColour.x, 0.9);
    EXPECT_GT(noon.sunColour.z, 0.8);
    expectColour(noon.moonColour, { 0.0, 0.0, 0.0 });
    // The haze is the sky dome's day horizon colour.
    expectColour(noon.fogColour, { 0.66, 0.81, 0.96 });

    const Daylight midnight = Daylight::at({ 0.0, sunDistance, 0.0 }, eye, up);
    expectColour(midnight.sunColour, { 0.0, 0.0, 0.0 });
    EXPECT_GT(midnight.moonColour.z, 0.1);
    EXPECT_LT(midnight.ambientColour.x + midnight.ambientColour.y + midnight.ambientColour.z, 0.2);
    expectColour(midnight.fogColour, { 0.030, 0.055, 0.120 });
    EXPECT_LT(midnight.fogEnd, 120.0f) << "the haze must hide the edge of the coarse ring";
}

TEST(DaylightTest, SunsetIsRedAndDimmerThanNoon)
{
    const Daylight noon = Daylight::at({ 0.0, -sunDistance, 0.0 }, eye, up);
    const Daylight sunset = Daylight::at({ sunDistance, -500.0, 0.0 }, eye, up);
    EXPECT_GT(sunset.sunColour.x, 2.0 * sunset.sunColour.z);
    EXPECT_GT(sunset.fogColour.x, sunset.fogColour.z);
    EXPECT_LT(sunset.sunColour.y, noon.sunColour.y);
    EXPECT_GT(sunset.sunColour.x, 0.0) << "a sun on the horizon still lights the ground a little";
}
