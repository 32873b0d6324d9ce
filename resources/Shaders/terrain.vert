#version 150 compatibility
// Terrain vertices arrive in world units (the planet's centre is the
// origin); the fragment stage textures them by their world position, so the
// ground needs no texture coordinates and shows no seams between blocks.

in vec3 vPosition;
in vec3 vNormal;
// The blend weights of the triangle's three materials and their texture
// layers; the layers are the same at all three corners of a triangle.
in vec3 vAlpha;
in vec3 vMaterial;

uniform mat4 modelViewMatrix;
uniform mat4 projectionMatrix;

out vec3 worldPos;
out vec3 worldNormal;
out vec3 weights;
flat out vec3 layers;

void main()
{
    worldPos = vPosition;
    worldNormal = vNormal;
    weights = vAlpha;
    layers = vMaterial;
    gl_Position = projectionMatrix * (modelViewMatrix * vec4(vPosition, 1.0));
}
