#pragma once

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <string>

// A looping tool sound at volume 75, played while a tool is in use. A file
// that cannot be loaded is reported once and leaves the sound silent; the
// tool works on without it. Main thread only.
class ToolSound
{
public:
    // file: the path as the program names it (through resourcePath);
    // shortName: the name used in the error message.
    ToolSound(const std::string& file, const std::string& shortName);
    ToolSound(const ToolSound&) = delete;
    ToolSound& operator=(const ToolSound&) = delete;

    bool isLoaded() const { return loaded; }
    void setPlaying(bool on);

private:
    sf::SoundBuffer buffer;
    sf::Sound sound;
    bool loaded = false;
};
