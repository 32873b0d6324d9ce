#pragma once

#include <vector>

class EventListener;

// Passes window resize and focus notifications to its listeners, in the order
// they were added. Main thread only.
class EventDispatcher {
public:
    static EventDispatcher& getInstance();

    // Appends the listener unless it is already listed; true when it was added.
    bool addListener(EventListener* listener);
    void notifyResize(int width, int height);
    void notifyFocus(bool gained);

private:
    EventDispatcher() = default;
    std::vector<EventListener*> listeners;
};
