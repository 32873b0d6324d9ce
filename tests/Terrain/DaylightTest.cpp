#include "Terrain/Daylight.h"

#include <gtest/gtest.h>

// A viewer on the surface below the planet's centre, whose up is -y: the hour
// follows the sun's height over the viewer's own horizon, and the haze fades
// into the sky dome's horizon colour.
TEST(DaylightTest, NoonSunsetAndMidnightFollowTheViewersHorizon)
{
    const Vector3 eye { 0.0, -500.0, 0.0 }, up { 0.0, -1.0, 0.0 };
    const Daylight noon = Daylight::at({ 0.0, -50000.0, 0.0 }, eye, up);
    const Daylight sunset = Daylight::at({ 50000.0, -500.0, 0.0 }, eye, up);
    const Daylight midnight = Daylight::at({ 0.0, 50000.0, 0.0 }, eye, up);
    auto near = [](const Vector3& a, const Vector3& b) { return (a - b).length() < 1e-6; };
    EXPECT_TRUE(noon.sunColour.x > 0.9 && noon.sunColour.z > 0.8 && near(noon.moonColour, {}));
    EXPECT_TRUE(near(noon.fogColour, { 0.66, 0.81, 0.96 }));

    EXPECT_TRUE(sunset.sunColour.x > 2.0 * sunset.sunColour.z && sunset.sunColour.y < noon.sunColour.y);
    EXPECT_GT(sunset.fogColour.x, sunset.fogColour.z);
    EXPECT_GT(sunset.sunColour.x, 0.0) << "a sun on the horizon still lights the ground a little";

    EXPECT_TRUE(near(midnight.sunColour, {}) && midnight.moonColour.z > 0.1);
    EXPECT_LT(midnight.ambientColour.x + midnight.ambientColour.y + midnight.ambientColour.z, 0.2);
    EXPECT_TRUE(near(midnight.fogColour, { 0.030, 0.055, 0.120 }));
    EXPECT_LT(midnight.fogEnd, 120.0f) << "the haze must hide the edge of the coarse ring";
}
