#include "Interface/TextMeasure.h"

#include <FTGL/ftgl.h>
#include <algorithm>

namespace {
std::pair<int, int> fontSize(const std::string& line, Fonts::Face face)
{
    FTFont* font = Fonts::getInstance().get(face);
    if (!font || font->Error())
        return { 0, 0 };
    FTBBox box = font->BBox(line.c_str());
    return { static_cast<int>(box.Upper().Xf() - box.Lower().Xf()),
        static_cast<int>(box.Upper().Yf() - box.Lower().Yf()) };
}

TextMeasure::Function& measure()
{
    static TextMeasure::Function current = fontSize;
    return current;
}

unsigned installed = 0;
}

std::pair<int, int> TextMeasure::size(const std::string& text, Fonts::Face face)
{
    int width = 0;
    int lineHeight = 0;
    int lines = 0;
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type end = text.find('\n', start);
        const auto line = measure()(text.substr(start, end == std::string::npos ? end : end - start), face);
        width = std::max(width, line.first);
        lineHeight = std::max(lineHeight, line.second);
        ++lines;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return { width, lineHeight * lines };
}

void TextMeasure::install(Function function)
{
    measure() = function ? std::move(function) : Function(fontSize);
    ++installed;
}

unsigned TextMeasure::generation()
{
    return installed;
}
