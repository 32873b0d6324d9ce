#include "Interface/StatsManager.h"

#include "Game/Window.h"
#include "Interface/Console.h"
#include "Interface/Draw2D.h"
#include "Interface/TextMeasure.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <sstream>
#include <utility>
#include <vector>

namespace {
std::string text(double value)
{
    std::ostringstream stream;
    stream << value;
    return stream.str();
}

// The index typed after show or hide; INT_MAX, which names no statistic,
// when the word is not a number or does not fit an index.
int readIndex(const std::string& word)
{
    std::istringstream stream(word);
    double value = 0.0;
    if (!(stream >> value) || !std::isfinite(value) || value <= INT_MIN || value >= INT_MAX)
        return INT_MAX;
    return static_cast<int>(value);
}
}

StatsManager& StatsManager::getInstance()
{
    // Never destroyed: worker threads may still report while the program ends.
    static StatsManager* instance = new StatsManager;
    return *instance;
}

StatsManager::StatsManager()
    : ConsoleAccessable("stats")
{
    Console::getInstance().registerHandler(this);
}

void StatsManager::setStat(const std::string& name, double value)
{
    std::lock_guard<std::mutex> lock(mutex);
    stats[name].value = value;
}

void StatsManager::addToStat(const std::string& name, double delta)
{
    std::lock_guard<std::mutex> lock(mutex);
    stats[name].value += delta;
}

double StatsManager::getStat(const std::string& name) const
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto stat = stats.find(name);
    return stat == stats.end() ? 0.0 : stat->second.value;
}

std::string StatsManager::handleCommand(const std::deque<std::string>& words)
{
    const std::string unknown = "Stats: Unknown command. Type just 'stats' for info \n";
    switch (words.size()) {
    case 0:
        return statsHelp();
    case 1: {
        std::lock_guard<std::mutex> lock(mutex);
        if (words[0] == "show") {
            hidden = false;
            return "Stat manager shown";
        }
        if (words[0] == "hide") {
            hidden = true;
            return "Stat manager hidden";
        }
        return unknown;
    }
    case 2:
        return showOrHide(words[0], words[1]);
    default:
        return unknown;
    }
}

std::string StatsManager::statsHelp() const
{
    std::string reply
        = " stats commands : \n  show \n  hide \n  show [stat-index] \n  hide [stat-index] \n stats: ";
    std::lock_guard<std::mutex> lock(mutex);
    int index = 0;
    for (const auto& stat : stats)
        reply += " \n  index: " + text(index++) + " | " + stat.first;
    return reply;
}

std::string StatsManager::showOrHide(const std::string& command, const std::string& index)
{
    if (command != "show" && command != "hide")
        return "Unknown command: '" + command + "' ";
    const int n = readIndex(index);
    std::lock_guard<std::mutex> lock(mutex);
    if (n < 0 || n >= static_cast<int>(stats.size()))
        return "Unknown stat : '" + index + "' ";
    auto stat = std::next(stats.begin(), n);
    stat->second.statHidden = command == "hide";
    return "Stat '" + stat->first + "' " + (command == "hide" ? "hidden " : "shown ");
}

void StatsManager::draw() const
{
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (hidden)
            return;
        for (const auto& [name, stat] : stats)
            if (!stat.statHidden)
                lines.push_back(name + ": " + text(stat.value));
    }
    if (lines.empty())
        return;
    const int x = Window::getInstance().width - 400;
    int widest = 0;
    for (const std::string& line : lines)
        widest = std::max(widest, TextMeasure::size(line).first);
    const Draw2D paint;
    // A dark panel under the list keeps the numbers readable over bright terrain.
    const int rows = static_cast<int>(lines.size());
    paint.drawQuad(x - 8, 8, x + widest + 8, 15 + 15 * rows, Draw2D::panel);
    float y = 15.0f;
    for (const std::string& line : lines) {
        paint.drawText(line, static_cast<float>(x), y, { 1.0f, 1.0f, 1.0f, 1.0f });
        y += 15.0f;
    }
}
