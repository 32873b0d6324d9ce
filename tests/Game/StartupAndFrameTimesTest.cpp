#include "Game/FrameProfile.h"
#include "Game/StartupPhases.h"

#include <gtest/gtest.h>

namespace {
using Clock = StartupPhases::Clock; // the frame profile's as well
Clock::time_point at(int ms)
{
    return Clock::time_point {} + std::chrono::milliseconds(ms);
}
}

// Whatever order the phases end in, and however far the terrain's first pass (which may end
// first or last) has got, the bar grows and fills only when the last phase is finished.
TEST(StartupPhases, BarFillsOnlyOnceEveryPhaseIsFinishedAndTheReportAddsUpEachPhase)
{
    for (const bool terrainLast : { true, false }) {
        StartupPhases phases(at(0));
        double previous = phases.percent();
        EXPECT_EQ(0.0, previous);
        phases.begin(StartupPhases::Terrain, at(0));
        for (double fraction : { 0.5, 0.25, 1.0 }) { // the cells are all made before the pass is over
            phases.setFraction(StartupPhases::Terrain, fraction);
            EXPECT_GE(phases.percent(), previous);
            previous = phases.percent();
        }
        for (int i = 0; i <= StartupPhases::Terrain; ++i) {
            const auto phase = StartupPhases::Phase(terrainLast ? i : StartupPhases::Terrain - i);
            phases.begin(phase, at(10 * i));
            phases.end(phase, at(10 * i + 10));
            EXPECT_GE(phases.percent(), previous);
            previous = phases.percent();
            EXPECT_EQ(i == StartupPhases::Terrain, phases.done());
            EXPECT_EQ(phases.percent() == 100.0, phases.done()) << "after phase " << phase;
        }
    }
    StartupPhases phases(at(0));
    phases.begin(StartupPhases::Shaders, at(100));
    phases.end(StartupPhases::Shaders, at(130), false);
    phases.firstFrameShown(at(150));
    phases.begin(StartupPhases::Terrain, at(160));
    phases.begin(StartupPhases::Shaders, at(200));
    phases.end(StartupPhases::Shaders, at(250));
    phases.end(StartupPhases::Terrain, at(1400));
    EXPECT_EQ(
        "Ready in 1500 ms: window 0, fonts 0, shaders 80, sounds 0, models 0, textures 0, terrain 1240; "
        "first frame 150 ms",
        phases.report(at(1500)));
}

// A slow frame's line names the steps that made it slow (a step marked twice adds up, small ones
// are left out once the big ones account for the frame); the worst frame is kept ten seconds.
TEST(FrameProfile, NamesTheSlowStepsAndKeepsTheWorstFrameTenSeconds)
{
    FrameProfile profile;
    auto frame = [&](int start, std::initializer_list<std::pair<const char*, int>> steps) {
        profile.begin(at(start));
        for (const auto& [name, ms] : steps)
            profile.mark(name, at(start += ms));
        return profile.end();
    };
    EXPECT_EQ("", frame(0, { { "events", 1 }, { "update terrain", 60 }, { "swap", 39 } }));
    EXPECT_EQ("Slow frame 2273 ms: update terrain 1950, render terrain 300",
        frame(100,
            { { "events", 2 }, { "update terrain", 1000 }, { "render terrain", 300 },
                { "update terrain", 950 }, { "swap", 12 }, { "render overlay", 9 } }));
    EXPECT_DOUBLE_EQ(2273.0, profile.worstRecentMs());
    frame(12000, { { "swap", 20 } });
    EXPECT_DOUBLE_EQ(2273.0, profile.worstRecentMs());
    frame(12500, { { "swap", 50 } });
    EXPECT_DOUBLE_EQ(50.0, profile.worstRecentMs());
}
