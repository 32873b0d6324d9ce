#include "Game/Game.h"

#include <chrono>
#include <iostream>

int main()
{
    const auto launch = std::chrono::steady_clock::now();
    int result;
    {
        Game game("Glebeworks", launch);
        result = game.start();
        if (result != 0)
            std::cout << "Game could not start...\n";
    }
    return result;
}
