#version 150 compatibility
// Every pixel of an instance carries its number as an exact 8-bit colour,
// so the colour read back under the cursor names the instance.

uniform ivec3 color;

void main()
{
    gl_FragColor = vec4(vec3(color) / 255.0, 1.0);
}
