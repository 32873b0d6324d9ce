#include "Game/SettingsFile.h"
#include "Game/TypedConfig.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {
// fullscreen, windowed and fullscreen sizes, antialiasing, frame-rate limit,
// mouse sensitivity in hundredths, music and its volume.
std::vector<int> fields(const SettingsFile& s)
{
    return { s.fullscreen, s.windowedWidth, s.windowedHeight, s.fullscreenWidth, s.fullscreenHeight,
        s.antialiasingLevel, s.framerateLimit, static_cast<int>(s.mouseSensitivity * 100 + 0.5), s.music,
        s.musicVolume };
}

TypedConfig parse(const std::string& text)
{
    TypedConfig config;
    std::istringstream in(text);
    config.load(in);
    return config;
}

std::string written(const TypedConfig& config)
{
    std::ostringstream out;
    config.write(out);
    return out.str();
}
}

TEST(SettingsFile, TokenRulesAndFailures)
{
    // A failed read leaves antialiasing at 1, a read file that sets none at 0.
    const std::vector<int> reverted { 0, 800, 600, 0, 0, 1, 0, 15, 0, 40 };
    const struct
    {
        std::string text;
        std::vector<int> expected;
    } cases[] = {
        { "[settings]\nfullscreen true\nwindowed_width 1024\nwindowed_height 768\nfullscreen_width 1920\n"
          "fullscreen_height 1080\nAA_level 4\nframerate_limit 60\n",
            { 1, 1024, 768, 1920, 1080, 4, 60, 15, 0, 40 } },
        { "[settings] windowed_width\t640 junk windowed_width 700\n\nwindowed_height\n480",
            { 0, 700, 480, 0, 0, 0, 0, 15, 0, 40 } },
        // Music and sensitivity are kept within their ranges.
        { "[settings] music true music_volume 150 mouse_sensitivity 0.004",
            { 0, 800, 600, 0, 0, 0, 0, 1, 1, 100 } },
        { "[settings] music_volume -5 mouse_sensitivity 1e9 music no",
            { 0, 800, 600, 0, 0, 0, 0, 500, 0, 0 } },
        { "[settings] fullscreen TRUE", { 0, 800, 600, 0, 0, 0, 0, 15, 0, 40 } },
        { "[settings] fullscreen", { 0, 800, 600, 0, 0, 0, 0, 15, 0, 40 } },
        // An equals sign is no separator: the failed value stops reading.
        { "[settings] windowed_width = 1024 windowed_height 700", { 0, 800, 600, 0, 0, 0, 0, 15, 0, 40 } },
        { "[setings] fullscreen_width 1920 windowed_width 1000", { 0, 1000, 600, 1920, 0, 1, 0, 15, 0, 40 } },
        { "", reverted },
        { std::string("\x00\xff\x13[settings]\x01\x02", 10), reverted },
    };
    testing::internal::CaptureStdout();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::istringstream in(c.text);
        EXPECT_EQ(c.expected, fields(SettingsFile::parse(in)));
    }
    EXPECT_EQ(reverted, fields(SettingsFile::read("resources/config/no-such-settings.ini")));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("Invalid header in \"settings.ini\"!"));
    EXPECT_NE(std::string::npos, out.find("Could not open \"settings.ini\"!"));
}

TEST(SettingsFile, WindowSizesTheScreenCannotShowFallBackToTheDefault)
{
    // width, height, screen width and height, then the size kept or given instead.
    const int cases[][6] = { { 1280, 800, 1280, 800, 1280, 800 }, { 1, 1, 1280, 800, 1, 1 },
        { 2000000000, 600, 1280, 800, 800, 600 }, { 1024, 2000000000, 1280, 800, 800, 600 },
        { 0, 600, 1280, 800, 800, 600 }, { 800, -600, 1280, 800, 800, 600 },
        { 1281, 800, 1280, 800, 800, 600 }, { 0, 0, 640, 480, 640, 480 } };
    for (const auto& c : cases) {
        SettingsFile s;
        s.windowedWidth = c[0];
        s.windowedHeight = c[1];
        const bool fits = c[0] == c[4] && c[1] == c[5];
        testing::internal::CaptureStdout();
        EXPECT_EQ(fits, s.limitWindowSize(c[2], c[3])) << c[0] << "x" << c[1];
        EXPECT_EQ(fits, testing::internal::GetCapturedStdout().empty());
        EXPECT_EQ(c[4], s.windowedWidth);
        EXPECT_EQ(c[5], s.windowedHeight);
    }
}

