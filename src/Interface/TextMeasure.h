#pragma once

#include "Game/Fonts.h"

#include <functional>
#include <string>
#include <utility>

// Sizes of interface text. Layout and word wrapping depend on nothing else, so
// the game measures with its fonts (FreeType alone, no GL context needed) and
// the tests install a fixed-width measure. Main thread only.
class TextMeasure
{
public:
    // Width and height of one line of text, truncated.
    using Function = std::function<std::pair<int, int>(const std::string& line, Fonts::Face face)>;

    // A text of several lines measures as its widest line by as many lines as
    // it holds, so a multi-line text never claims the width of all its lines.
    static std::pair<int, int> size(const std::string& text, Fonts::Face face = Fonts::Small);
    // Replaces the measure; an empty function goes back to the fonts.
    static void install(Function measure);
    // Changes whenever the measure is replaced, so that what was measured
    // before can be recognised as stale.
    static unsigned generation();
};
