#include "Game/SettingsFile.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {
SettingsFile parse(const std::string& text)
{
    std::istringstream in(text);
    return SettingsFile::parse(in);
}
}

TEST(SettingsFile, ReadsEveryKeyOfAWellFormedFile)
{
    SettingsFile s = parse("[settings]\nfullscreen true\nwindowed_width 1024\nwindowed_height 768\n"
                           "fullscreen_width 1920\nfullscreen_height 1080\nAA_level 4\nframerate_limit 60\n");
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(1024, s.windowedWidth);
    EXPECT_EQ(768, s.windowedHeight);
    EXPECT_EQ(1920, s.fullscreenWidth);
    EXPECT_EQ(1080, s.fullscreenHeight);
    EXPECT_EQ(4, s.antialiasingLevel);
    EXPECT_EQ(60, s.framerateLimit);
    EXPECT_EQ(32, s.depthBits);
    EXPECT_EQ(8, s.stencilBits);
}

TEST(SettingsFile, TokensAreWhitespaceSeparatedAndTheLastValueWins)
{
    SettingsFile s = parse("[settings] windowed_width\t640 junk windowed_width 700\n\nwindowed_height\n480");
    EXPECT_EQ(700, s.windowedWidth);
    EXPECT_EQ(480, s.windowedHeight);
    EXPECT_EQ(0, s.antialiasingLevel) << "a read file that sets no level keeps 0";
}

TEST(SettingsFile, FullscreenIsOnlyTheExactWordTrue)
{
    EXPECT_FALSE(parse("[settings] fullscreen TRUE").fullscreen);
    EXPECT_FALSE(parse("[settings] fullscreen").fullscreen);
    EXPECT_TRUE(parse("[settings] fullscreen true").fullscreen);
}

TEST(SettingsFile, AnEqualsSignIsNotASeparator)
{
    SettingsFile s = parse("[settings] windowed_width = 1024 windowed_height 700");
    EXPECT_EQ(800, s.windowedWidth);
    EXPECT_EQ(600, s.windowedHeight) << "the failed value stops reading";
}

TEST(SettingsFile, WrongHeaderRevertsButLaterKeysStillCount)
{
    testing::internal::CaptureStdout();
    SettingsFile s = parse("[setings] fullscreen_width 1920 windowed_width 1000");
    EXPECT_EQ("Invalid header in \"settings.ini\"! Reverting to default settings.\n",
        testing::internal::GetCapturedStdout());
    EXPECT_EQ(1, s.antialiasingLevel);
    EXPECT_EQ(1920, s.fullscreenWidth);
    EXPECT_EQ(1000, s.windowedWidth);
}

TEST(SettingsFile, EmptyOrBinaryInputKeepsTheDefaults)
{
    testing::internal::CaptureStdout();
    SettingsFile empty = parse("");
    SettingsFile binary = parse(std::string("\x00\xff\x13[settings]\x01\x02", 10));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("Invalid header"));
    for (const SettingsFile& s : {empty, binary}) {
        EXPECT_EQ(800, s.windowedWidth);
        EXPECT_EQ(600, s.windowedHeight);
        EXPECT_EQ(1, s.antialiasingLevel);
    }
}

TEST(SettingsFile, MissingFileGivesDefaultsAndItsMessage)
{
    testing::internal::CaptureStdout();
    SettingsFile s = SettingsFile::read("resources/config/no-such-settings.ini");
    EXPECT_EQ("Could not open \"settings.ini\"! Reverting to default settings.\n",
        testing::internal::GetCapturedStdout());
    EXPECT_EQ(800, s.windowedWidth);
    EXPECT_EQ(600, s.windowedHeight);
    EXPECT_EQ(1, s.antialiasingLevel);
    EXPECT_EQ(32, s.depthBits);
}

TEST(SettingsFile, WindowSizesTheScreenCannotShowFallBackToTheDefault)
{
    const struct
    {
        int width, height, screenWidth, screenHeight;
        bool kept;
        int expectedWidth, expectedHeight;
    } cases[] = {
        { 1280, 800, 1280, 800, true, 1280, 800 },
        { 1, 1, 1280, 800, true, 1, 1 },
        { 2000000000, 600, 1280, 800, false, 800, 600 },
        { 1024, 2000000000, 1280, 800, false, 800, 600 },
        { 0, 600, 1280, 800, false, 800, 600 },
        { 800, -600, 1280, 800, false, 800, 600 },
        { 1281, 800, 1280, 800, false, 800, 600 },
        { 0, 0, 640, 480, false, 640, 480 },
    };
    for (const auto& c : cases) {
        SettingsFile s;
        s.windowedWidth = c.width;
        s.windowedHeight = c.height;
        testing::internal::CaptureStdout();
        EXPECT_EQ(c.kept, s.limitWindowSize(c.screenWidth, c.screenHeight)) << c.width << "x" << c.height;
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(c.kept, printed.empty()) << printed;
        EXPECT_EQ(c.expectedWidth, s.windowedWidth);
        EXPECT_EQ(c.expectedHeight, s.windowedHeight);
    }
}
