#include "Game/EventDispatcher.h"

#include "Game/EventListener.h"

#include <algorithm>

EventDispatcher& EventDispatcher::getInstance()
{
    static EventDispatcher instance;
    return instance;
}

bool EventDispatcher::addListener(EventListener* listener)
{
    if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end())
        return false;
    listeners.push_back(listener);
    return true;
}

void EventDispatcher::notifyResize(int width, int height)
{
    for (EventListener* listener : listeners)
        if (listener)
            listener->onResize(width, height);
}

void EventDispatcher::notifyFocus(bool gained)
{
    for (EventListener* listener : listeners)
        if (listener)
            listener->onFocus(gained);
}
