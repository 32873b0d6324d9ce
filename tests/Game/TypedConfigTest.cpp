#include "Game/TypedConfig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {
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

TEST(TypedConfig, ReadsTheFourTypesWithTheirRules)
{
    TypedConfig c = parse("[ sett ings ]\nbool\nflag\n t r u e \n\n"
                          "int\nseed1\n12.9\n\nint\nneg\n-3.7\n\n"
                          "double\nbig\n1e+006\n\ndouble\nbad\nabc\n\n"
                          "string\nuser name\n  spaced value \n\n"
                          "in t\nsplit\n7\n\n");
    EXPECT_TRUE(c.getBool("flag", false));
    EXPECT_EQ(12, c.getInt("seed1", 0));
    EXPECT_EQ(-3, c.getInt("neg", 0));
    EXPECT_DOUBLE_EQ(1000000.0, c.getDouble("big", 0));
    EXPECT_DOUBLE_EQ(2147483647.0, c.getDouble("bad", 0));
    EXPECT_EQ("  spaced value ", c.getString("user name", ""));
    EXPECT_EQ(7, c.getInt("split", 0));
    EXPECT_EQ(5, c.getInt("missing", 5));
}

TEST(TypedConfig, NamesAreVerbatimAndLaterEntriesReplace)
{
    TypedConfig c = parse("[settings]\ndouble\nuser x \n1\n\ndouble\nuser x\n2\n\ndouble\nuser x\n3\n\n");
    EXPECT_DOUBLE_EQ(1.0, c.getDouble("user x ", 0));
    EXPECT_DOUBLE_EQ(3.0, c.getDouble("user x", 0));
}

TEST(TypedConfig, WrongHeaderReadsNothing)
{
    testing::internal::CaptureStdout();
    TypedConfig c = parse("settings\nint\na\n1\n\n");
    EXPECT_EQ("Line 1 was not expected header!\n", testing::internal::GetCapturedStdout());
    EXPECT_TRUE(c.empty());
    EXPECT_FALSE(c.loaded());
}

TEST(TypedConfig, UnknownTypeWarnsWithTheTypeLineCount)
{
    testing::internal::CaptureStdout();
    TypedConfig c = parse("[settings]\nfloat\n");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(std::string::npos, out.find("[WARNING] Unrecognized token"));
    EXPECT_NE(std::string::npos, out.find("\"float\""));
    EXPECT_NE(std::string::npos, out.find("at line 3\n"));
    EXPECT_TRUE(c.loaded());
}

TEST(TypedConfig, WritesGroupsInTypeAndNameOrder)
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
}

TEST(TypedConfig, SaveAndLoadRoundTripThroughAFile)
{
    const auto dir = std::filesystem::temp_directory_path() / "glebe-typedconfig";
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "map.file").string();

    TypedConfig original;
    original.setInt("seed1", 13);
    original.setDouble("user x", -12.5);
    original.setBool("kept", false);
    original.setString("note", "kept too");
    ASSERT_TRUE(original.save(file));
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    TypedConfig loaded(file);
    EXPECT_EQ(written(original), written(loaded));
    std::filesystem::remove_all(dir);
}

TEST(TypedConfig, MissingAndUnwritableFilesAreReported)
{
    testing::internal::CaptureStdout();
    TypedConfig missing("resources/terrain/no-such-world/map.file");
    EXPECT_EQ("Loading of \"resources/terrain/no-such-world/map.file\" failed!\n",
        testing::internal::GetCapturedStdout());
    EXPECT_TRUE(missing.empty());
    EXPECT_FALSE(missing.save("/nonexistent-folder/map.file"));
}

TEST(TypedConfig, CarriageReturnRunsEndTheLineAndRewritesAreStable)
{
    for (const char* ending : { "\r\n", "\r\r\n", "\r\r\r\n" }) {
        const std::string e = ending;
        TypedConfig c = parse("[settings]" + e + "int" + e + "seed2" + e + "14" + e + e + "string" + e + "note" + e
            + "a b" + e + e);
        EXPECT_EQ(14, c.getInt("seed2", 0)) << e.size();
        EXPECT_EQ("a b", c.getString("note", "")) << e.size();
    }
    // Doubles are written so that they read back exactly: saving the world
    // file again and again must not move the player.
    TypedConfig c;
    const double values[] = { 499.53123456789012, 0.1, -0.0, 1e-300, 123456789.125, 5e-324 };
    for (std::size_t i = 0; i < std::size(values); ++i)
        c.setDouble("d" + std::to_string(i), values[i]);
    TypedConfig again = parse(written(c));
    for (std::size_t i = 0; i < std::size(values); ++i)
        EXPECT_EQ(values[i], again.getDouble("d" + std::to_string(i), 7.0)) << values[i];
    EXPECT_EQ(written(c), written(again));
}
