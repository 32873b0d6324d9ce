#version 150 compatibility
// Ground: up to three materials blended across each triangle, every one
// projected from the three world axes (triplanar) with its diffuse, normal
// and detail map; lit by the sun, the moon and the sky; a ring where the
// cursor points; haze towards the end of the world.

uniform sampler2DArray textureArray;
uniform sampler2DArray normalArray;
uniform sampler2DArray detailArray;
uniform sampler2D noiseTexture;

uniform vec3 sunPosition;
uniform vec3 playerPos;
uniform vec3 pickedPos;
// The light of the hour, computed once a frame from the sun and the viewer.
uniform vec3 sunColour;
uniform vec3 moonColour;
uniform vec3 ambientColour;
uniform vec3 fogColour;
uniform vec2 fogRange;

in vec3 worldPos;
in vec3 worldNormal;
in vec3 weights;
flat in vec3 layers;

// One diffuse tile every four voxels, the detail map five times as fine, and
// a slow cloudy variation that hides the repetition of the tiles.
const float tileScale = 0.25;
const float detailScale = 1.25;
const float macroScale = 0.011;
const float bumpStrength = 0.7;
const vec3 markColour = vec3(1.0, 0.82, 0.30);

vec3 colourSum;
vec3 bumpSum;
float detailSum;
float macroSum;

// Adds one projection: the three materials sampled at uv, blended by their
// weights. The tangent-space bump is returned for the caller to turn into
// world space, which depends on the projection's axis.
vec3 addProjection(vec2 uv, float share)
{
    vec3 bump = vec3(0.0);
    for (int i = 0; i < 3; ++i) {
        float w = weights[i] * share;
        if (w < 0.004)
            continue;
        vec3 at = vec3(uv * tileScale, layers[i]);
        colourSum += texture(textureArray, at).rgb * w;
        bump += (texture(normalArray, at).xyz * 2.0 - 1.0) * w;
        detailSum += texture(detailArray, vec3(uv * detailScale, layers[i])).r * w;
    }
    macroSum += texture(noiseTexture, uv * macroScale).r * share;
    return vec3(bump.xy * bumpStrength, bump.z);
}

void main()
{
    vec3 up = normalize(worldPos);
    float normalLength = length(worldNormal);
    vec3 n = normalLength > 0.0001 ? worldNormal / normalLength : up;

    // Sharp triplanar weights, so most fragments sample one projection only.
    vec3 blend = pow(abs(n), vec3(6.0));
    blend /= blend.x + blend.y + blend.z;
    blend *= step(0.03, blend);
    blend /= blend.x + blend.y + blend.z;

    colourSum = vec3(0.0);
    bumpSum = vec3(0.0);
    detailSum = 0.0;
    macroSum = 0.0;
    // Each projection's tangent normal is added to the surface normal's
    // matching components and swizzled back into world space.
    if (blend.x > 0.0) {
        vec3 t = addProjection(worldPos.zy, blend.x);
        bumpSum += vec3(t.xy + n.zy, n.x).zyx * blend.x;
    }
    if (blend.y > 0.0) {
        vec3 t = addProjection(worldPos.xz, blend.y);
        bumpSum += vec3(t.xy + n.xz, n.y).xzy * blend.y;
    }
    if (blend.z > 0.0) {
        vec3 t = addProjection(worldPos.xy, blend.z);
        bumpSum += vec3(t.xy + n.xy, n.z) * blend.z;
    }
    vec3 normal = normalize(bumpSum);

    vec3 albedo = colourSum * mix(1.0, detailSum * 2.0, 0.7) * mix(0.8, 1.2, macroSum);

    vec3 toSun = normalize(sunPosition - worldPos);
    // Bumps on a slope turned away from the sun stay in its shadow.
    float sunSide = smoothstep(-0.05, 0.15, dot(n, toSun));
    float sky = 0.6 + 0.4 * dot(normal, up);
    vec3 light = ambientColour * sky + sunColour * max(dot(normal, toSun), 0.0) * sunSide
        + moonColour * max(dot(normal, -toSun), 0.0);
    vec3 colour = albedo * light;

    float fromPick = distance(worldPos, pickedPos);
    float ring = smoothstep(0.45, 0.6, fromPick) * (1.0 - smoothstep(0.7, 0.85, fromPick));
    float spot = 0.2 * (1.0 - smoothstep(0.0, 0.6, fromPick));
    colour = mix(colour, markColour * max(light, vec3(0.35)), clamp(ring * 0.85 + spot, 0.0, 1.0));

    float fog = smoothstep(fogRange.x, fogRange.y, distance(worldPos, playerPos));
    gl_FragColor = vec4(mix(colour, fogColour, fog), 1.0);
}
