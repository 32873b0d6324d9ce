#version 120
// Behaves like the fixed pipeline's modulate so that everything the overlay
// draws looks right with this program bound:
// - text: the font cache is an alpha-only texture, sampled as (0, 0, 0, a);
//   the text takes the current colour with the glyph coverage as alpha;
// - flat shapes: unit 0 holds no texture, which samples as (0, 0, 0, 1);
//   the shape takes the current colour;
// - images: colour times texel.
// A texel without colour cannot tell an alpha-only texture from a black
// image pixel, so image drawing sets `textured` to 1 for exact colours.

uniform sampler2D texture;
uniform int textured;

void main()
{
    vec4 texel = texture2D(texture, gl_TexCoord[0].st);
    bool hasColour = textured == 1 || any(greaterThan(texel.rgb, vec3(0.0)));
    vec3 rgb = hasColour ? gl_Color.rgb * texel.rgb : gl_Color.rgb;
    gl_FragColor = vec4(rgb, gl_Color.a * texel.a);
}
