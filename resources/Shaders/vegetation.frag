#version 150 compatibility
// Grass blades from the billboard's alpha. Thin blades take the light of
// the ground they stand on (its up direction), whichever side of the quad
// is seen, and their bases lie in the shade of the blades around them.

uniform sampler2DArray vegetationTexture;
uniform vec3 sunPosition;
uniform vec3 playerPosition;
uniform vec3 sunColour;
uniform vec3 moonColour;
uniform vec3 ambientColour;
// The blue fill lamp, black while it is off.
uniform vec3 fillColour;
uniform vec3 fogColour;
uniform vec2 fogRange;

in vec2 texCoord;
in vec3 worldPos;
in vec3 up;

// The alpha at which a blade's edge lies; the texture's mipmap levels keep
// the share of texels reaching it, so distant grass stays as dense.
uniform float cutoff;

void main()
{
    vec4 texel = texture(vegetationTexture, vec3(texCoord, 0.0));
    // Sharpened to a pixel's width about the cutoff: crisp blades up close,
    // where a plain test would leave the magnified texels' stairs.
    float alpha = clamp((texel.a - cutoff) / max(fwidth(texel.a), 0.0001) + 0.5, 0.0, 1.0);
    // A quad seen edge on (as every quad is from above) would draw as one
    // thin stroke, and together they would hatch the ground: it fades as it
    // turns away.
    vec3 facing = normalize(cross(dFdx(worldPos), dFdy(worldPos)));
    alpha *= smoothstep(0.1, 0.35, abs(dot(facing, normalize(worldPos - playerPosition))));
    if (alpha < 0.02)
        discard;
    vec3 toSun = normalize(sunPosition - worldPos);
    float sunHeight = dot(up, toSun);
    vec3 light = ambientColour + sunColour * (0.3 + 0.7 * max(sunHeight, 0.0)) * step(0.0, sunHeight + 0.05)
        + moonColour * max(-sunHeight, 0.0) + fillColour;
    vec3 colour = texel.rgb * light * mix(0.8, 1.05, texCoord.t);
    float fog = smoothstep(fogRange.x, fogRange.y, distance(worldPos, playerPosition));
    gl_FragColor = vec4(mix(colour, fogColour, fog), alpha);
}
