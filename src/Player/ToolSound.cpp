#include "Player/ToolSound.h"

#include "Game/ResourcePath.h"

#include <iostream>

ToolSound::ToolSound(const std::string& file, const std::string& shortName)
{
    loaded = buffer.loadFromFile(resourcePath(file));
    if (!loaded) {
        std::cout << "Error loading sound: " << shortName << ".\n";
        return;
    }
    sound.setBuffer(buffer);
    sound.setLoop(true);
    sound.setVolume(75.0f);
}

void ToolSound::setPlaying(bool on)
{
    if (!loaded)
        return;
    if (on)
        sound.play();
    else
        sound.stop();
}
