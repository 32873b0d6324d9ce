#version 150 compatibility
// Models lit like the ground, with their normal maps; the picked instance
// glows at its rim, and its outline (from the geometry stage) is drawn in
// the same warm colour.

uniform sampler2D texture;
uniform sampler2D textureNormal;
uniform vec3 sunPosition;
uniform vec3 playerPos;
uniform int picked;
uniform vec3 sunColour;
uniform vec3 moonColour;
uniform vec3 ambientColour;
// The blue fill lamp, black while it is off.
uniform vec3 fillColour;
uniform vec3 fogColour;
uniform vec2 fogRange;

in ModelData
{
    vec3 worldPos;
    vec3 normal;
    vec3 tangent;
    vec2 uv;
    float outline;
}
fragmentIn;

const vec3 markColour = vec3(1.0, 0.78, 0.25);

void main()
{
    if (fragmentIn.outline > 0.5) {
        gl_FragColor = vec4(markColour, 1.0);
        return;
    }
    vec3 up = normalize(fragmentIn.worldPos);
    float normalLength = length(fragmentIn.normal);
    vec3 n = normalLength > 0.0001 ? fragmentIn.normal / normalLength : up;
    vec3 t = fragmentIn.tangent - n * dot(fragmentIn.tangent, n);
    vec3 normal = n;
    // A mesh without tangents (or a material without a normal map, which
    // samples as black) keeps its vertex normal.
    vec3 bumpTexel = texture2D(textureNormal, fragmentIn.uv).xyz;
    if (length(t) > 0.0001 && bumpTexel.z > 0.0) {
        t = normalize(t);
        vec3 bump = bumpTexel * 2.0 - 1.0;
        normal = normalize(t * bump.x + cross(n, t) * bump.y + n * bump.z);
    }

    vec3 albedo = texture2D(texture, fragmentIn.uv).rgb;
    vec3 toSun = normalize(sunPosition - fragmentIn.worldPos);
    vec3 toEye = normalize(playerPos - fragmentIn.worldPos);
    float sky = 0.6 + 0.4 * dot(normal, up);
    vec3 light = ambientColour * sky + sunColour * max(dot(normal, toSun), 0.0)
        + moonColour * max(dot(normal, -toSun), 0.0) + fillColour * sky;
    float shine = pow(max(dot(reflect(-toSun, normal), toEye), 0.0), 24.0) * 0.25;
    vec3 colour = albedo * light + sunColour * shine;

    if (picked == 1) {
        float rim = pow(1.0 - max(dot(normal, toEye), 0.0), 2.0);
        colour = mix(colour, markColour, 0.12 + 0.5 * rim);
    }
    float fog = smoothstep(fogRange.x, fogRange.y, distance(fragmentIn.worldPos, playerPos));
    gl_FragColor = vec4(mix(colour, fogColour, fog), 1.0);
}
