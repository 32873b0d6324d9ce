// The console and the statistics it reaches. Each console test runs in a
// fresh folder of its own so the bindings file it reads and writes is never
// the repository's.
#include "Interface/Console.h"

#include "../World/TempFolder.h"
#include "FixedTextMeasure.h"
#include "Game/MessageLog.h"
#include "Game/Window.h"
#include "Interface/ConsoleAccessable.h"
#include "Interface/StatsManager.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Words = Console::Words;

namespace {
// Answers with its name and the words it was given, and counts its calls.
struct EchoHandler : ConsoleAccessable
{
    explicit EchoHandler(const std::string& name)
        : ConsoleAccessable(name)
    {
        Console::getInstance().registerHandler(this);
    }
    std::string handleCommand(const Words& words) override
    {
        ++calls;
        std::string reply = name + ":";
        for (const std::string& word : words)
            reply += "[" + word + "]";
        return reply;
    }
    int calls = 0;
};

class ConsoleTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        fs::remove_all(folder);
        fs::create_directories(folder / "resources");
        fs::current_path(folder);
        writeBindings("");
        console.readBindings();
        Window::getInstance().onResize(800, 600);
        console.resize(800, 600);
        if (console.isOpen())
            console.keyPressed(sf::Keyboard::Tilde, false);
    }
    void TearDown() override
    {
        fs::current_path(original);
        fs::remove_all(folder);
        Window::getInstance().running = true;
        FixedTextMeasure::TearDown();
    }
    void writeBindings(const std::string& content) { TempFolder::write(bindings, content); }
    std::string bindingsFile() const { return TempFolder::read(bindings); }
    void type(const std::string& keys)
    {
        for (char c : keys)
            console.keyPressed(static_cast<sf::Keyboard::Key>(sf::Keyboard::A + (c - 'a')), false);
    }
    Console& console = Console::getInstance();
    const fs::path original = fs::current_path();
    const fs::path folder = fs::temp_directory_path() / ("glebe-console-" + std::to_string(getpid()));
    const fs::path bindings = folder / "resources" / "keybindings.file";
};
}

TEST_F(ConsoleTest, CommandsSplitIntoWordsReachTheHandlerOfTheirExactNameAndHelpListsThemInOrder)
{
    // Spaces and commas separate words, and empty pieces vanish.
    EXPECT_EQ((Words { "bind", "f1", "stats", "show" }), Console::splitWords("bind f1 stats,show"));
    EXPECT_EQ((Words { "a", "b" }), Console::splitWords("  ,a,, ,b ,"));
    EXPECT_TRUE(Console::splitWords(" , ,") == Words { "" } && Console::splitWords("") == Words { "" });
    EchoHandler echo("echo"), gamma("gamma"), beta("beta");
    for (const auto& [line, reply] :
        { std::pair<std::string, std::string> { "echo x y", "echo:[x][y]" }, { "echo", "echo:" },
            { "Echo", "Unrecognized command: \"Echo\"" }, { " ,, ", "Unrecognized command: \"\"" } })
        EXPECT_EQ(reply, console.runCommand(Console::splitWords(line)));
    EXPECT_EQ(2, echo.calls);
    const std::string help = console.runCommand({ "help" });
    const std::size_t e = help.find("  echo \n "), g = help.find("  gamma \n "), b = help.find("  beta \n ");
    EXPECT_TRUE(e < g && g < b && b < help.find(" bind\n")) << help;
    console.runCommand({ "exit" });
    EXPECT_FALSE(Window::getInstance().running);
}

TEST_F(ConsoleTest, BindTakesOnlyF1ToF12AndKeepsTheFileExact)
{
    const std::string usage = "Bind commands: \n bind [f1..12] [command]\n bind list",
                      range = "Bind error: Only allowed to bind key F1 to F12";
    const std::pair<std::string, std::string> replies[] = { { "bind", usage }, { "bind F1 stats", usage },
        { "bind f stats", usage }, { "bind f13 stats", range }, { "bind f0", range },
        { "bind f99999999999999999999999", range }, { "bind list", "No keybinds set" },
        { "bind f3", "Bind: f3 > " }, { "bind f1 stats,show", "Bind: f1 >  stats show" },
        { "bind list", "Current keybinds:\n- f1 > stats show \n- f3 > \n" },
        { "bind f12 planet pause", "Bind: f12 >  planet pause" }, { "bind f1 help", "Bind: f1 >  help" },
        // "#" starts a record of the file: a command holding it would split.
        { "bind f4 say a#b", "Bind error: a bound command cannot contain \"#\"" } };
    for (const auto& [line, reply] : replies)
        EXPECT_EQ(reply, console.runCommand(Console::splitWords(line))) << line;
    EXPECT_EQ("#\n305\nhelp\n#\n307\n#\n316\nplanet\npause\n", bindingsFile());
    EXPECT_FALSE(fs::exists(bindings.string() + ".tmp"));
    const auto saved = console.keyBindings();
    writeBindings("  #  305 help\r\n#\n307 # 316\n\nplanet\tpause");
    EXPECT_TRUE(console.readBindings());
    EXPECT_EQ(saved, console.keyBindings());
}

