#pragma once

// Receives the window's resize and focus notifications from the EventDispatcher.
class EventListener {
public:
    virtual ~EventListener() = default;
    virtual void onResize(int width, int height) = 0;
    virtual void onFocus(bool gained) = 0;
};
