#version 150 compatibility
// Water surface vertices in world units; the normal is the planet's up
// direction and the tangent lies in the surface, so the fragment stage can
// lay the caustics and ripples flat on the water wherever it is on the
// sphere.

in vec3 vPosition;
in vec3 vNormal;
in vec3 vTangent;

uniform mat4 modelViewMatrix;
uniform mat4 projectionMatrix;

out vec3 worldPos;
out vec3 surfaceNormal;
out vec3 surfaceTangent;

void main()
{
    worldPos = vPosition;
    surfaceNormal = vNormal;
    surfaceTangent = vTangent;
    gl_Position = projectionMatrix * (modelViewMatrix * vec4(vPosition, 1.0));
}
