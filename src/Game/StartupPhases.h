#pragma once

#include <array>
#include <chrono>
#include <string>

// The steps of start-up, timed for the "Ready in" line and weighed for the
// loading bar. Phases overlap: the terrain's first pass runs on its own
// thread while the main thread loads the rest, so each phase is timed on its
// own and the total is the time from launch to the first world frame.
// Main thread only.
class StartupPhases
{
public:
    enum Phase
    {
        Window,
        Fonts,
        Shaders,
        Sounds,
        Models,
        Textures,
        Terrain,
        PhaseCount
    };
    using Clock = std::chrono::steady_clock;

    explicit StartupPhases(Clock::time_point launch);

    // A phase may be entered several times; its times add up. end() with
    // finished false leaves it open for more work.
    void begin(Phase phase, Clock::time_point now);
    void end(Phase phase, Clock::time_point now, bool finished = true);
    // How much of a phase's work is done, 0 to 1; it never goes back.
    void setFraction(Phase phase, double fraction);
    void firstFrameShown(Clock::time_point now);

    bool done() const;
    // The loading bar in percent: every phase counts by how long it usually
    // takes, and it stays below 100 until every phase is finished.
    double percent() const;
    // Milliseconds from launch to `ready`.
    long long totalMs(Clock::time_point ready) const;
    // "Ready in 1843 ms: window 120, fonts 35, ..., terrain 1200; first
    // frame 180 ms".
    std::string report(Clock::time_point ready) const;

private:
    struct Record
    {
        Clock::duration spent {};
        Clock::time_point started;
        bool running = false;
        bool finished = false;
        double fraction = 0.0;
    };

    Clock::time_point launch;
    Clock::time_point firstFrame;
    std::array<Record, PhaseCount> phases;
};
