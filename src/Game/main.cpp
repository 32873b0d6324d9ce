#include "Game/Game.h"

#include <iostream>

int main()
{
    int result;
    {
        Game game("Glebeworks");
        result = game.start();
        if (result != 0)
            std::cout << "Game could not start...\n";
    }
    return result;
}
