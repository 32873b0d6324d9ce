#include "Terrain/Daylight.h"

#include <algorithm>
#include <cmath>

namespace {

// The sky dome's horizon and sunset colours, so the haze matches the sky.
const Vector3 dayHorizon { 0.66, 0.81, 0.96 };
const Vector3 nightHorizon { 0.030, 0.055, 0.120 };
const Vector3 sunsetGlow { 0.92, 0.42, 0.16 };

const Vector3 noonSun { 1.00, 0.95, 0.86 };
const Vector3 lowSun { 0.95, 0.48, 0.20 };
const Vector3 dayAmbient { 0.34, 0.40, 0.50 };
const Vector3 nightAmbient { 0.030, 0.040, 0.075 };
const Vector3 sunsetAmbient { 0.10, 0.04, 0.02 };
const Vector3 moonLight { 0.09, 0.11, 0.19 };

double smoothstep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

Vector3 mix(const Vector3& a, const Vector3& b, double t)
{
    return a + (b - a) * t;
}

} // namespace

Daylight Daylight::at(const Vector3& sunPosition, const Vector3& eye, const Vector3& up)
{
    const double sunHeight = (sunPosition - eye).normalise().dot(up);
    // The same ramps as the sky dome: full day from a sun 0.18 over the
    // horizon, night from 0.22 under it, sunset strongest at the horizon.
    const double day = smoothstep(-0.22, 0.18, sunHeight);
    const double sunset = 1.0 - smoothstep(0.0, 0.32, std::abs(sunHeight + 0.04));
    const double sunUp = smoothstep(-0.06, 0.06, sunHeight);

    Daylight light;
    light.sunColour = mix(lowSun, noonSun, smoothstep(0.0, 0.35, sunHeight)) * sunUp;
    light.moonColour = moonLight * (1.0 - day);
    light.ambientColour = mix(nightAmbient, dayAmbient, day) + sunsetAmbient * sunset;
    light.fogColour = mix(mix(nightHorizon, dayHorizon, day), sunsetGlow, 0.45 * sunset);
    return light;
}
