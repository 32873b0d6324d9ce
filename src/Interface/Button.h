#pragma once

#include "Interface/InterfaceComponent.h"

#include <functional>

// A labelled push button that glows while the pointer rests on it. A click is
// a left press and a left release both inside; the release returns the button
// idle and is what the interface acts on. Main thread only.
class Button : public InterfaceComponent
{
public:
    enum State
    {
        Held = 6,
        Idle = 11
    };
    // Called on the press (state Held) and on the release that completes the
    // click (state Idle); a callback that acts once per click checks the state.
    using Callback = std::function<void(Button& button)>;

    Button(const std::string& name, const std::string& label);

    void setCallback(Callback callback);
    State getState() const { return state; }

    InterfaceComponent* mouseButton(int button, int x, int y, bool pressed) override;
    void mouseMoved(int x, int y) override;
    void mouseDragged(int, int) override { }
    void draw() override;
    void update(double dt) override;

private:
    bool hovered = false;
    State state = Idle;
    Callback callback;
};