TEST_F(ConsoleTest, DamagedBindingsFilesFailAndKeepWhatCameBefore)
{
    // Reading stops at the damage and keeps the records before it. Key numbers
    // are F1 (305) to F12 (316), written out whole.
    using namespace std::string_literals;
    const std::map<int, Words> help { { 305, { "help" } } }, none;
    const std::pair<std::string, bool> damaged[]
        = { { "306 help", false }, { "# 305 help # abc stats", true }, { "# 305 help #", true },
              { "# 305 help # 306 st\x01\x7f\xff ats\0"s, true }, { "\x89PNG\r\n\x1a\n\0\0\0\rIHDR"s, false },
              { "# 305 help # 304 x", true }, { "# 305 help # 317 x", true },
              { "# 305 help # -2147483648 x", true }, { "# 305 help # 2147483647 x", true },
              { "# 305 help # 316\0junk x"s, true } };
    for (const auto& [content, keepsHelp] : damaged) {
        writeBindings(content);
        EXPECT_FALSE(console.readBindings()) << content;
        EXPECT_EQ(keepsHelp ? help : none, console.keyBindings()) << content;
    }
    // A first start finds no file and makes an empty one, quietly; blank files read quietly too.
    fs::remove(bindings);
    const std::string before = console.transcript();
    EXPECT_TRUE(console.readBindings() && console.keyBindings().empty() && fs::exists(bindings));
    writeBindings(" \n\t ");
    EXPECT_TRUE(console.readBindings());
    EXPECT_EQ(before, console.transcript());
}

TEST_F(ConsoleTest, KeysRunBindingsWhileClosedAndEditTheCommandLineOrScrollWhileOpen)
{
    EchoHandler echo("echo");
    console.runCommand({ "bind", "f4", "echo", "hi" });
    console.runCommand({ "bind", "f6" });
    // Closed, F4 runs its binding once; open, bindings rest. No key is taken from the game.
    for (sf::Keyboard::Key key : { sf::Keyboard::F4, sf::Keyboard::F5, sf::Keyboard::F6, sf::Keyboard::E,
             sf::Keyboard::Tilde, sf::Keyboard::F4, sf::Keyboard::F12 })
        EXPECT_FALSE(console.keyPressed(key, false)) << key;
    EXPECT_EQ(1, echo.calls);
    EXPECT_EQ("", console.commandLine());
    type("echo");
    const std::tuple<sf::Keyboard::Key, bool, bool> keys[] = { { sf::Keyboard::Space, false, true },
        { sf::Keyboard::A, true, true }, { sf::Keyboard::Num1, true, true },
        { sf::Keyboard::Numpad7, false, true }, { sf::Keyboard::Period, false, false },
        { sf::Keyboard::Hyphen, false, false }, { sf::Keyboard::Hyphen, true, false },
        { sf::Keyboard::Comma, false, false }, { sf::Keyboard::Z, false, true },
        { sf::Keyboard::Escape, false, false }, { sf::Keyboard::Backspace, false, true } };
    for (const auto& [key, shift, taken] : keys)
        EXPECT_EQ(taken, console.keyPressed(key, shift)) << key;
    EXPECT_EQ("> echo A17.-_,_", console.inputView().getText());
    EXPECT_TRUE(console.keyPressed(sf::Keyboard::Enter, false));
    EXPECT_EQ("> _", console.inputView().getText());
    // Every transcript entry ends " \n\n ": the reply, an empty line and a space that begins the next.
    const auto& shown = console.outputView().getLines();
    EXPECT_TRUE(shown[shown.size() - 4] == " >echo A17.-_, " && shown[shown.size() - 3] == " echo:[A17.-_] ");
    // Up and Down scroll the transcript by two lines; new text brings its end back.
    for (int i = 0; i < 10; ++i)
        console.log("filler");
    const auto first = [this] { return console.outputView().getFirstLine(); };
    const int end = first();
    ASSERT_GT(end, 4);
    for (const auto& [key, line] : { std::pair { sf::Keyboard::Up, end - 2 }, { sf::Keyboard::Up, end - 4 },
             { sf::Keyboard::Down, end - 2 }, { sf::Keyboard::Down, end }, { sf::Keyboard::Down, end },
             { sf::Keyboard::Up, end - 2 } }) {
        EXPECT_FALSE(console.keyPressed(key, false));
        EXPECT_EQ(first(), line);
    }
    console.log("more");
    const TextField& output = console.outputView();
    EXPECT_EQ(output.getFirstLine(), int(output.getLines().size()) - output.getVisibleLines());
    // Reopening starts from an empty command line.
    type("abc");
    console.keyPressed(sf::Keyboard::Tilde, false);
    EXPECT_FALSE(console.isOpen());
    console.keyPressed(sf::Keyboard::Tilde, false);
    EXPECT_EQ("", console.commandLine());
}

