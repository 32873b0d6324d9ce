#version 120
// The dome is a small sphere around the origin; it travels with the eye so
// the sky stays at the same apparent distance wherever the player goes.

attribute vec3 vPosition;

uniform vec3 playerPos;

varying vec3 direction;

void main()
{
    direction = vPosition;
    gl_Position = gl_ModelViewProjectionMatrix * vec4(playerPos + vPosition, 1.0);
}
