#include "Interface/Button.h"

#include "Interface/Draw2D.h"

Button::Button(const std::string& name, const std::string& label)
    : InterfaceComponent(name, label, ButtonKind, 0, 0, 0, 0)
{
}

void Button::setCallback(Callback newCallback)
{
    callback = std::move(newCallback);
}

InterfaceComponent* Button::mouseButton(int button, int px, int py, bool pressed)
{
    if (button != LeftButton)
        return nullptr;
    if (!contains(px, py)) {
        // A press that leaves the button before its release is no click.
        if (!pressed)
            state = Idle;
        return nullptr;
    }
    if (pressed) {
        highlight = 0.2;
        state = Held;
    } else if (state == Held) {
        state = Idle;
    } else {
        return nullptr;
    }
    if (callback)
        callback(*this);
    return this;
}

void Button::mouseMoved(int px, int py)
{
    hovered = contains(px, py);
}

void Button::update(double dt)
{
    if (!hovered && highlight > 0.0)
        highlight -= 0.15 * dt;
    if (hovered && highlight <= 0.1)
        highlight += 0.55 * dt;
    if (highlight > 0.101 && state == Idle)
        highlight -= 0.15 * dt;
}

void Button::draw()
{
    const Draw2D paint;
    const float r = static_cast<float>(colour[0]), g = static_cast<float>(colour[1]),
                b = static_cast<float>(colour[2]);
    if (highlight > 0.0) {
        const Rgba glow { static_cast<float>(secondColour[0]), static_cast<float>(secondColour[1]),
            static_cast<float>(secondColour[2]), static_cast<float>(2.0 * highlight) };
        for (int grow = 6; grow > 0; grow -= 2)
            paint.drawQuad(x - grow, y - grow, right + grow, top + grow, glow);
    }
    paint.drawQuad(x, y, right, top, { 0.0f, 0.0f, 0.0f, 0.85f }, { r, g, b, 0.85f });
    paint.drawOutline(x, y, right, top, { 1.0f, 1.0f, 1.0f, state == Held ? 0.6f : 0.25f });
    paint.drawText(
        text, x + (width - textWidth) / 2.0f, y + (height - textHeight) / 2.0f, { 1.0f, 1.0f, 1.0f, 1.0f });
}