TEST_F(ConsoleTest, LogAndStatisticsLoseNothingFromManyThreadsAndTheLogKeepsItsNewestLines)
{
    // The statistics table is process-wide, so every test uses names of its own.
    StatsManager& stats = StatsManager::getInstance();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&stats, t] {
            for (int i = 0; i < 10000; ++i) {
                stats.addToStat("test: concurrent", 1.0);
                stats.addToStat("test: thread " + std::to_string(t), 1.0);
                if (i < 50)
                    Console::getInstance().log("worker " + std::to_string(t) + " line " + std::to_string(i));
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_TRUE(stats.getStat("test: concurrent") == 40000.0 && stats.getStat("test: thread 3") == 10000.0);
    std::string transcript = console.transcript();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 50; ++i)
            EXPECT_NE(std::string::npos,
                transcript.find(" worker " + std::to_string(t) + " line " + std::to_string(i) + " \n"));
    for (int i = 0; i < 3000; ++i)
        console.log("entry " + std::to_string(i));
    transcript = console.transcript();
    const auto lines = std::count(transcript.begin(), transcript.end(), '\n');
    EXPECT_TRUE(lines <= 2000 && lines > 1990) << lines;
    EXPECT_NE(std::string::npos, transcript.find(" entry 2999 \n"));
    EXPECT_EQ(std::string::npos, transcript.find(" entry 2000 \n"));
}

// The console's commands and replies and the lines of the standard streams
// reach the log, which begins anew past its limit and keeps the old one as ".1".
TEST_F(ConsoleTest, LogFileKeepsCommandsRepliesAndMessagesAndRotates)
{
    const std::string file = (folder / "glebeworks.log").string();
    TempFolder::write(file, "earlier session\n");
    {
        MessageLog log(file, 120);
        log.tee(std::cout);
        log.tee(std::cerr);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        std::cout << "GLSL: ready." << std::endl;
        std::cerr << "Error: planet";
        std::cerr << " missing\n";
        console.keyPressed(sf::Keyboard::Tilde, false);
        type("bind");
        console.keyPressed(sf::Keyboard::Enter, false);
        console.keyPressed(sf::Keyboard::Tilde, false);
        // The streams still reach where they went before.
        EXPECT_EQ("GLSL: ready.\n", testing::internal::GetCapturedStdout());
        EXPECT_EQ("Error: planet missing\n", testing::internal::GetCapturedStderr());
        const std::string kept
            = "earlier session\nGLSL: ready.\nError: planet missing\n> bind\nBind commands: "
              "\n bind [f1..12] [command]\n bind list\n";
        EXPECT_EQ(kept, TempFolder::read(file));
        testing::internal::CaptureStdout();
        std::cout << "one line too many\n";
        std::cout << "after the rotation\nunfinished";
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(kept + "one line too many\n", TempFolder::read(file + ".1"));
    }
    testing::internal::CaptureStdout();
    std::cout << "after the log\n";
    testing::internal::GetCapturedStdout();
    EXPECT_EQ("after the rotation\nunfinished\n", TempFolder::read(file));
}

TEST(StatsManagerTest, ListedThroughTheConsoleInNameOrderWithTheIndexShowAndHideTake)
{
    StatsManager& stats = StatsManager::getInstance();
    stats.addToStat("test: b", 2.5);
    stats.addToStat("test: b", 1.0);
    stats.setStat("test: a", -1.0);
    EXPECT_TRUE(stats.getStat("test: b") == 3.5 && stats.getStat("test: a") == -1.0
        && stats.getStat("test: never set") == 0.0);
    const std::string reply = Console::getInstance().runCommand({ "stats" });
    const std::size_t a = reply.find(" | test: a"), b = reply.find(" | test: b");
    ASSERT_TRUE(a != std::string::npos && a < b) << reply;
    EXPECT_EQ(std::string::npos, reply.find("test: never set"));
    const std::size_t indexStart = reply.rfind("index: ", a) + 7;
    const std::string index = reply.substr(indexStart, a - indexStart);
    EXPECT_EQ("Stat 'test: a' hidden ", stats.handleCommand({ "hide", index }));
    EXPECT_EQ("Stat 'test: a' shown ", stats.handleCommand({ "show", index + ".7" }));
    const std::string unknown = "Stats: Unknown command. Type just 'stats' for info \n";
    const std::pair<std::deque<std::string>, std::string> replies[] = { { { "show" }, "Stat manager shown" },
        { { "hide" }, "Stat manager hidden" }, { { "toggle" }, unknown }, { { "show", "1", "2" }, unknown },
        { { "flip", "0" }, "Unknown command: 'flip' " }, { { "hide", "70000" }, "Unknown stat : '70000' " },
        { { "hide", "x" }, "Unknown stat : 'x' " }, { { "show", "-1" }, "Unknown stat : '-1' " },
        { { "show", "1e300" }, "Unknown stat : '1e300' " } };
    for (const auto& [words, expected] : replies)
        EXPECT_EQ(expected, stats.handleCommand(words)) << words.front();
}
