#include "Player/PlayerCommands.h"

#include "Interface/Console.h"
#include "Player/Player.h"
#include "World/EditHistory.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"
#include "World/datablock.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <sstream>

// One console word, answered by one member of PlayerCommands.
class PlayerCommands::Command : public ConsoleAccessable
{
public:
    Command(std::string name, std::function<std::string(const Words&)> run)
        : ConsoleAccessable(std::move(name))
        , run(std::move(run))
    {
        Console::getInstance().registerHandler(this);
    }

    std::string handleCommand(const Words& words) override { return run(words); }

private:
    std::function<std::string(const Words&)> run;
};

namespace {

// Far beyond the planet; further out the block coordinates near the int range.
constexpr double farthest = 1.0e6;

// Walking leaves the feet a little inside the ground; ground half a unit
// above them has been put back over the player.
constexpr double buried = 0.5;

// A whole word as a finite number.
bool readNumber(const std::string& word, double& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtod(word.c_str(), &end);
    return !word.empty() && end == word.c_str() + word.size() && errno != ERANGE && std::isfinite(value);
}

std::string parseError(const std::string& command, const std::string& word)
{
    return command + ": Error: could not parse \"" + word + "\" to a number!";
}

std::string text(const Vector3& p)
{
    std::ostringstream out;
    out << std::fixed << std::setprecision(2) << "(" << p.x << ", " << p.y << ", " << p.z << ")";
    return out.str();
}

// Runs an undo or redo of n strokes (1 without a word) and reports each.
std::string steps(const std::string& command, const PlayerCommands::Words& words,
    std::vector<EditHistory::Step> (EditHistory::*step)(int), EditHistory& history, const char* verb)
{
    double n = 1.0;
    if (!words.empty() && (!readNumber(words[0], n) || n < 1.0 || n != std::floor(n)))
        return command + ": Error: \"" + words[0] + "\" is no number of strokes! \n " + command + " [n]";
    const auto done = (history.*step)(static_cast<int>(std::min(n, 1e6)));
    if (done.empty())
        return "Nothing to " + command;
    std::string reply;
    for (const EditHistory::Step& s : done)
        reply += (reply.empty() ? "" : "\n") + std::string(verb) + " stroke " + std::to_string(s.stroke)
            + ": " + std::to_string(s.voxels) + " voxels";
    return reply;
}

} // namespace

PlayerCommands::PlayerCommands(Player& player, TerrainDataManager& manager)
    : player(player)
    , manager(manager)
    , history(manager.editHistory())
{
    commands.push_back(std::make_unique<Command>("undo", [this](const Words& w) { return undo(w); }));
    commands.push_back(std::make_unique<Command>("redo", [this](const Words& w) { return redo(w); }));
    commands.push_back(std::make_unique<Command>("where", [this](const Words&) { return where(); }));
    commands.push_back(std::make_unique<Command>("goto", [this](const Words& w) { return go(w); }));
}

PlayerCommands::~PlayerCommands() = default;

std::string PlayerCommands::undo(const Words& words)
{
    const std::string reply = steps("undo", words, &EditHistory::undo, history, "Undid");
    climbOut();
    return reply;
}

std::string PlayerCommands::redo(const Words& words)
{
    const std::string reply = steps("redo", words, &EditHistory::redo, history, "Redid");
    climbOut();
    return reply;
}

void PlayerCommands::climbOut()
{
    const Vector3& feet = player.getPosition();
    if (!player.isFreeFlight() && manager.sampleDensity(feet + manager.planet().upAt(feet) * buried) > 0.0)
        player.moveTo(manager.findSurface(feet));
}

std::string PlayerCommands::where() const
{
    const Vector3& p = player.getPosition();
    const Planet& planet = manager.planet();
    const Vector3 ground = manager.findSurface(p);
    const int bx = datablock::blockCoordinate(static_cast<int>(std::floor(p.x)));
    const int by = datablock::blockCoordinate(static_cast<int>(std::floor(p.y)));
    const int bz = datablock::blockCoordinate(static_cast<int>(std::floor(p.z)));
    const std::string file = manager.worldFolder().blockFile(bx, by, bz);
    const std::size_t cut = file.find_last_of('/') + 1;
    std::ostringstream out;
    out << std::fixed << std::setprecision(2) << "Position: " << text(p)
        << " \n Height above the ground: " << planet.heightAt(p) - planet.heightAt(ground) << " m \n Block: ("
        << bx << ", " << by << ", " << bz << ") in " << file.substr(0, cut)
        << " \n Block files: " << file.substr(cut) << " and " << file.substr(cut)
        << ".w \n Sun angle: " << planet.sunAngle() << " degrees, day length: " << planet.dayLength()
        << " seconds";
    return out.str();
}

std::string PlayerCommands::go(const Words& words)
{
    Vector3 target = player.getPosition();
    if (words.size() == 3) {
        double xyz[3];
        for (int i = 0; i < 3; ++i)
            if (!readNumber(words[i], xyz[i]))
                return parseError("goto", words[i]);
        target = { xyz[0], xyz[1], xyz[2] };
        if (std::fabs(target.x) > farthest || std::fabs(target.y) > farthest
            || std::fabs(target.z) > farthest)
            return "goto: Error: " + text(target) + " lies outside the world!";
    } else if (words.size() != 1 || words[0] != "surface") {
        return "goto commands: \n goto <x> <y> <z> \n goto surface";
    }
    if (!player.isFreeFlight() || words.size() == 1)
        target = manager.findSurface(target);
    player.moveTo(target);
    return "Moved to " + text(target);
}
