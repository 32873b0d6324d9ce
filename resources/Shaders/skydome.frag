#version 120
// Sky colour from the sun's height over the player's horizon. The planet is
// round, so "up" is the direction from its centre to the player, not +y.

uniform vec3 sunPosition;
uniform vec3 playerPos;
uniform vec3 playerLookAtDir;

varying vec3 direction;

const vec3 dayZenith = vec3(0.13, 0.35, 0.80);
const vec3 dayHorizon = vec3(0.66, 0.81, 0.96);
const vec3 nightZenith = vec3(0.004, 0.008, 0.030);
const vec3 nightHorizon = vec3(0.030, 0.055, 0.120);
const vec3 sunsetRed = vec3(0.85, 0.22, 0.10);
const vec3 sunsetOrange = vec3(1.00, 0.55, 0.18);
const vec3 twilightPurple = vec3(0.32, 0.22, 0.42);
const vec3 noonSun = vec3(1.00, 0.97, 0.88);
const vec3 lowSun = vec3(1.00, 0.50, 0.20);
const vec3 moonLight = vec3(0.80, 0.85, 0.95);

vec3 safeNormalize(vec3 v, vec3 fallback)
{
    float len = length(v);
    return len > 0.0001 ? v / len : fallback;
}

float hash(vec3 p)
{
    p = fract(p * vec3(0.1031, 0.1030, 0.0973));
    p += dot(p, p.yxz + 33.33);
    return fract((p.x + p.y) * p.z);
}

// Sparse points of light fixed to the world's directions.
float stars(vec3 dir)
{
    vec3 grid = dir * 160.0;
    vec3 cell = floor(grid);
    float chance = hash(cell);
    if (chance < 0.985)
        return 0.0;
    vec3 centre = vec3(hash(cell + 17.0), hash(cell + 31.0), hash(cell + 53.0)) * 0.6 + 0.2;
    float spot = 1.0 - smoothstep(0.0, 0.35, length(grid - cell - centre));
    return spot * (0.3 + 0.7 * pow((chance - 0.985) / 0.015, 2.0));
}

void main()
{
    vec3 dir = normalize(direction);
    vec3 up = safeNormalize(playerPos, vec3(0.0, 1.0, 0.0));
    vec3 sunDir = safeNormalize(sunPosition - playerPos, -up);
    vec3 look = safeNormalize(playerLookAtDir, dir);

    float height = dot(dir, up);
    float sunHeight = dot(sunDir, up);
    float sunCos = dot(dir, sunDir);
    // The gradients start a little under the horizon: the curved ground
    // drops away, and a crease exactly at the horizon would show.
    float above = smoothstep(-0.08, 0.8, height);

    // 1 in full day, 0 in the night; sunset is strongest with the sun on the horizon.
    float day = smoothstep(-0.22, 0.18, sunHeight);
    float sunset = 1.0 - smoothstep(0.0, 0.32, abs(sunHeight + 0.04));
    float towardSun = pow(max(sunCos * 0.5 + 0.5, 0.0), 3.0);
    float horizonBand = exp(-max(height + 0.04, 0.0) * 5.0);

    vec3 daySky = mix(dayHorizon, dayZenith, sqrt(above));
    daySky += vec3(0.30, 0.24, 0.14) * pow(max(sunCos, 0.0), 6.0) * 0.45;
    vec3 nightSky = mix(nightHorizon, nightZenith, above);
    vec3 sky = mix(nightSky, daySky, day);

    vec3 sunsetGlow = mix(twilightPurple, mix(sunsetRed, sunsetOrange, towardSun), 0.35 + 0.65 * towardSun);
    sky = mix(sky, sunsetGlow, sunset * horizonBand * (0.45 + 0.55 * towardSun));
    sky = mix(sky, twilightPurple * 0.6, sunset * (1.0 - horizonBand) * 0.25);

    // Under the horizon the haze darkens towards the ground.
    sky *= mix(1.0, 0.55, smoothstep(-0.05, -0.6, height));

    float sunUp = smoothstep(-0.12, 0.02, sunHeight);
    vec3 sunColour = mix(lowSun, noonSun, smoothstep(0.0, 0.35, sunHeight));
    float disc = smoothstep(0.99965, 0.99978, sunCos);
    float halo = pow(max(sunCos, 0.0), 1500.0) * 0.6 + pow(max(sunCos, 0.0), 60.0) * (0.15 + 0.35 * sunset);
    sky += sunColour * (disc * 1.5 + halo) * sunUp;

    // Facing the sun fills the whole view with a little of its light.
    sky += sunColour * pow(max(dot(look, sunDir), 0.0), 8.0) * 0.12 * sunUp * day;

    float night = 1.0 - day;
    float moonCos = dot(dir, -sunDir);
    float moon = smoothstep(0.99940, 0.99960, moonCos);
    float moonHalo = pow(max(moonCos, 0.0), 400.0) * 0.35;
    sky += moonLight * (moon + moonHalo) * night * smoothstep(-0.05, 0.05, height);

    sky += vec3(stars(dir)) * night * smoothstep(0.0, 0.2, height) * (1.0 - moon);

    gl_FragColor = vec4(clamp(sky, 0.0, 1.0), 1.0);
}
