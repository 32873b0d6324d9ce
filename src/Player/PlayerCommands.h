#pragma once

#include "Interface/ConsoleAccessable.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class EditHistory;
class Player;
class TerrainDataManager;

// The console commands that act for the player: "undo [n]" and "redo [n]" of
// the tools' strokes, "where" and "goto". Made by the player in the game;
// main thread only.
class PlayerCommands
{
public:
    using Words = std::deque<std::string>;

    PlayerCommands(Player& player, TerrainDataManager& manager);
    ~PlayerCommands();

    std::string undo(const Words& words);
    std::string redo(const Words& words);
    // Position, height above the ground, block and its files, sun and day.
    std::string where() const;
    // "goto <x> <y> <z>" or "goto surface". Out of free flight the player
    // lands on the ground under the point, found as a new world finds it.
    std::string go(const Words& words);

private:
    class Command;

    // A player walking in a hole that an undo or a redo filled again climbs
    // onto the ground instead of staying buried in it.
    void climbOut();

    Player& player;
    TerrainDataManager& manager;
    EditHistory& history;
    std::vector<std::unique_ptr<Command>> commands;
};