TEST(TypedConfig, ReadsTheFourTypesWithTheirRulesAndWarnsOfBadOnes)
{
    TypedConfig c = parse("[ sett ings ]\nbool\nflag\n t r u e \n\n"
                          "int\nseed1\n12.9\n\nint\nneg\n-3.7\n\n"
                          "double\nbig\n1e+006\n\ndouble\nbad\nabc\n\n"
                          "string\nuser name\n  spaced value \n\n"
                          "in t\nsplit\n7\n\n"
                          "double\nuser x \n1\n\ndouble\nuser x\n2\n\ndouble\nuser x\n3\n\n");
    EXPECT_TRUE(c.getBool("flag", false));
    EXPECT_EQ((std::vector<int> { 12, -3, 7, 5 }),
        (std::vector<int> {
            c.getInt("seed1", 0), c.getInt("neg", 0), c.getInt("split", 0), c.getInt("missing", 5) }));
    EXPECT_EQ("  spaced value ", c.getString("user name", ""));
    // Unreadable doubles read as 2147483647; names are verbatim and later entries replace earlier ones.
    EXPECT_EQ((std::vector<double> { 1e6, 2147483647.0, 1.0, 3.0 }),
        (std::vector<double> { c.getDouble("big", 0), c.getDouble("bad", 0), c.getDouble("user x ", 0),
            c.getDouble("user x", 0) }));
    // A run of carriage returns ends a line like one does.
    for (const std::string e : { "\r\n", "\r\r\n" }) {
        TypedConfig crlf = parse(
            "[settings]" + e + "int" + e + "seed2" + e + "14" + e + e + "string" + e + "n" + e + "a b" + e);
        EXPECT_EQ(14, crlf.getInt("seed2", 0));
        EXPECT_EQ("a b", crlf.getString("n", ""));
    }
    // A wrong header reads nothing; an unknown type warns with its line.
    testing::internal::CaptureStdout();
    TypedConfig wrong = parse("settings\nint\na\n1\n\n"), unknown = parse("[settings]\nfloat\n");
    EXPECT_TRUE(wrong.empty() && !wrong.loaded() && unknown.loaded());
    EXPECT_NE(
        std::string::npos, testing::internal::GetCapturedStdout().find("\"float\" \n[WARNING]  at line 3\n"));
}

TEST(TypedConfig, WritesGroupsInTypeAndNameOrderAndRoundTripsThroughAFile)
{
    TypedConfig c;
    c.setString("s", "text");
    c.setDouble("d", 498.123456);
    c.setInt("b", 2);
    c.setInt("a", 1);
    c.setBool("on", true);
    EXPECT_EQ("[settings]\nbool\non\ntrue\n\nint\na\n1\n\nint\nb\n2\n\n"
              "double\nd\n498.123456\n\nstring\ns\ntext\n\n",
        written(c));
    // Doubles read back exactly, so saving again and again never moves the player.
    const double exact[] = { 499.53123456789012, 0.1, -0.0, 1e-300, 5e-324, 123456789.125 };
    TypedConfig doubles;
    for (const double& value : exact)
        doubles.setDouble(std::to_string(&value - exact), value);
    for (const double& value : exact)
        EXPECT_EQ(value, parse(written(doubles)).getDouble(std::to_string(&value - exact), 7.0));

    const auto dir = std::filesystem::temp_directory_path() / "glebe-typedconfig";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "map.file").string();
    c.setDouble("user x", -12.5);
    c.setBool("off", false);
    ASSERT_TRUE(c.save(file));
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));
    EXPECT_EQ(written(c), written(TypedConfig(file)));
    std::filesystem::remove_all(dir);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(TypedConfig("resources/terrain/no-such-world/map.file").empty());
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(c.save("/nonexistent-folder/map.file"));
}
