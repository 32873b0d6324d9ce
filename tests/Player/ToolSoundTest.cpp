#include "Player/ToolSound.h"

#include <gtest/gtest.h>

namespace {

// There is no audio device under Xvfb either: a tool sound never stops the
// tool from working.
TEST(ToolSoundTest, AMissingFileIsReportedAndLeavesTheSoundSilent)
{
    testing::internal::CaptureStdout();
    ToolSound sound("./Resources/sounds/no-such-sound.wav", "no-such-sound.wav");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error loading sound: no-such-sound.wav.\n");
    EXPECT_FALSE(sound.isLoaded());
    sound.setPlaying(true);
    sound.setPlaying(false);
}

} // namespace
