#version 150 compatibility
// A model instance stands upright on the planet: its x and y axes are rotX
// and rotY (the local forward and up), its z axis their cross product, and
// it stands at modelPosition.

in vec3 vPosition;
in vec3 vNormal;
in vec2 vTexCoord;
in vec3 vTangent;

uniform mat4 modelViewMatrix;
uniform mat4 projectionMatrix;
uniform vec3 rotX;
uniform vec3 rotY;
uniform vec3 modelPosition;

// The same block goes straight to the fragment stage, or through the
// geometry stage of the outline program, which rewrites it.
out ModelData
{
    vec3 worldPos;
    vec3 normal;
    vec3 tangent;
    vec2 uv;
    float outline;
}
vertexOut;

void main()
{
    mat3 turn = mat3(rotX, rotY, cross(rotX, rotY));
    vertexOut.worldPos = modelPosition + turn * vPosition;
    vertexOut.normal = turn * vNormal;
    vertexOut.tangent = turn * vTangent;
    vertexOut.uv = vTexCoord;
    vertexOut.outline = 0.0;
    gl_Position = projectionMatrix * (modelViewMatrix * vec4(vertexOut.worldPos, 1.0));
}
