#pragma once

#include <memory>
#include <string>
#include <utility>

class FTFont;

// The three text fonts of the program. Font 0 (small) draws the frame rate,
// console, statistics and interface text; font 1 is for large titles and
// font 2 for headings. Main thread only: FTGL draws with the current context.
class Fonts {
public:
    enum Face { Small = 0, Title = 1, Heading = 2 };

    static Fonts& getInstance();
    ~Fonts();

    // True when a font file could not be loaded; the game refuses to start then.
    bool hasError() const;
    FTFont* get(Face face) const;

    // Renders text with font 0 at window position (x, y), origin bottom left.
    void drawText(const std::string& text, float x, float y) const;
    // Width and height of the text's bounding box in font 0, truncated.
    std::pair<int, int> textSize(const std::string& text) const;

private:
    Fonts();
    std::unique_ptr<FTFont> fonts[3];
};
