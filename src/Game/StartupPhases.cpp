#include "Game/StartupPhases.h"

#include <algorithm>
#include <sstream>

namespace {

const char* const phaseNames[StartupPhases::PhaseCount]
    = { "window", "fonts", "shaders", "sounds", "models", "textures", "terrain" };

// Shares of the bar, after the times measured under a software rasteriser on
// two cores: the terrain's first pass overlaps the rest, so its share is
// what is left waiting for it once the rest has loaded.
const double phaseWeights[StartupPhases::PhaseCount] = { 10, 3, 15, 3, 10, 24, 35 };

long long millisecondsOf(StartupPhases::Clock::duration span)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
}

} // namespace

StartupPhases::StartupPhases(Clock::time_point launch)
    : launch(launch)
    , firstFrame(launch)
{
}

void StartupPhases::begin(Phase phase, Clock::time_point now)
{
    Record& record = phases[phase];
    record.started = now;
    record.running = true;
}

void StartupPhases::end(Phase phase, Clock::time_point now, bool finished)
{
    Record& record = phases[phase];
    if (record.running)
        record.spent += now - record.started;
    record.running = false;
    if (finished) {
        record.finished = true;
        record.fraction = 1.0;
    }
}

void StartupPhases::setFraction(Phase phase, double fraction)
{
    Record& record = phases[phase];
    record.fraction = std::max(record.fraction, std::clamp(fraction, 0.0, 1.0));
}

void StartupPhases::firstFrameShown(Clock::time_point now)
{
    firstFrame = now;
}

bool StartupPhases::done() const
{
    return std::all_of(phases.begin(), phases.end(), [](const Record& record) { return record.finished; });
}

double StartupPhases::percent() const
{
    double total = 0.0;
    double reached = 0.0;
    for (int phase = 0; phase < PhaseCount; ++phase) {
        total += phaseWeights[phase];
        reached += phaseWeights[phase] * phases[phase].fraction;
    }
    const double share = 100.0 * reached / total;
    // Rounding must not fill the bar while the world is not ready.
    return done() ? 100.0 : std::min(share, 99.0);
}

long long StartupPhases::totalMs(Clock::time_point ready) const
{
    return millisecondsOf(ready - launch);
}

std::string StartupPhases::report(Clock::time_point ready) const
{
    std::ostringstream line;
    line << "Ready in " << totalMs(ready) << " ms:";
    for (int phase = 0; phase < PhaseCount; ++phase)
        line << (phase == 0 ? " " : ", ") << phaseNames[phase] << ' ' << millisecondsOf(phases[phase].spent);
    line << "; first frame " << millisecondsOf(firstFrame - launch) << " ms";
    return line.str();
}
