#include "Interface/Console.h"

#include "Game/Window.h"
#include "Interface/ConsoleAccessable.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Words = Console::Words;

namespace {
// Answers with its name and the words it was given, and counts its calls.
class EchoHandler : public ConsoleAccessable
{
public:
    explicit EchoHandler(const std::string& name)
        : ConsoleAccessable(name)
    {
        Console::getInstance().registerHandler(this);
    }
    std::string handleCommand(const std::deque<std::string>& words) override
    {
        ++calls;
        std::string reply = name + ":";
        for (const std::string& word : words)
            reply += "[" + word + "]";
        return reply;
    }
    int calls = 0;
};

// Each test runs in a fresh folder of its own so the bindings file it reads
// and writes is never the repository's.
class ConsoleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        original = fs::current_path();
        folder = fs::temp_directory_path() / ("glebe-console-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder / "resources");
        fs::current_path(folder);
        writeBindings("");
        console.readBindings();
        while (console.isOpen())
            console.keyPressed(sf::Keyboard::Tilde, false);
    }

    void TearDown() override
    {
        fs::current_path(original);
        fs::remove_all(folder);
        Window::getInstance().running = true;
    }

    void writeBindings(const std::string& content)
    {
        std::ofstream(bindingsPath(), std::ios::binary) << content;
    }

    std::string readBindingsFile() const
    {
        std::ifstream file(bindingsPath(), std::ios::binary);
        std::ostringstream content;
        content << file.rdbuf();
        return content.str();
    }

    fs::path bindingsPath() const { return folder / "resources" / "keybindings.file"; }

    void type(const std::string& keys)
    {
        for (char c : keys)
            console.keyPressed(static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (c - 'a')), false);
    }

    Console& console = Console::getInstance();
    fs::path original;
    fs::path folder;
};
}

TEST(ConsoleWordsTest, SpacesAndCommasSeparateWordsAndEmptyPiecesVanish)
{
    EXPECT_EQ((Words { "bind", "f1", "stats", "show" }), Console::splitWords("bind f1 stats,show"));
    EXPECT_EQ((Words { "a", "b" }), Console::splitWords("  ,a,, ,b ,"));
    EXPECT_EQ((Words { "" }), Console::splitWords(" , ,"));
    EXPECT_EQ((Words { "" }), Console::splitWords(""));
}

TEST_F(ConsoleTest, CommandsReachTheHandlerOfTheirExactName)
{
    EchoHandler echo("echo");
    EXPECT_EQ("echo:[x][y]", console.runCommand({ "echo", "x", "y" }));
    EXPECT_EQ("echo:", console.runCommand({ "echo" }));
    EXPECT_EQ("Unrecognized command: \"Echo\"", console.runCommand({ "Echo" }));
    EXPECT_EQ("Unrecognized command: \"\"", console.runCommand(Console::splitWords(" ,, ")));
    EXPECT_EQ(2, echo.calls);
}

TEST_F(ConsoleTest, HelpListsHandlersInRegistrationOrder)
{
    EchoHandler first("alpha");
    EchoHandler second("gamma");
    EchoHandler third("beta");
    const std::string help = console.runCommand({ "help" });
    EXPECT_EQ(0u, help.find("List of commands: \n "));
    const std::size_t a = help.find("  alpha \n "), g = help.find("  gamma \n "), b = help.find("  beta \n ");
    const std::size_t bind = help.find(" bind\n");
    ASSERT_NE(std::string::npos, a);
    EXPECT_LT(a, g);
    EXPECT_LT(g, b);
    EXPECT_LT(b, bind);
    EXPECT_EQ(" bind\n \n Type a command name without any other parameters to see more about that command",
        help.substr(bind));
}

TEST_F(ConsoleTest, ExitStopsTheMainLoop)
{
    EXPECT_EQ("Exiting program...", console.runCommand({ "exit" }));
    EXPECT_FALSE(Window::getInstance().running);
}

TEST_F(ConsoleTest, BindRepliesAndRefusals)
{
    const std::string usage = "Bind commands: \n bind [f1..12] [command]\n bind list";
    EXPECT_EQ(usage, console.runCommand({ "bind" }));
    EXPECT_EQ(usage, console.runCommand({ "bind", "F1", "stats" }));
    EXPECT_EQ(usage, console.runCommand({ "bind", "f", "stats" }));
    EXPECT_EQ(
        "Bind error: Only allowed to bind key F1 to F12", console.runCommand({ "bind", "f13", "stats" }));
    EXPECT_EQ("Bind error: Only allowed to bind key F1 to F12", console.runCommand({ "bind", "f0" }));
    EXPECT_EQ("Bind error: Only allowed to bind key F1 to F12",
        console.runCommand({ "bind", "f99999999999999999999999" }));
    EXPECT_EQ("No keybinds set", console.runCommand({ "bind", "list" }));
    EXPECT_EQ("", readBindingsFile());

    EXPECT_EQ("Bind: f3 > ", console.runCommand({ "bind", "f3" }));
    EXPECT_EQ("Bind: f1 >  stats show", console.runCommand(Console::splitWords("bind f1 stats,show")));
    EXPECT_EQ("Current keybinds:\n- f1 > stats show \n- f3 > \n", console.runCommand({ "bind", "list" }));
}

