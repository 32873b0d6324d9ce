#include "Player/Tool.h"

#include <cstdlib>
#include <iostream>

Tool::Tool(const Vector3* origin, const Vector3* direction, double rate)
    : rate(rate)
    , origin(origin)
    , direction(direction)
{
}

void Tool::setActive(bool on)
{
    if (!origin || !direction) {
        // A tool without aim is a programming error, not a user's: nothing
        // could recover, so the program stops before it edits anything.
        std::cout << "FATAL EXCEPTION: Tool activated without player poitners!\n" << std::flush;
        std::_Exit(EXIT_FAILURE);
    }
    if (on == active)
        return;
    active = on;
    activeChanged(on);
}
