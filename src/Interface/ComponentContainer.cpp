#include "Interface/ComponentContainer.h"

#include "Interface/Draw2D.h"

#include <algorithm>

ComponentContainer::ComponentContainer(const std::string& name, const std::string& title)
    : InterfaceComponent(name, title, ContainerKind, 0, 0, 0, 0)
{
}

bool ComponentContainer::adopt(InterfaceComponent*& slot, InterfaceComponent* child)
{
    if (!child)
        return false;
    slot = child;
    if (child->getKind() == ContainerKind)
        static_cast<ComponentContainer*>(child)->setFramed(false);
    child->setColour(colour[0], colour[1], colour[2]);
    child->setSecondColour(secondColour[0], secondColour[1], secondColour[2]);
    layout();
    return true;
}

bool ComponentContainer::setFirst(InterfaceComponent* child)
{
    return adopt(first, child);
}

bool ComponentContainer::setSecond(InterfaceComponent* child)
{
    return adopt(second, child);
}

void ComponentContainer::setStacked(bool on)
{
    stacked = on;
    layout();
}

void ComponentContainer::setSplit(double share)
{
    split = std::clamp(share, 0.0, 1.0);
    layout();
}

void ComponentContainer::fitToText()
{
    growToText();
    layout();
}

void ComponentContainer::layout()
{
    updateEdges();
    if (!autoLayout)
        return;
    // A lone child takes the whole inner area; the chosen split is kept for
    // when the other child arrives.
    const double share = !first ? 0.0 : !second ? 1.0 : split;
    const int firstWidth = static_cast<int>(width * share);
    const int firstHeight = static_cast<int>(height * share);
    const int secondWidth = static_cast<int>(width * (1.0 - share));
    const int secondHeight = static_cast<int>(height * (1.0 - share));
    if (stacked) {
        if (first) {
            first->setPosition(x + 1, y + 1 + secondHeight);
            first->setSize(width - 2, firstHeight - 2);
        }
        if (second) {
            second->setPosition(x + 1, y + 1);
            second->setSize(width - 2, secondHeight - 2);
        }
    } else {
        if (first) {
            first->setPosition(x + 1, y + 1);
            first->setSize(firstWidth - 2, height - 2);
        }
        if (second) {
            second->setPosition(x + 1 + firstWidth, y + 1);
            second->setSize(secondWidth - 2, height - 2);
        }
    }
}

InterfaceComponent* ComponentContainer::find(const std::string& wanted)
{
    if (wanted == name)
        return this;
    InterfaceComponent* found = first ? first->find(wanted) : nullptr;
    if (!found && second)
        found = second->find(wanted);
    return found;
}

void ComponentContainer::setPosition(int newX, int newY)
{
    // Without automatic layout the children keep their places inside the
    // container, so they travel with it.
    if (!autoLayout) {
        for (InterfaceComponent* child : { first, second }) {
            if (child) {
                const auto position = child->getPosition();
                child->setPosition(position.first + newX - x, position.second + newY - y);
            }
        }
    }
    InterfaceComponent::setPosition(newX, newY);
}

void ComponentContainer::setSize(int newWidth, int newHeight)
{
    autoLayout = true;
    InterfaceComponent::setSize(newWidth, newHeight);
}

void ComponentContainer::setColour(double r, double g, double b)
{
    InterfaceComponent::setColour(r, g, b);
    for (InterfaceComponent* child : { first, second })
        if (child)
            child->setColour(r, g, b);
}

void ComponentContainer::setSecondColour(double r, double g, double b)
{
    InterfaceComponent::setSecondColour(r, g, b);
    for (InterfaceComponent* child : { first, second })
        if (child)
            child->setSecondColour(r, g, b);
}

InterfaceComponent* ComponentContainer::mouseButton(int button, int px, int py, bool pressed)
{
    if (!visible)
        return nullptr;
    if (framed && button == LeftButton && pressed) {
        if (px > right - gripSize && px < right && py > top - gripSize && py < top) {
            resizing = true;
            dragX = px;
            dragY = py;
            resizeStartWidth = width;
            resizeStartHeight = height;
            return this;
        }
        if (px > x && px < x + width && py > top && py < top + titleBarHeight) {
            moving = true;
            dragX = px;
            dragY = py;
            return this;
        }
    }
    if (button == LeftButton && !pressed)
        moving = resizing = false;
    InterfaceComponent* taken = first ? first->mouseButton(button, px, py, pressed) : nullptr;
    if (!taken && second)
        taken = second->mouseButton(button, px, py, pressed);
    if (taken)
        return taken;
    return contains(px, py) ? this : nullptr;
}

void ComponentContainer::mouseMoved(int px, int py)
{
    hovered = contains(px, py);
    for (InterfaceComponent* child : { first, second })
        if (child)
            child->mouseMoved(px, py);
}

void ComponentContainer::mouseDragged(int px, int py)
{
    if (resizing) {
        // dragX and dragY keep the press position, so the bottom-left corner stays put.
        setSize(resizeStartWidth + (px - dragX), resizeStartHeight + (py - dragY));
    } else if (moving) {
        setPosition(x + (px - dragX), y + (py - dragY));
        dragX = px;
        dragY = py;
    }
    for (InterfaceComponent* child : { first, second })
        if (child)
            child->mouseDragged(px, py);
    updateEdges();
}

void ComponentContainer::draw()
{
    if (!visible)
        return;
    if (framed) {
        const Draw2D paint;
        const Rgba second { static_cast<float>(secondColour[0]), static_cast<float>(secondColour[1]),
            static_cast<float>(secondColour[2]), 1.0f };
        paint.drawQuad(x, y, right, top, { 0.0f, 0.0f, 0.0f, 0.75f });
        paint.drawQuad(x, top, right, top + titleBarHeight, { 0.0f, 0.0f, 0.0f, 0.9f }, second);
        paint.drawOutline(x, y, right, top + titleBarHeight, { 1.0f, 1.0f, 1.0f, 0.3f });
        paint.drawText(text, x + 5.0f, top + 5.0f, { 1.0f, 1.0f, 1.0f, 1.0f });
    }
    for (InterfaceComponent* child : { first, second })
        if (child)
            child->draw();
    // The grip goes over the children, whose corners it shares.
    if (framed && hovered)
        Draw2D().drawQuad(right - gripSize, top - gripSize, right, top, { 0.8f, 0.0f, 0.3f, 1.0f });
}

void ComponentContainer::update(double dt)
{
    for (InterfaceComponent* child : { first, second })
        if (child)
            child->update(dt);
}
