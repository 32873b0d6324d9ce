#pragma once

#include "Interface/InterfaceComponent.h"

#include <SFML/Window/Keyboard.hpp>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

// A box of text: word-wrapped to its width and scrolled with two small arrow
// squares at its right edge (held, they step once at once and then every
// 0.1 s), or a single line whose box follows the text. A selectable field is
// highlighted by a click, and the interface then types into it. The console's
// transcript and command line are text fields too. Main thread only.
class TextField : public InterfaceComponent
{
public:
    enum Filter
    {
        AnyCharacter = 17,
        DigitsOnly = 27,
        LettersOnly = 37
    };

    TextField(const std::string& name, const std::string& text, bool selectable);

    // Breaks the text into lines: by words at the width, or as one line with
    // the box sized to it.
    void fitToText() override;
    void setFitToOneLine(bool oneLine);
    void setInputFilter(Filter filter) { inputFilter = filter; }

    // The character a key types: letters (upper case with Shift), digits of
    // both rows and the space; 0 for any other key.
    static char characterForKey(sf::Keyboard::Key code, bool shift);
    // Typing: false when the filter refuses the character. Both keep the end in view.
    bool appendCharacter(char c);
    void deleteLastCharacter();

    // false when there was nothing to scroll.
    bool scrollUp(int lines);
    bool scrollDown(int lines);
    void scrollToEnd();

    const std::deque<std::string>& getLines() const { return lines; }
    int getFirstLine() const { return firstLine; }
    int getVisibleLines() const { return visibleLines; }
    bool isHighlighted() const { return highlighted; }
    void setHighlighted(bool on) { highlighted = on; }

    InterfaceComponent* mouseButton(int button, int x, int y, bool pressed) override;
    void mouseMoved(int, int) override { }
    void mouseDragged(int, int) override { }
    void draw() override;
    void update(double dt) override;

private:
    void wrapLines();
    std::vector<std::string> wrapParagraph(const std::string& paragraph) const;
    void measureLines();
    bool tooWide(const std::string& line, int margin) const;
    // Only a field with more lines than it shows has anything to scroll.
    bool hasScrollSquares() const { return static_cast<int>(lines.size()) > visibleLines; }

    std::deque<std::string> lines;
    int firstLine = 0;
    int lineHeight = 0;
    int visibleLines = 1;
    bool scrollUpHeld = false;
    bool scrollDownHeld = false;
    double repeatTimer = 100.0;
    bool highlighted = false;
    bool selectable;
    Filter inputFilter = AnyCharacter;
    bool fitToOneLine = false;

    // The lines of every paragraph of the last wrap, valid for the width and
    // measure they were made with: a long transcript that grows at its end
    // re-wraps only what is new.
    std::unordered_map<std::string, std::vector<std::string>> wrapped;
    int wrappedWidth = -1;
    unsigned wrappedGeneration = 0;
};
