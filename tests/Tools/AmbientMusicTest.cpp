#include "AmbientMusic.h"

#include "GeneratedFolder.h"
#include "SoundChecks.h"

#include <gtest/gtest.h>

TEST(AmbientMusicTest, IsAStereoLoopThatNeverFallsSilent)
{
    const GeneratedFolder folder({ ambientMusicJob() });
    EXPECT_EQ(folder.written(), folder.declared());
    const DecodedSound music(folder.path("music/mainmusic.ogg"));
    ASSERT_EQ(music.channels, 2u);
    EXPECT_EQ(music.sampleRate, 44100u);
    EXPECT_GT(music.seconds(), 10.0);
    EXPECT_LT(music.seconds(), 40.0);
    EXPECT_LT(music.peak(), 32767);
    for (double second = 0; second + 1 <= music.seconds(); ++second) {
        EXPECT_GT(music.rms(second, second + 1, 0), 0.03) << "quiet at " << second << " s";
        EXPECT_GT(music.rms(second, second + 1, 1), 0.03) << "quiet at " << second << " s";
    }
    // Notes ringing over the end continue at the start: no click at the seam.
    EXPECT_LT(music.seamRatio(0), 5.0);
    EXPECT_LT(music.seamRatio(1), 5.0);

    double difference = 0;
    for (std::size_t i = 0; i < music.frames(); ++i)
        difference += std::fabs(music.at(i, 0) - music.at(i, 1));
    EXPECT_GT(difference / music.frames(), 0.01) << "both channels carry the same signal";
}
