#include "Interface/TextField.h"

#include "Interface/Draw2D.h"
#include "Interface/TextMeasure.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {
// Characters after which a line may break; they stay with the word before the break.
bool endsWord(char c)
{
    return c != '\0' && std::strchr(" .)(,:;+[]{}*/\\\t-=", c) != nullptr;
}
}

TextField::TextField(const std::string& name, const std::string& text, bool selectable)
    : InterfaceComponent(name, text, TextFieldKind, 0, 0, 400, 200)
    , selectable(selectable)
{
    fitToText();
}

void TextField::setFitToOneLine(bool oneLine)
{
    fitToOneLine = oneLine;
    fitToText();
}

void TextField::fitToText()
{
    if (fitToOneLine) {
        width = textWidth + 20;
        height = textHeight + 20;
        updateEdges();
        lines.assign(1, text);
    } else {
        updateEdges();
        wrapLines();
    }
    measureLines();
}

bool TextField::tooWide(const std::string& line, int margin) const
{
    return TextMeasure::size(line).first > width - margin;
}

void TextField::wrapLines()
{
    if (wrappedWidth != width || wrappedGeneration != TextMeasure::generation()) {
        wrapped.clear();
        wrappedWidth = width;
        wrappedGeneration = TextMeasure::generation();
    }
    std::unordered_map<std::string, std::vector<std::string>> used;
    lines.clear();
    std::string::size_type start = 0;
    while (true) {
        const std::string::size_type end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? end : end - start);
        auto known = used.find(paragraph);
        if (known == used.end()) {
            auto cached = wrapped.find(paragraph);
            std::vector<std::string> paragraphLines
                = cached != wrapped.end() ? std::move(cached->second) : wrapParagraph(paragraph);
            known = used.emplace(std::move(paragraph), std::move(paragraphLines)).first;
        }
        lines.insert(lines.end(), known->second.begin(), known->second.end());
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    wrapped.swap(used);
}

std::vector<std::string> TextField::wrapParagraph(const std::string& paragraph) const
{
    std::vector<std::string> result;
    std::string line;
    std::string word;
    const auto placeWord = [&] {
        if (!line.empty() && tooWide(line + word, 20)) {
            result.push_back(line);
            line.clear();
        }
        // A word wider than the whole field is cut where it reaches the edge
        // rather than left to run out of the box.
        while (word.size() > 1 && tooWide(word, 20)) {
            std::string::size_type fit = 1;
            while (fit + 1 < word.size() && !tooWide(word.substr(0, fit + 1), 20))
                ++fit;
            result.push_back(word.substr(0, fit));
            word.erase(0, fit);
        }
        line += word;
        word.clear();
    };
    for (char c : paragraph) {
        word += c;
        if (endsWord(c))
            placeWord();
    }
    placeWord();
    result.push_back(line);
    return result;
}

void TextField::measureLines()
{
    lineHeight = TextMeasure::size("A").second + 5;
    visibleLines = std::max(1, (height - 10) / lineHeight);
    firstLine = std::clamp(firstLine, 0, std::max(0, static_cast<int>(lines.size()) - visibleLines));
}

char TextField::characterForKey(sf::Keyboard::Key code, bool shift)
{
    if (code >= sf::Keyboard::A && code <= sf::Keyboard::Z)
        return static_cast<char>((shift ? 'A' : 'a') + (code - sf::Keyboard::A));
    if (code >= sf::Keyboard::Num0 && code <= sf::Keyboard::Num9)
        return static_cast<char>('0' + (code - sf::Keyboard::Num0));
    if (code >= sf::Keyboard::Numpad0 && code <= sf::Keyboard::Numpad9)
        return static_cast<char>('0' + (code - sf::Keyboard::Numpad0));
    if (code == sf::Keyboard::Space)
        return ' ';
    return 0;
}

