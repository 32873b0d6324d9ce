#include "OutputFolder.h"

#include "GeneratedFolder.h"
#include "SampleBuffer.h"
#include "SoundChecks.h"

#include <SFML/Graphics/Image.hpp>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace {
class OutputFolderTest : public ::testing::Test
{
protected:
    OutputFolderTest()
        : folder({})
        , out(folder.path(""))
    {
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path("")))
            if (entry.is_regular_file())
                names.push_back(entry.path().lexically_relative(folder.path("")).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }

    GeneratedFolder folder;
    OutputFolder out;
};
}

TEST_F(OutputFolderTest, WritesIntoNewFoldersAndLeavesNoTemporaryFiles)
{
    sf::Image image;
    image.create(4, 4, sf::Color::Red);
    out.saveImage("a/b/red.png", image);
    image.create(4, 4, sf::Color::Blue);
    out.saveImage("a/b/red.png", image);
    out.saveText("a/note.txt", "hello\n");
    EXPECT_EQ(files(), (std::vector<std::string> { "a/b/red.png", "a/note.txt" }));
    sf::Image back;
    ASSERT_TRUE(back.loadFromFile(folder.path("a/b/red.png")));
    EXPECT_EQ(back.getPixel(0, 0), sf::Color::Blue);
}

TEST_F(OutputFolderTest, FailureIsReportedAndLeavesNothingBehind)
{
    std::ofstream(folder.path("blocker")) << "a file where a folder should be";
    sf::Image image;
    image.create(2, 2);
    EXPECT_ANY_THROW(out.saveImage("blocker/image.png", image));
    EXPECT_ANY_THROW(out.saveImage("unknown.format", image));
    EXPECT_EQ(files(), std::vector<std::string> { "blocker" });
}

// The music is stereo Ogg Vorbis: a tone in the left channel only must
// come back in the left channel only.
TEST_F(OutputFolderTest, StereoSoundKeepsItsChannelsApart)
{
    SampleBuffer tone(2, 44100, 44100);
    for (std::size_t i = 0; i < tone.frames(); ++i)
        tone.add(i, 0, static_cast<float>(0.5 * std::sin(6.283185307179586 * 440.0 * i / 44100.0)));
    out.saveSound("tone.ogg", tone);
    out.saveSound("tone.wav", tone);
    for (const char* file : { "tone.ogg", "tone.wav" }) {
        const DecodedSound decoded(folder.path(file));
        ASSERT_EQ(decoded.channels, 2u) << file;
        EXPECT_NEAR(decoded.seconds(), 1.0, 0.01) << file;
        EXPECT_NEAR(decoded.rms(0.1, 0.9, 0), 0.5 / std::sqrt(2.0), 0.02) << file;
        EXPECT_LT(decoded.rms(0.1, 0.9, 1), 0.01) << file;
    }
}
