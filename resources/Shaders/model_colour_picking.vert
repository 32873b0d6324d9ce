#version 150 compatibility
// Places a model instance like the model program does, but through the
// fixed-function matrices, which hold the view while the picking buffer is
// drawn.

in vec3 vPosition;

uniform vec3 rotX;
uniform vec3 rotY;
uniform vec3 modelPosition;

void main()
{
    mat3 turn = mat3(rotX, rotY, cross(rotX, rotY));
    gl_Position = gl_ModelViewProjectionMatrix * vec4(modelPosition + turn * vPosition, 1.0);
}
