#include "Interface/InterfaceComponent.h"

#include "Interface/TextMeasure.h"

#include <algorithm>

InterfaceComponent::InterfaceComponent(
    const std::string& name, const std::string& text, Kind kind, int x, int y, int width, int height)
    : x(x)
    , y(y)
    , width(width)
    , height(height)
    , name(name)
    , text(text)
    , kind(kind)
{
    std::tie(textWidth, textHeight) = TextMeasure::size(text);
    growToText();
}

void InterfaceComponent::fitToText()
{
    growToText();
}

void InterfaceComponent::growToText()
{
    width = std::max(width, textWidth + 3);
    height = std::max(height, textHeight + 3);
    updateEdges();
}

void InterfaceComponent::updateEdges()
{
    right = x + width;
    top = y + height;
}

InterfaceComponent* InterfaceComponent::find(const std::string& wanted)
{
    return wanted == name ? this : nullptr;
}

void InterfaceComponent::setPosition(int newX, int newY)
{
    x = newX;
    y = newY;
    updateEdges();
    fitToText();
}

void InterfaceComponent::setSize(int newWidth, int newHeight)
{
    width = newWidth;
    height = newHeight;
    updateEdges();
    fitToText();
}

void InterfaceComponent::setColour(double r, double g, double b)
{
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
}

void InterfaceComponent::setSecondColour(double r, double g, double b)
{
    secondColour[0] = r;
    secondColour[1] = g;
    secondColour[2] = b;
}

void InterfaceComponent::setText(const std::string& newText)
{
    text = newText;
    std::tie(textWidth, textHeight) = TextMeasure::size(text);
    fitToText();
}
