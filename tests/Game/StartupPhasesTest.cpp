#include "Game/StartupPhases.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Phase = StartupPhases::Phase;
using Clock = StartupPhases::Clock;
const Clock::time_point launch {};
Clock::time_point at(int ms) { return launch + std::chrono::milliseconds(ms); }
}

// Whatever order the phases end in, and however far the terrain's pass has
// got, the bar grows and fills only when the last phase (here always the
// terrain's first pass, which may end first or last) is finished.
TEST(StartupPhases, BarGrowsAndFillsOnlyOnceEveryPhaseIsFinished)
{
    const std::vector<std::vector<Phase>> orders = {
        { StartupPhases::Window, StartupPhases::Fonts, StartupPhases::Shaders, StartupPhases::Sounds,
            StartupPhases::Models, StartupPhases::Textures, StartupPhases::Terrain },
        { StartupPhases::Terrain, StartupPhases::Textures, StartupPhases::Models, StartupPhases::Sounds,
            StartupPhases::Shaders, StartupPhases::Fonts, StartupPhases::Window },
    };
    for (const auto& order : orders) {
        StartupPhases phases(launch);
        double previous = phases.percent();
        EXPECT_EQ(0.0, previous);
        phases.begin(StartupPhases::Terrain, at(0));
        // The terrain's cells are all made before its pass is over.
        for (double fraction : { 0.5, 0.25, 1.0 }) {
            phases.setFraction(StartupPhases::Terrain, fraction);
            EXPECT_GE(phases.percent(), previous);
            previous = phases.percent();
        }
        int now = 0;
        for (Phase phase : order) {
            phases.begin(phase, at(now));
            now += 10;
            phases.end(phase, at(now));
            EXPECT_GE(phases.percent(), previous);
            previous = phases.percent();
            EXPECT_EQ(phases.done(), phase == order.back());
            EXPECT_EQ(phases.percent() == 100.0, phases.done()) << "after phase " << phase;
        }
    }
}

TEST(StartupPhases, ReportsEachPhaseTimeAddedUpAndTheTotalFromLaunch)
{
    StartupPhases phases(launch);
    phases.begin(StartupPhases::Shaders, at(100));
    phases.end(StartupPhases::Shaders, at(130), false);
    phases.firstFrameShown(at(150));
    phases.begin(StartupPhases::Terrain, at(160));
    phases.begin(StartupPhases::Shaders, at(200));
    phases.end(StartupPhases::Shaders, at(250));
    phases.end(StartupPhases::Terrain, at(1400));
    EXPECT_EQ("Ready in 1500 ms: window 0, fonts 0, shaders 80, sounds 0, models 0, textures 0, terrain 1240; "
              "first frame 150 ms",
        phases.report(at(1500)));
}
