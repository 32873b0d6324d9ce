#version 150 compatibility
// Ground: each fragment shows one of its triangle's three materials, chosen
// by the blend weights against a noise pattern fixed to the world, so that
// materials meet along ragged natural edges. The material is projected along
// the two world axes nearest the surface normal (biplanar), with its
// diffuse, normal and detail maps; lit by the sun, the moon, the sky and
// the fill lamp; a ring where the cursor points; haze towards the end of
// the world.
// Written for a software rasteriser too: a fixed number of texture reads
// and no indexing of vectors by values that vary between pixels.

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
// The blue fill lamp, black while it is off.
uniform vec3 fillColour;
uniform vec3 fogColour;
uniform vec2 fogRange;

in vec3 worldPos;
in vec3 worldNormal;
in vec3 weights;
flat in vec3 layers;

// One diffuse tile every four voxels, the detail map five times as fine, a
// slow cloudy variation that hides the repetition of the tiles, and the
// ragged edges between materials about a voxel across.
const float tileScale = 0.25;
const float detailScale = 1.25;
const float macroScale = 0.011;
const float edgeScale = 0.35;
const float bumpStrength = 0.7;
const vec3 markColour = vec3(1.0, 0.82, 0.30);

// The texture coordinates of the projection along the selected axis
// (sel is one of the unit vectors).
vec2 project(vec3 sel)
{
    return worldPos.zy * sel.x + worldPos.xz * sel.y + worldPos.xy * sel.z;
}

// A tangent-space bump of that projection in world space: its two texture
// directions are the world axes the projection spans.
vec3 lift(vec3 sel, vec2 t)
{
    return vec3(0.0, t.y, t.x) * sel.x + vec3(t.x, 0.0, t.y) * sel.y + vec3(t.x, t.y, 0.0) * sel.z;
}

void main()
{
    vec3 up = normalize(worldPos);
    float normalLength = length(worldNormal);
    vec3 n = normalLength > 0.0001 ? worldNormal / normalLength : up;
    vec3 a = abs(n);

    vec3 major = a.x > a.y && a.x > a.z ? vec3(1.0, 0.0, 0.0) : (a.y > a.z ? vec3(0.0, 1.0, 0.0) : vec3(0.0, 0.0, 1.0));
    vec3 minor = a.x <= a.y && a.x <= a.z ? vec3(1.0, 0.0, 0.0) : (a.y <= a.z ? vec3(0.0, 1.0, 0.0) : vec3(0.0, 0.0, 1.0));
    vec3 middle = vec3(1.0) - major - minor;
    vec2 uvMajor = project(major);
    vec2 uvMiddle = project(middle);
    // The middle projection fades out where the surface faces an axis.
    vec2 w = clamp((vec2(dot(a, major), dot(a, middle)) - 0.5773) / (1.0 - 0.5773), 0.0, 1.0);
    w = pow(w, vec2(1.5));
    w /= w.x + w.y;

    // Everything read from a projection takes both, blended as the albedo
    // is: where the normal turns past the diagonal between two axes the
    // projections swap places, and a pattern read from the major one alone
    // would jump there, drawing a straight seam down a rounded wall.
    float macro = texture(noiseTexture, uvMajor * macroScale).r * w.x
        + texture(noiseTexture, uvMiddle * macroScale).r * w.y;
    float noise = texture(noiseTexture, uvMajor * edgeScale).r * w.x
        + texture(noiseTexture, uvMiddle * edgeScale).r * w.y;
    // Where a pixel spans much of the fine pattern (the coarse ring and the
    // far level), the choice would flicker from pixel to pixel like a
    // dither: the slow pattern draws the edges there instead, wider apart.
    float span = length(fwidth(uvMajor)) * edgeScale;
    noise = mix(noise, macro, smoothstep(0.15, 0.6, span));
    float edge = clamp((noise - 0.5) * 2.2 + 0.5, 0.0, 1.0);
    float layer = edge < weights.x ? layers.x : (edge < weights.x + weights.y ? layers.y : layers.z);

    vec3 atMajor = vec3(uvMajor * tileScale, layer);
    vec3 atMiddle = vec3(uvMiddle * tileScale, layer);
    vec3 albedo = texture(textureArray, atMajor).rgb * w.x + texture(textureArray, atMiddle).rgb * w.y;
    vec2 bumpMajor = texture(normalArray, atMajor).xy * 2.0 - 1.0;
    vec2 bumpMiddle = texture(normalArray, atMiddle).xy * 2.0 - 1.0;
    vec3 normal = normalize(n + (lift(major, bumpMajor) * w.x + lift(middle, bumpMiddle) * w.y) * bumpStrength);

    float detail = texture(detailArray, vec3(uvMajor * detailScale, layer)).r * w.x
        + texture(detailArray, vec3(uvMiddle * detailScale, layer)).r * w.y;
    albedo *= mix(1.0, detail * 2.0, 0.7) * mix(0.85, 1.15, macro);

    vec3 toSun = normalize(sunPosition - worldPos);
    // Bumps on a slope turned away from the sun stay in its shadow.
    float sunSide = smoothstep(-0.05, 0.15, dot(n, toSun));
    float sky = 0.6 + 0.4 * dot(normal, up);
    vec3 light = ambientColour * sky + sunColour * max(dot(normal, toSun), 0.0) * sunSide
        + moonColour * max(dot(normal, -toSun), 0.0) + fillColour * sky;
    vec3 colour = albedo * light;

    float fromPick = distance(worldPos, pickedPos);
    float ring = smoothstep(0.45, 0.55, fromPick) * (1.0 - smoothstep(0.6, 0.7, fromPick));
    colour = mix(colour, markColour * max(light, vec3(0.35)), ring * 0.6);

    float fog = smoothstep(fogRange.x, fogRange.y, distance(worldPos, playerPos));
    gl_FragColor = vec4(mix(colour, fogColour, fog), 1.0);
}
