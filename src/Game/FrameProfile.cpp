#include "Game/FrameProfile.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

double millisecondsOf(FrameProfile::Clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

} // namespace

void FrameProfile::begin(Clock::time_point now)
{
    frameStart = lastMark = now;
    steps.clear();
}

void FrameProfile::mark(const char* step, Clock::time_point now)
{
    const Clock::duration spent = now - lastMark;
    lastMark = now;
    for (auto& [name, time] : steps)
        if (std::strcmp(name, step) == 0) {
            time += spent;
            return;
        }
    steps.emplace_back(step, spent);
}

std::string FrameProfile::end()
{
    const double frameMs = millisecondsOf(lastMark - frameStart);
    recent.emplace_back(lastMark, frameMs);
    const auto window = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(worstWindowSeconds));
    while (recent.front().first < lastMark - window)
        recent.pop_front();
    if (frameMs <= slowFrameMs)
        return "";

    // The longest steps first, until they account for nine tenths of the
    // frame; the rest is noise.
    std::stable_sort(steps.begin(), steps.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    std::ostringstream line;
    line << "Slow frame " << static_cast<long long>(frameMs) << " ms:";
    double named = 0.0;
    for (std::size_t i = 0; i < steps.size() && named < 0.9 * frameMs; ++i) {
        const double stepMs = millisecondsOf(steps[i].second);
        named += stepMs;
        line << (i == 0 ? " " : ", ") << steps[i].first << ' ' << static_cast<long long>(stepMs);
    }
    return line.str();
}

double FrameProfile::worstRecentMs() const
{
    double worst = 0.0;
    for (const auto& frame : recent)
        worst = std::max(worst, frame.second);
    return worst;
}
