#pragma once

#include "Interface/ConsoleAccessable.h"

#include <map>
#include <mutex>
#include <string>

// Named numeric statistics (block loading, voxel generation, vegetation)
// drawn as an overlay in the lower right; the "stats" console command shows
// and hides the overlay or single statistics.
//
// Threads: setStat, addToStat and getStat are called from the terrain data
// manager's and the terrain's threads as well as the main thread; `mutex`
// guards the whole table and the hidden flags. Commands and drawing run on the
// main thread.
class StatsManager : public ConsoleAccessable
{
public:
    // Created on the first call, never destroyed.
    static StatsManager& getInstance();

    void setStat(const std::string& name, double value);
    void addToStat(const std::string& name, double delta);
    // 0 for a statistic that was never set; asking creates nothing.
    double getStat(const std::string& name) const;

    std::string handleCommand(const std::deque<std::string>& words) override;
    // Main thread, GL context current; nothing while hidden.
    void draw() const;

private:
    struct Stat
    {
        double value = 0.0;
        bool statHidden = false;
    };

    StatsManager();
    std::string statsHelp() const;
    std::string showOrHide(const std::string& command, const std::string& index);

    mutable std::mutex mutex;
    bool hidden = true;
    std::map<std::string, Stat> stats;
};
