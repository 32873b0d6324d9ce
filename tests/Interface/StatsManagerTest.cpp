// The statistics table is process-wide, so every test uses names of its own.
#include "Interface/StatsManager.h"

#include "Interface/Console.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(StatsManagerTest, ListedThroughTheConsoleInNameOrderWithTheIndexShowAndHideTake)
{
    StatsManager& stats = StatsManager::getInstance();
    stats.addToStat("test: b", 2.5);
    stats.addToStat("test: b", 1.0);
    EXPECT_EQ(3.5, stats.getStat("test: b"));
    stats.setStat("test: a", -1.0);
    EXPECT_EQ(-1.0, stats.getStat("test: a"));
    EXPECT_EQ(0.0, stats.getStat("test: never set"));
    const std::string reply = Console::getInstance().runCommand({ "stats" });
    const std::size_t a = reply.find(" | test: a"), b = reply.find(" | test: b");
    ASSERT_NE(std::string::npos, a);
    EXPECT_LT(a, b);
    EXPECT_EQ(std::string::npos, reply.find("test: never set"));
    const std::size_t indexStart = reply.rfind("index: ", a) + 7;
    const std::string index = reply.substr(indexStart, a - indexStart);
    EXPECT_EQ("Stat 'test: a' hidden ", stats.handleCommand({ "hide", index }));
    EXPECT_EQ("Stat 'test: a' shown ", stats.handleCommand({ "show", index + ".7" }));

    const std::string unknown = "Stats: Unknown command. Type just 'stats' for info \n";
    const std::pair<std::deque<std::string>, std::string> replies[] = {
        { { "show" }, "Stat manager shown" },
        { { "hide" }, "Stat manager hidden" },
        { { "toggle" }, unknown },
        { { "show", "1", "2" }, unknown },
        { { "flip", "0" }, "Unknown command: 'flip' " },
        { { "hide", "70000" }, "Unknown stat : '70000' " },
        { { "hide", "x" }, "Unknown stat : 'x' " },
        { { "show", "-1" }, "Unknown stat : '-1' " },
        { { "show", "1e300" }, "Unknown stat : '1e300' " },
    };
    for (const auto& [words, expected] : replies)
        EXPECT_EQ(expected, stats.handleCommand(words)) << words.front();
}

TEST(StatsManagerTest, ReportsFromManyThreadsAllCount)
{
    StatsManager& stats = StatsManager::getInstance();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&stats, t] {
            for (int i = 0; i < 10000; ++i) {
                stats.addToStat("test: concurrent", 1.0);
                stats.addToStat("test: thread " + std::to_string(t), 1.0);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(40000.0, stats.getStat("test: concurrent"));
    EXPECT_EQ(10000.0, stats.getStat("test: thread 3"));
}
