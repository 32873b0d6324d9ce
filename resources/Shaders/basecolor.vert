#version 120
// Vertex-coloured geometry: fixed-function transform, no texture, no light.

void main()
{
    gl_Position = ftransform();
    gl_FrontColor = gl_Color;
}
