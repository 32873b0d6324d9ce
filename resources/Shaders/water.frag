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
// The blue fill lamp, black while it is off.
uniform vec3 fillColour;
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
    // The surface is laid out along the world axes nearest to it: seen
    // along its normal, the tangent plane itself would give every point of
    // the sphere the same coordinates.
    vec3 a = abs(n);
    vec2 uv = a.x > a.y && a.x > a.z ? worldPos.zy : (a.y > a.z ? worldPos.xz : worldPos.xy);

    float phase = elapsedTime / loopSeconds;
    vec2 uvA = uv * 0.09 + vec2(0.011, 0.007) * elapsedTime;
    vec2 uvB = uv * 0.13 - vec2(0.006, 0.013) * elapsedTime;
    float lineA = caustic(uvA, phase);
    float lineB = caustic(uvB, 0.37 - phase * 0.8);
    // Where the bright lines of the two layers cross, the light gathers most.
    float light = smoothstep(0.25, 0.95, lineA * 0.65 + lineB * 0.5);

    // Ripples: the slopes of the first layer tilt the surface normal.
    const float e = 0.01;
    float slopeU = caustic(uvA + vec2(e, 0.0), phase) - lineA;
    float slopeV = caustic(uvA + vec2(0.0, e), phase) - lineA;
    vec3 rippled = normalize(n - (t * slopeU + b * slopeV) * 2.5);

    vec3 toEye = normalize(playerPos - worldPos);
    vec3 toSun = normalize(sunPosition - worldPos);
    float facing = max(dot(rippled, toEye), 0.0);
    float fresnel = 0.06 + 0.94 * pow(1.0 - facing, 5.0);

    float sunHigh = max(dot(n, toSun), 0.0);
    vec3 lit = ambientColour + sunColour * sunHigh + moonColour * max(dot(n, -toSun), 0.0) + fillColour;
    vec3 body = mix(deepColour, shallowColour, 0.35 + 0.4 * lineA) * lit;
    // A low sun gathers little light under the water.
    body += causticTint * light * (sunColour * sunHigh * 0.9 + moonColour * 0.5 + ambientColour * 0.25);
    vec3 colour = mix(body, fogColour * 1.05, fresnel);
    // The sun's glint, broken up by the ripples.
    float glint = pow(max(dot(reflect(-toSun, rippled), toEye), 0.0), 300.0) * (0.3 + 1.7 * light);
    colour += sunColour * glint * 2.0;

    // Clear enough to see the ground below when looking down into it.
    float alpha = clamp(0.42 + 0.5 * fresnel + 0.3 * light + glint, 0.0, 0.95);
    float fog = smoothstep(fogRange.x, fogRange.y, distance(worldPos, playerPos));
    gl_FragColor = vec4(mix(colour, fogColour, fog), mix(alpha, 1.0, fog));
}
