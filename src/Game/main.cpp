#include "Game/Game.h"

#include <iostream>

int main()
{
    int result;
    {
        Game game("Glebeworks");
        result = game.start();
        if (!game.startedUp())
            std::cout << "Game could not start...\n";
    }
    return result;
}
