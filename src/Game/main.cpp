#include "Game/Game.h"
#include "Game/MessageLog.h"

#include <chrono>
#include <cstdio>
#include <iostream>

int main()
{
    const auto launch = std::chrono::steady_clock::now();
    // Every message is a line: written to a file or a pipe, each one leaves
    // whole at its line end and in order with standard error, as it does on a
    // terminal (standard output goes through stdio, which the streams share).
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    // Outlives the game, so that its last words are kept too.
    MessageLog messages("glebeworks.log");
    messages.tee(std::cout);
    messages.tee(std::cerr);
    int result;
    {
        Game game("Glebeworks", launch);
        result = game.start();
        if (!game.startedUp())
            std::cout << "Game could not start...\n";
    }
    return result;
}
