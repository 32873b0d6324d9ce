#version 150 compatibility
// Translucent water: two layers of moving caustics from the looping 3D
// caustics texture, ripples that bend the sun's glint, the sky reflected at
// grazing angles, and the same light and haze as the ground.

uniform sampler3D noiseTexture;
uniform float elapsedTime;
uniform vec3 sunPosition;
uniform vec3 playerPos;
uniform vec3 sunColour;
uniform vec3 moonColour;
uniform vec3 ambientColour;
uniform vec3 fogColour;
uniform vec2 fogRange;

in vec3 worldPos;
in vec3 surfaceNormal;
in vec3 surfaceTangent;

const vec3 deepColour = vec3(0.03, 0.17, 0.25);
const vec3 shallowColour = vec3(0.10, 0.45, 0.48);
const vec3 causticTint = vec3(0.85, 1.0, 0.95);
// The 32 frames of the texture's depth loop once in this many seconds.
const float loopSeconds = 6.0;

float caustic(vec2 uv, float phase)
{
    return texture(noiseTexture, vec3(uv, phase)).r;
}

void main()
{
    vec3 n = normalize(surfaceNormal);
    vec3 t = surfaceTangent - n * dot(surfaceTangent, n);
    float tangentLength = length(t);
    t = tangentLength > 0.0001 ? t / tangentLength : normalize(cross(n, vec3(0.3, 0.8, 0.5)));
    vec3 b = cross(n, t);
    vec2 uv = vec2(dot(worldPos, t), dot(worldPos, b));

    float phase = elapsedTime / loopSeconds;
    vec2 uvA = uv * 0.09 + vec2(0.011, 0.007) * elapsedTime;
    vec2 uvB = uv * 0.13 - vec2(0.006, 0.013) * elapsedTime;
    float a = caustic(uvA, phase);
    float c = caustic(uvB, 0.37 - phase * 0.8);
    float light = pow(min(a, c) * 1.6, 2.0);

    // Ripples: the slope of the first layer tilts the surface normal.
    const float e = 0.01;
    float slopeU = caustic(uvA + vec2(e, 0.0), phase) - a;
    float slopeV = caustic(uvA + vec2(0.0, e), phase) - a;
    vec3 rippled = normalize(n - (t * slopeU + b * slopeV) * 2.5);

    vec3 toEye = normalize(playerPos - worldPos);
    vec3 toSun = normalize(sunPosition - worldPos);
    float facing = max(dot(rippled, toEye), 0.0);
    float fresnel = 0.06 + 0.94 * pow(1.0 - facing, 5.0);

    vec3 lit = ambientColour + sunColour * max(dot(n, toSun), 0.0) + moonColour * max(dot(n, -toSun), 0.0);
    vec3 body = mix(deepColour, shallowColour, 0.35 + 0.4 * a) * lit;
    body += causticTint * light * (sunColour + moonColour * 0.6 + ambientColour * 0.3);
    vec3 colour = mix(body, fogColour * 1.05, fresnel);
    float glint = pow(max(dot(reflect(-toSun, rippled), toEye), 0.0), 180.0);
    colour += sunColour * glint * 2.0;

    float alpha = clamp(0.55 + 0.4 * fresnel + 0.25 * light + glint, 0.0, 0.95);
    float fog = smoothstep(fogRange.x, fogRange.y, distance(worldPos, playerPos));
    gl_FragColor = vec4(mix(colour, fogColour, fog), mix(alpha, 1.0, fog));
}
