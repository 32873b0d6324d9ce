#pragma once

#include <chrono>
#include <deque>
#include <string>
#include <utility>
#include <vector>

// Where the time of each frame goes, so that a hitch can be traced to the
// step that caused it: the main loop marks the end of every step (events,
// each step of the update and of the render, the buffer swap); a frame
// longer than 100 ms yields one line naming the steps that took its time,
// and the longest frame of the last ten seconds is kept. Main thread only.
class FrameProfile
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double slowFrameMs = 100.0;
    static constexpr double worstWindowSeconds = 10.0;

    void begin(Clock::time_point now);
    // The time since the previous mark (or the frame's begin) went to `step`;
    // a step marked twice in a frame adds up.
    void mark(const char* step, Clock::time_point now);
    // Ends the frame at its last mark. Returns the line for a slow frame
    // ("Slow frame 2013 ms: update terrain 1950, swap 40"), else "".
    std::string end();
    // The longest frame that ended within ten seconds of the last one, in ms.
    double worstRecentMs() const;

private:
    Clock::time_point frameStart;
    Clock::time_point lastMark;
    std::vector<std::pair<const char*, Clock::duration>> steps;
    // (end, length in ms) of the frames of the last ten seconds.
    std::deque<std::pair<Clock::time_point, double>> recent;
};
