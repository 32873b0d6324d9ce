#pragma once

#include "Game/Fonts.h"

#include <initializer_list>
#include <string>
#include <utility>

// A colour with opacity, as the overlay's shapes use them.
struct Rgba
{
    float r, g, b, a;
};

// Draws the 2D overlay's shapes and text in window pixels (origin bottom left,
// y up). The overlay's shapes carry no texture and glyphs bring their own, so
// an instance switches to the fixed pipeline with texturing off and saves the
// enable, colour, line and texture state; its destructor restores them and
// the program that was current. Main thread only, GL context current.
class Draw2D
{
public:
    Draw2D();
    ~Draw2D();
    Draw2D(const Draw2D&) = delete;
    Draw2D& operator=(const Draw2D&) = delete;

    // A quad shaded from `bottom` along its lower edge to `top` along its upper edge.
    void drawQuad(int x0, int y0, int x1, int y1, Rgba bottom, Rgba top) const;
    void drawQuad(int x0, int y0, int x1, int y1, Rgba colour) const
    {
        drawQuad(x0, y0, x1, y1, colour, colour);
    }
    // A one-pixel outline just inside the rectangle.
    void drawOutline(int x0, int y0, int x1, int y1, Rgba colour) const;
    void drawLineStrip(std::initializer_list<std::pair<int, int>> points, Rgba colour) const;
    // Text with its baseline at (x, y) and a dark shadow one pixel below and to
    // the right, which keeps it readable over bright sky and terrain.
    void drawText(
        const std::string& text, float x, float y, Rgba colour, Fonts::Face face = Fonts::Small) const;
    // Small text as drawText draws it, on a dark panel, so that it also reads
    // over sand and snow.
    void drawLabel(const std::string& text, int x, int y, Rgba colour) const;

    // The dark, translucent panel under the overlay's small texts.
    static constexpr Rgba panel { 0.05f, 0.05f, 0.08f, 0.6f };

private:
    unsigned int previousProgram;
};
