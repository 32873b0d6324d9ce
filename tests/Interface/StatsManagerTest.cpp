#include "Interface/StatsManager.h"

#include "Interface/Console.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

// The statistics table is process-wide, so every test uses names of its own;
// the listing tests only look at the order of their own names.

TEST(StatsManagerTest, SetAddAndGet)
{
    StatsManager& stats = StatsManager::getInstance();
    stats.addToStat("test: added", 2.5);
    stats.addToStat("test: added", 1.0);
    EXPECT_EQ(3.5, stats.getStat("test: added"));
    stats.setStat("test: added", -1.0);
    EXPECT_EQ(-1.0, stats.getStat("test: added"));

    EXPECT_EQ(0.0, stats.getStat("test: never set"));
    EXPECT_EQ(std::string::npos, stats.handleCommand({}).find("test: never set"));
}

TEST(StatsManagerTest, ReachedThroughTheConsoleAndListedInNameOrder)
{
    StatsManager& stats = StatsManager::getInstance();
    stats.setStat("test: b", 1.0);
    stats.setStat("test: a", 1.0);
    const std::string reply = Console::getInstance().runCommand({ "stats" });
    EXPECT_EQ(0u,
        reply.find(
            " stats commands : \n  show \n  hide \n  show [stat-index] \n  hide [stat-index] \n stats: "));
    const std::size_t a = reply.find(" | test: a"), b = reply.find(" | test: b");
    ASSERT_NE(std::string::npos, a);
    ASSERT_NE(std::string::npos, b);
    EXPECT_LT(a, b);
    // The index written before a name is the one show and hide take.
    const std::size_t indexStart = reply.rfind("index: ", a) + 7;
    const std::string index = reply.substr(indexStart, a - indexStart);
    EXPECT_EQ("Stat 'test: a' hidden ", stats.handleCommand({ "hide", index }));
    EXPECT_EQ("Stat 'test: a' shown ", stats.handleCommand({ "show", index + ".7" }));
}

TEST(StatsManagerTest, CommandReplies)
{
    StatsManager& stats = StatsManager::getInstance();
    const std::string unknown = "Stats: Unknown command. Type just 'stats' for info \n";
    EXPECT_EQ("Stat manager shown", stats.handleCommand({ "show" }));
    EXPECT_EQ("Stat manager hidden", stats.handleCommand({ "hide" }));
    EXPECT_EQ(unknown, stats.handleCommand({ "toggle" }));
    EXPECT_EQ(unknown, stats.handleCommand({ "show", "1", "2" }));
    EXPECT_EQ("Unknown command: 'flip' ", stats.handleCommand({ "flip", "0" }));
    EXPECT_EQ("Unknown stat : '70000' ", stats.handleCommand({ "hide", "70000" }));
    EXPECT_EQ("Unknown stat : 'x' ", stats.handleCommand({ "hide", "x" }));
    EXPECT_EQ("Unknown stat : '-1' ", stats.handleCommand({ "show", "-1" }));
    EXPECT_EQ("Unknown stat : '1e300' ", stats.handleCommand({ "show", "1e300" }));
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
