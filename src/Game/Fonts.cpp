#include "Game/Fonts.h"

#include "Game/ResourcePath.h"

#include <FTGL/ftgl.h>

namespace {
struct FontFile {
    const char* path;
    unsigned int faceSize;
};

const FontFile fontFiles[3] = {
    {"./resources/fonts/lacuna/LACURG__.TTF", 15},
    {"./resources/fonts/lacuna/LACURG__.TTF", 70},
    {"./resources/fonts/echolot/ECHOLOT_.TTF", 30},
};
}

Fonts& Fonts::getInstance()
{
    static Fonts instance;
    return instance;
}

Fonts::Fonts()
{
    for (int i = 0; i < 3; ++i) {
        fonts[i] = std::make_unique<FTBufferFont>(resourcePath(fontFiles[i].path).c_str());
        if (!fonts[i]->Error()) {
            fonts[i]->FaceSize(fontFiles[i].faceSize, 72);
            fonts[i]->UseDisplayList(true);
        }
    }
}

Fonts::~Fonts() = default;

bool Fonts::hasError() const
{
    for (const auto& font : fonts)
        if (font->Error())
            return true;
    return false;
}

FTFont* Fonts::get(Face face) const
{
    return fonts[face].get();
}

void Fonts::drawText(const std::string& text, float x, float y) const
{
    if (!fonts[Small]->Error())
        fonts[Small]->Render(text.c_str(), -1, FTPoint(x, y));
}

std::pair<int, int> Fonts::textSize(const std::string& text) const
{
    if (fonts[Small]->Error())
        return {0, 0};
    FTBBox box = fonts[Small]->BBox(text.c_str());
    return {static_cast<int>(box.Upper().Xf() - box.Lower().Xf()),
        static_cast<int>(box.Upper().Yf() - box.Lower().Yf())};
}
