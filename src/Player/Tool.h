#pragma once

#include "Graphics/Vector3.h"

#include <string>

// Something the player holds and fires at the terrain. While the left button
// is held the tool is active and the player calls apply() at most `rate`
// times per second (the timing lives in the player, which advances `timer`).
// Tools aim from the player's eye along its look direction, both read through
// the pointers given at construction. Main thread only.
class Tool
{
public:
    Tool(const Vector3* origin, const Vector3* direction, double rate);
    virtual ~Tool() = default;
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    // Left button down (true) or up (false). Without both aiming pointers the
    // program ends at once with "FATAL EXCEPTION: Tool activated without
    // player poitners!".
    virtual void setActive(bool on);
    // Right button.
    virtual void secondaryAction() { }
    virtual std::string name() const = 0;
    // Every frame, for every tool; queues what the tool shows.
    virtual void draw() { }
    // One edit or query at the current aim.
    virtual void apply() = 0;

    bool isActive() const { return active; }

    // Seconds since the last apply().
    double timer = 0.0;
    // Applications per second while active.
    const double rate;

protected:
    // Called by setActive when the flag changes.
    virtual void activeChanged(bool) { }

    const Vector3* origin;
    const Vector3* direction;

private:
    bool active = false;
};
