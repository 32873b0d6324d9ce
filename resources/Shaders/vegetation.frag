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

void main()
{
    vec4 texel = texture(vegetationTexture, vec3(texCoord, 0.0));
    if (texel.a < 0.45)
        discard;
    vec3 toSun = normalize(sunPosition - worldPos);
    float sunHeight = dot(up, toSun);
    vec3 light = ambientColour + sunColour * (0.3 + 0.7 * max(sunHeight, 0.0)) * step(0.0, sunHeight + 0.05)
        + moonColour * max(-sunHeight, 0.0) + fillColour;
    vec3 colour = texel.rgb * light * mix(0.55, 1.05, texCoord.t);
    float fog = smoothstep(fogRange.x, fogRange.y, distance(worldPos, playerPosition));
    gl_FragColor = vec4(mix(colour, fogColour, fog), 1.0);
}
