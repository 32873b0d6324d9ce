#include "Game/FrameProfile.h"

#include <gtest/gtest.h>

namespace {
using Clock = FrameProfile::Clock;
Clock::time_point at(int ms) { return Clock::time_point {} + std::chrono::milliseconds(ms); }

// One frame starting at `start` whose steps take the given times; returns its line.
std::string frame(FrameProfile& profile, int start, std::initializer_list<std::pair<const char*, int>> steps)
{
    profile.begin(at(start));
    for (const auto& [name, ms] : steps) {
        start += ms;
        profile.mark(name, at(start));
    }
    return profile.end();
}
}

TEST(FrameProfile, NamesTheStepsThatMadeAFrameSlow)
{
    FrameProfile profile;
    EXPECT_EQ("", frame(profile, 0, { { "events", 1 }, { "update terrain", 60 }, { "swap", 39 } }));
    // A step marked twice adds up; small steps are left out once the big
    // ones account for the frame.
    EXPECT_EQ("Slow frame 2273 ms: update terrain 1950, render terrain 300",
        frame(profile, 100,
            { { "events", 2 }, { "update terrain", 1000 }, { "render terrain", 300 }, { "update terrain", 950 },
                { "swap", 12 }, { "render overlay", 9 } }));
}

TEST(FrameProfile, KeepsTheWorstFrameOfTheLastTenSeconds)
{
    FrameProfile profile;
    frame(profile, 0, { { "swap", 300 } });
    frame(profile, 1000, { { "swap", 20 } });
    EXPECT_DOUBLE_EQ(300.0, profile.worstRecentMs());
    frame(profile, 10400, { { "swap", 50 } });
    EXPECT_DOUBLE_EQ(50.0, profile.worstRecentMs());
}
