#include "Game/SettingsFile.h"

#include "Game/ResourcePath.h"

#include <algorithm>
#include <fstream>
#include <iostream>

namespace {
void revertToDefaults(SettingsFile& settings)
{
    settings.antialiasingLevel = 1;
    settings.fullscreenWidth = 0;
    settings.fullscreenHeight = 0;
}
}

SettingsFile SettingsFile::read(const std::string& path)
{
    std::ifstream in(resourcePath(path));
    if (!in) {
        std::cout << "Could not open \"settings.ini\"! Reverting to default settings.\n";
        SettingsFile settings;
        revertToDefaults(settings);
        return settings;
    }
    return parse(in);
}

SettingsFile SettingsFile::parse(std::istream& in)
{
    SettingsFile settings;
    std::string token;
    if (!(in >> token) || token != "[settings]") {
        std::cout << "Invalid header in \"settings.ini\"! Reverting to default settings.\n";
        revertToDefaults(settings);
    }

    // A value that does not parse fails the stream; the value it was meant for
    // keeps what it had and reading stops there.
    auto readInt = [&in](int& target) {
        int value;
        if (in >> value)
            target = value;
    };
    while (in >> token) {
        if (token == "fullscreen") {
            std::string word;
            if (in >> word)
                settings.fullscreen = word == "true";
        } else if (token == "windowed_width") {
            readInt(settings.windowedWidth);
        } else if (token == "windowed_height") {
            readInt(settings.windowedHeight);
        } else if (token == "fullscreen_width") {
            readInt(settings.fullscreenWidth);
        } else if (token == "fullscreen_height") {
            readInt(settings.fullscreenHeight);
        } else if (token == "AA_level") {
            readInt(settings.antialiasingLevel);
        } else if (token == "framerate_limit") {
            readInt(settings.framerateLimit);
        }
    }
    return settings;
}

bool SettingsFile::limitWindowSize(int maxWidth, int maxHeight)
{
    auto fits = [&](int width, int height) {
        return width >= 1 && height >= 1 && width <= maxWidth && height <= maxHeight;
    };
    if (fits(windowedWidth, windowedHeight))
        return true;
    std::cout << "Invalid window size " << windowedWidth << "x" << windowedHeight
              << " in \"settings.ini\"! Reverting to default window size.\n";
    const SettingsFile defaults;
    windowedWidth = std::clamp(defaults.windowedWidth, 1, std::max(maxWidth, 1));
    windowedHeight = std::clamp(defaults.windowedHeight, 1, std::max(maxHeight, 1));
    return false;
}
