#include "AmbientMusic.h"
#include "ResourceChecks.h"
#include "SampleBuffer.h"
#include "SoundEffects.h"

#include <fstream>
#include <memory>

namespace {

class SoundsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::vector<ResourceJob> jobs = soundEffectJobs();
        jobs.push_back(ambientMusicJob());
        folder = std::make_unique<GeneratedFolder>(jobs);
    }
    static void TearDownTestSuite() { folder.reset(); }
    static inline std::unique_ptr<GeneratedFolder> folder;
};

} // namespace

// A stereo loop that never falls silent, with the notes ringing over the end
// continuing at the start (no click at the seam), and not one signal twice.
TEST_F(SoundsTest, MusicIsAStereoLoopThatNeverFallsSilent)
{
    EXPECT_EQ(folder->written(), folder->declared);
    const DecodedSound music(folder->path("music/mainmusic.ogg"));
    ASSERT_EQ(music.channels, 2u);
    EXPECT_EQ(music.sampleRate, 44100u);
    EXPECT_GT(music.seconds(), 10.0);
    EXPECT_LT(music.seconds(), 40.0);
    EXPECT_LT(music.peak(), 32767);
    for (unsigned channel : { 0u, 1u }) {
        for (double second = 0; second + 1 <= music.seconds(); ++second)
            EXPECT_GT(music.rms(second, second + 1, channel), 0.03) << "quiet at " << second << " s";
        EXPECT_LT(music.seamRatio(channel), 5.0);
    }
    double difference = 0;
    for (std::size_t i = 0; i < music.frames(); ++i)
        difference += std::fabs(music.at(i, 0) - music.at(i, 1));
    EXPECT_GT(difference / music.frames(), 0.01) << "both channels carry the same signal";
}

// The pickaxe strikes once a loop: loud at the start, silent at the end so the
// loop restarts cleanly. The jackhammer rattles evenly, every blow's period
// about as loud as the others, in a loop of whole periods.
TEST_F(SoundsTest, ToolSoundsLoopCleanly)
{
    const DecodedSound pickaxe(folder->path("sounds/pickaxe.wav")),
        hammer(folder->path("sounds/jackhammer.wav"));
    ASSERT_GT(pickaxe.channels * hammer.channels, 0u);
    EXPECT_EQ(pickaxe.sampleRate, 44100u);
    EXPECT_NEAR(pickaxe.seconds(), 1.0, 0.01);
    EXPECT_LT(pickaxe.peak(), 32767);
    EXPECT_GT(pickaxe.peak(), 16000);
    EXPECT_GT(pickaxe.rms(0.0, 0.1), 50.0 * pickaxe.rms(0.7, 1.0));
    EXPECT_LT(std::fabs(pickaxe.at(pickaxe.frames() - 1)), 0.01);

    EXPECT_LT(hammer.peak(), 32767);
    const double period = 1.0 / 25.0;
    const int periods = static_cast<int>(std::lround(hammer.seconds() / period));
    EXPECT_NEAR(periods * period, hammer.seconds(), 1e-3);
    double loudest = 0, quietest = 1;
    for (int i = 0; i < periods; ++i) {
        loudest = std::max(loudest, hammer.rms(i * period, (i + 1) * period));
        quietest = std::min(quietest, hammer.rms(i * period, (i + 1) * period));
    }
    EXPECT_GT(quietest, 0.05);
    EXPECT_LT(loudest, 1.5 * quietest);
    // Within a period the blow stands out from the hum between blows.
    EXPECT_GT(hammer.rms(0, period / 4), 2.0 * hammer.rms(period / 2, period));
}

// Written through a temporary file renamed over the target, into new
// folders; a failure throws and leaves nothing behind. The music is stereo
// Ogg Vorbis: a tone in the left channel only comes back there only.
TEST(OutputFolderTest, WritesWholeFilesOrNone)
{
    const GeneratedFolder folder({});
    const OutputFolder out(folder.path(""));
    sf::Image image;
    image.create(4, 4, sf::Color::Red);
    out.saveImage("a/b/red.png", image);
    image.create(4, 4, sf::Color::Blue);
    out.saveImage("a/b/red.png", image);
    EXPECT_EQ(folder.image("a/b/red.png").getPixel(0, 0), sf::Color::Blue);
    std::ofstream(folder.path("blocker")) << "a file where a folder should be";
    EXPECT_ANY_THROW(out.saveImage("blocker/image.png", image));
    EXPECT_ANY_THROW(out.saveImage("unknown.format", image));

    SampleBuffer tone(2, 44100, 44100);
    for (std::size_t i = 0; i < tone.frames(); ++i)
        tone.add(i, 0, static_cast<float>(0.5 * std::sin(6.283185307179586 * 440.0 * i / 44100.0)));
    for (const std::string file : { "tone.ogg", "tone.wav" }) {
        out.saveSound(file, tone);
        const DecodedSound decoded(folder.path(file));
        ASSERT_EQ(decoded.channels, 2u) << file;
        EXPECT_NEAR(decoded.seconds(), 1.0, 0.01) << file;
        EXPECT_NEAR(decoded.rms(0.1, 0.9, 0), 0.5 / std::sqrt(2.0), 0.02) << file;
        EXPECT_LT(decoded.rms(0.1, 0.9, 1), 0.01) << file;
    }
    EXPECT_EQ(
        folder.written(), (std::vector<std::string> { "a/b/red.png", "blocker", "tone.ogg", "tone.wav" }));
}
