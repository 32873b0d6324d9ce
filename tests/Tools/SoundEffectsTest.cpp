#include "SoundEffects.h"

#include "GeneratedFolder.h"
#include "SoundChecks.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
class SoundEffectsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { folder = std::make_unique<GeneratedFolder>(soundEffectJobs()); }
    static void TearDownTestSuite() { folder.reset(); }
    static std::unique_ptr<GeneratedFolder> folder;
};
std::unique_ptr<GeneratedFolder> SoundEffectsTest::folder;
}

// One strike a loop: loud at the start, silent at the end so the loop
// restarts cleanly with the next strike.
TEST_F(SoundEffectsTest, PickaxeStrikesOncePerLoop)
{
    EXPECT_EQ(folder->written(), folder->declared());
    const DecodedSound pickaxe(folder->path("sounds/pickaxe.wav"));
    ASSERT_GT(pickaxe.channels, 0u);
    EXPECT_EQ(pickaxe.sampleRate, 44100u);
    EXPECT_NEAR(pickaxe.seconds(), 1.0, 0.01);
    EXPECT_LT(pickaxe.peak(), 32767);
    EXPECT_GT(pickaxe.peak(), 16000);
    EXPECT_GT(pickaxe.rms(0.0, 0.1), 50.0 * pickaxe.rms(0.7, 1.0));
    EXPECT_LT(std::fabs(pickaxe.at(pickaxe.frames() - 1)), 0.01);
}

// A steady rattle: every blow's period is about as loud as the others,
// and the loop is whole periods long.
TEST_F(SoundEffectsTest, JackhammerRattlesEvenly)
{
    const DecodedSound hammer(folder->path("sounds/jackhammer.wav"));
    ASSERT_GT(hammer.channels, 0u);
    EXPECT_LT(hammer.peak(), 32767);
    const double period = 1.0 / 25.0;
    const int periods = static_cast<int>(std::lround(hammer.seconds() / period));
    EXPECT_NEAR(periods * period, hammer.seconds(), 1e-3);
    double loudest = 0, quietest = 1;
    for (int i = 0; i < periods; ++i) {
        const double level = hammer.rms(i * period, (i + 1) * period);
        loudest = std::max(loudest, level);
        quietest = std::min(quietest, level);
    }
    EXPECT_GT(quietest, 0.05);
    EXPECT_LT(loudest, 1.5 * quietest);
    // Within a period the blow stands out from the hum between blows.
    EXPECT_GT(hammer.rms(0, period / 4), 2.0 * hammer.rms(period / 2, period));
}
