#include "Interface/Draw2D.h"

#include "Graphics/ShaderProgram.h"
#include "Interface/TextMeasure.h"

#include <FTGL/ftgl.h>
#include <GL/glew.h>

Draw2D::Draw2D()
    : previousProgram(currentProgram)
{
    useProgram(0);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_TEXTURE_BIT | GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_3D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(1.0f);
}

Draw2D::~Draw2D()
{
    glPopAttrib();
    useProgram(previousProgram);
}

void Draw2D::drawQuad(int x0, int y0, int x1, int y1, Rgba bottom, Rgba top) const
{
    glBegin(GL_QUADS);
    glColor4f(bottom.r, bottom.g, bottom.b, bottom.a);
    glVertex2i(x0, y0);
    glVertex2i(x1, y0);
    glColor4f(top.r, top.g, top.b, top.a);
    glVertex2i(x1, y1);
    glVertex2i(x0, y1);
    glEnd();
}

void Draw2D::drawOutline(int x0, int y0, int x1, int y1, Rgba colour) const
{
    // Half-pixel offsets put the lines on pixel centres, so they stay one pixel wide.
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    glBegin(GL_LINE_LOOP);
    glVertex2f(x0 + 0.5f, y0 + 0.5f);
    glVertex2f(x1 - 0.5f, y0 + 0.5f);
    glVertex2f(x1 - 0.5f, y1 - 0.5f);
    glVertex2f(x0 + 0.5f, y1 - 0.5f);
    glEnd();
}

void Draw2D::drawLineStrip(std::initializer_list<std::pair<int, int>> points, Rgba colour) const
{
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    glBegin(GL_LINE_STRIP);
    for (const auto& point : points)
        glVertex2f(point.first + 0.5f, point.second + 0.5f);
    glEnd();
}

void Draw2D::drawText(const std::string& text, float x, float y, Rgba colour, Fonts::Face face) const
{
    FTFont* font = Fonts::getInstance().get(face);
    if (!font || font->Error() || text.empty())
        return;
    glEnable(GL_TEXTURE_2D);
    glColor4f(0.0f, 0.0f, 0.0f, colour.a * 0.6f);
    font->Render(text.c_str(), -1, FTPoint(x + 1.0f, y - 1.0f));
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    font->Render(text.c_str(), -1, FTPoint(x, y));
    glDisable(GL_TEXTURE_2D);
}

void Draw2D::drawLabel(const std::string& text, int x, int y, Rgba colour) const
{
    const auto size = TextMeasure::size(text);
    drawQuad(x - 6, y - 6, x + size.first + 6, y + size.second + 5, panel);
    drawText(text, static_cast<float>(x), static_cast<float>(y), colour);
}
