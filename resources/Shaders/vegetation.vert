#version 150 compatibility
// Grass quads, one voxel high: the two top corners (texture t = 1) sway in
// gusts that travel across the ground, bend away from the player's feet,
// and sink into the ground between the two distances of fadeRange, beyond
// which no grass is drawn, so grass neither pops in nor out.

in vec3 vPosition;
in vec2 vTexCoord;
in vec3 vNormal;

uniform mat4 modelViewMatrix;
uniform mat4 projectionMatrix;
uniform vec3 playerPosition;
uniform sampler2D noiseTexture;
uniform float elapsedTime;
uniform vec2 fadeRange;

out vec2 texCoord;
out vec3 worldPos;
out vec3 up;

void main()
{
    float normalLength = length(vNormal);
    up = normalLength > 0.0001 ? vNormal / normalLength : normalize(vPosition);
    float tip = vTexCoord.t;

    vec3 across = cross(up, vec3(0.28, 0.85, 0.45));
    vec3 wind = length(across) > 0.01 ? normalize(across) : vec3(1.0, 0.0, 0.0);
    vec2 field = vPosition.xz + vPosition.yy * 0.6;
    float gust = textureLod(noiseTexture, field * 0.015 + vec2(0.021, 0.013) * elapsedTime, 0.0).r;
    float flutter = sin(elapsedTime * 2.7 + dot(vPosition, vec3(0.9, 0.7, 1.3))) * 0.07;
    float sway = (gust - 0.35) * 0.55 + flutter;
    vec3 position = vPosition + (wind * sway - up * abs(sway) * 0.3) * tip;

    vec3 away = position - playerPosition;
    away -= up * dot(away, up);
    float distance = length(away);
    if (distance > 0.001)
        position += away / distance * (1.0 - smoothstep(0.2, 1.4, distance)) * 0.6 * tip;

    float fade = 1.0 - smoothstep(fadeRange.x, fadeRange.y, length(vPosition - playerPosition));
    position -= up * (1.0 - fade) * tip;

    texCoord = vTexCoord;
    worldPos = position;
    gl_Position = projectionMatrix * (modelViewMatrix * vec4(position, 1.0));
}
