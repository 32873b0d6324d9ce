#version 120
// The 2D overlay: text, images and flat shapes given in window pixels through
// the fixed-function matrices, colours and texture coordinates.

void main()
{
    gl_Position = ftransform();
    gl_FrontColor = gl_Color;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
}