TEST_F(ConsoleTest, BindingsFileRoundTrip)
{
    console.runCommand({ "bind", "f12", "planet", "pause" });
    console.runCommand({ "bind", "f2", "help" });
    console.runCommand({ "bind", "f5" });
    EXPECT_EQ("#\n306\nhelp\n#\n309\n#\n316\nplanet\npause\n", readBindingsFile());
    EXPECT_FALSE(fs::exists(bindingsPath().string() + ".tmp"));

    // Rebinding a key replaces its words.
    console.runCommand({ "bind", "f2", "stats", "show" });
    EXPECT_EQ("#\n306\nstats\nshow\n#\n309\n#\n316\nplanet\npause\n", readBindingsFile());

    const auto saved = console.keyBindings();
    writeBindings("  #  306 stats\tshow\r\n#\n309 # 316\n\nplanet pause");
    EXPECT_TRUE(console.readBindings());
    EXPECT_EQ(saved, console.keyBindings());
}

TEST_F(ConsoleTest, DamagedBindingsFilesAreReportedAndKeepWhatCameBefore)
{
    const std::string error = "Error: invalid format of keybinds file!";
    auto readReportsError = [&](const std::string& content) {
        writeBindings(content);
        const std::size_t before = console.transcript().size();
        const bool ok = console.readBindings();
        return !ok && console.transcript().find(error, before) != std::string::npos;
    };

    EXPECT_TRUE(readReportsError("306 help"));
    EXPECT_TRUE(console.keyBindings().empty());
    EXPECT_TRUE(readReportsError("# 305 help # abc stats"));
    EXPECT_EQ((std::map<int, Words> { { 305, { "help" } } }), console.keyBindings());
    EXPECT_TRUE(readReportsError("# 305 help #"));
    EXPECT_TRUE(readReportsError(std::string("# 305 help # 306 st\x01\x7f\xff ats", 27)));
    EXPECT_EQ((std::map<int, Words> { { 305, { "help" } } }), console.keyBindings());
    EXPECT_TRUE(readReportsError(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));

    // A first start finds no file and makes an empty one, quietly; blank files read quietly too.
    fs::remove(bindingsPath());
    const std::size_t quiet = console.transcript().size();
    EXPECT_TRUE(console.readBindings());
    EXPECT_TRUE(console.keyBindings().empty());
    EXPECT_EQ("", readBindingsFile());
    EXPECT_TRUE(fs::exists(bindingsPath()));
    writeBindings(" \n\t ");
    EXPECT_TRUE(console.readBindings());
    EXPECT_EQ(quiet, console.transcript().size());
}

TEST_F(ConsoleTest, FunctionKeysRunTheirBindingsOnlyWhileClosed)
{
    EchoHandler echo("echo");
    console.runCommand({ "bind", "f4", "echo", "hi" });
    console.runCommand({ "bind", "f6" });
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::F4, false));
    EXPECT_EQ(1, echo.calls);
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::F5, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::F6, false));
    EXPECT_EQ(1, echo.calls);

    console.keyPressed(sf::Keyboard::Tilde, false);
    ASSERT_TRUE(console.isOpen());
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::F4, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::F12, false));
    EXPECT_EQ(1, echo.calls);
}

TEST_F(ConsoleTest, TypingEditsTheCommandLineAndReturnRunsIt)
{
    EchoHandler echo("echo");
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::E, false));
    EXPECT_EQ("", console.commandLine());

    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Tilde, false));
    type("echo");
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Space, false));
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::A, true));
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Num1, true));
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Numpad7, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Period, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Hyphen, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Hyphen, true));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Comma, false));
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Z, false));
    EXPECT_FALSE(console.keyPressed(sf::Keyboard::Escape, false));
    EXPECT_EQ("echo A17.-_,z", console.commandLine());
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Backspace, false));
    EXPECT_EQ("echo A17.-_,", console.commandLine());

    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Enter, false));
    EXPECT_EQ("", console.commandLine());
    const std::string transcript = console.transcript();
    EXPECT_EQ(">echo A17.-_, \n echo:[A17.-_] \n\n ",
        transcript.substr(transcript.size() - std::string(">echo A17.-_, \n echo:[A17.-_] \n\n ").size()));

    // Reopening starts from an empty command line.
    type("abc");
    console.keyPressed(sf::Keyboard::Tilde, false);
    EXPECT_FALSE(console.isOpen());
    console.keyPressed(sf::Keyboard::Tilde, false);
    EXPECT_EQ("", console.commandLine());
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Backspace, false));
}

TEST_F(ConsoleTest, LogEntriesAndResizesAreFramed)
{
    console.log("hello");
    std::string transcript = console.transcript();
    EXPECT_NE(std::string::npos, transcript.rfind("----  Log  ---- \n hello \n ----End Log---- \n\n "));
    Window::getInstance().onResize(800, 600);
    console.resize(800, 600);
    transcript = console.transcript();
    EXPECT_NE(std::string::npos, transcript.rfind("----  Log  ---- \n Window Resized to: 800x600 \n"));
}

TEST_F(ConsoleTest, ConcurrentLoggingLosesNoEntry)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                Console::getInstance().log("worker " + std::to_string(t) + " line " + std::to_string(i));
        });
    for (std::thread& thread : threads)
        thread.join();
    const std::string transcript = console.transcript();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 50; ++i)
            EXPECT_NE(std::string::npos,
                transcript.find(" worker " + std::to_string(t) + " line " + std::to_string(i) + " \n"));
}

TEST_F(ConsoleTest, TranscriptKeepsTheNewestLinesWithinItsBound)
{
    for (int i = 0; i < 3000; ++i)
        console.log("entry " + std::to_string(i));
    const std::string transcript = console.transcript();
    const auto lines = std::count(transcript.begin(), transcript.end(), '\n');
    EXPECT_LE(lines, 2000);
    EXPECT_GT(lines, 1990);
    EXPECT_NE(std::string::npos, transcript.find(" entry 2999 \n"));
    EXPECT_EQ(std::string::npos, transcript.find(" entry 2000 \n"));
}