bool TextField::appendCharacter(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if ((inputFilter == DigitsOnly && !std::isdigit(u)) || (inputFilter == LettersOnly && !std::isalpha(u)))
        return false;
    text += c;
    std::tie(textWidth, textHeight) = TextMeasure::size(text);
    if (fitToOneLine || c == '\n') {
        fitToText();
    } else {
        if (lines.empty())
            lines.emplace_back();
        lines.back() += c;
        if (tooWide(lines.back(), 15)) {
            wrapLines();
            measureLines();
        }
    }
    scrollToEnd();
    return true;
}

void TextField::deleteLastCharacter()
{
    if (text.empty())
        return;
    text.pop_back();
    std::tie(textWidth, textHeight) = TextMeasure::size(text);
    fitToText();
    scrollToEnd();
}

bool TextField::scrollUp(int count)
{
    if (firstLine == 0)
        return false;
    firstLine = std::max(0, firstLine - count);
    return true;
}

bool TextField::scrollDown(int count)
{
    const int lineCount = static_cast<int>(lines.size());
    if (lineCount - 1 < firstLine + visibleLines)
        return false;
    firstLine = std::min(firstLine + count, lineCount - visibleLines);
    return true;
}

void TextField::scrollToEnd()
{
    firstLine = std::max(0, static_cast<int>(lines.size()) - visibleLines);
}

InterfaceComponent* TextField::mouseButton(int button, int px, int py, bool pressed)
{
    if (button != LeftButton)
        return nullptr;
    if (!pressed) {
        scrollUpHeld = scrollDownHeld = false;
        return nullptr;
    }
    if (hasScrollSquares() && px > right - 15 && px < right) {
        if (py > top - 15 && py < top) {
            scrollUpHeld = true;
            repeatTimer = 100.0;
            return nullptr;
        }
        if (py > y && py < y + 15) {
            scrollDownHeld = true;
            repeatTimer = 100.0;
            return nullptr;
        }
    }
    if (!contains(px, py)) {
        highlighted = false;
        return nullptr;
    }
    if (!selectable)
        return nullptr;
    highlighted = true;
    scrollToEnd();
    return this;
}

void TextField::update(double dt)
{
    if (repeatTimer < 0.1) {
        repeatTimer += dt;
        return;
    }
    if (scrollDownHeld)
        scrollDown(1);
    else if (scrollUpHeld)
        scrollUp(1);
    repeatTimer = 0.0;
}

void TextField::draw()
{
    const Draw2D paint;
    const Rgba first { static_cast<float>(colour[0]), static_cast<float>(colour[1]),
        static_cast<float>(colour[2]), 0.5f };
    const Rgba second { static_cast<float>(secondColour[0]), static_cast<float>(secondColour[1]),
        static_cast<float>(secondColour[2]), 0.5f };
    const Rgba white { 1.0f, 1.0f, 1.0f, 1.0f };

    // Dark enough that white text stays readable over a white sky.
    paint.drawQuad(x, y, right, top, highlighted ? second : Rgba { 0.08f, 0.08f, 0.1f, 0.72f },
        { 0.08f, 0.08f, 0.1f, 0.88f });
    if (highlighted)
        paint.drawOutline(x, y, right, top, { second.r, second.g, second.b, 0.9f });

    if (hasScrollSquares()) {
        paint.drawQuad(right - 15, top - 15, right, top, scrollUpHeld ? second : first);
        paint.drawQuad(right - 15, y, right, y + 15, scrollDownHeld ? second : first);
        const Rgba arrow { 1.0f, 1.0f, 1.0f, 0.8f };
        paint.drawLineStrip({ { right - 15, top - 15 }, { right - 7, top }, { right, top - 15 } }, arrow);
        paint.drawLineStrip({ { right - 15, y + 15 }, { right - 7, y }, { right, y + 15 } }, arrow);
    }

    if (fitToOneLine) {
        paint.drawText(text, x + 10.0f, y + (height - (lineHeight - 5)) / 2.0f, white);
        return;
    }
    const int lineCount = static_cast<int>(lines.size());
    float lineY = static_cast<float>(y + height - lineHeight - 2);
    for (int i = firstLine; i < lineCount && i < firstLine + visibleLines; ++i, lineY -= lineHeight)
        paint.drawText(lines[i], x + 5.0f, lineY, white);
}
