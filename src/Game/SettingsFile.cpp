#include "Game/SettingsFile.h"

#include "Game/ResourcePath.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
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
    auto readBool = [&in](bool& target) {
        std::string word;
        if (in >> word)
            target = word == "true";
    };
    while (in >> token) {
        if (token == "fullscreen") {
            readBool(settings.fullscreen);
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
        } else if (token == "mouse_sensitivity") {
            double value;
            if (in >> value)
                settings.mouseSensitivity = std::clamp(std::round(value * 100.0) / 100.0, 0.01, 5.0);
        } else if (token == "music") {
            readBool(settings.music);
        } else if (token == "music_volume") {
            readInt(settings.musicVolume);
            settings.musicVolume = std::clamp(settings.musicVolume, 0, 100);
        }
    }
    return settings;
}

void SettingsFile::write(std::ostream& out) const
{
    out << "[settings]\nfullscreen " << (fullscreen ? "true" : "false") << "\nwindowed_width "
        << windowedWidth << "\nwindowed_height " << windowedHeight << "\nfullscreen_width " << fullscreenWidth
        << "\nfullscreen_height " << fullscreenHeight << "\nAA_level " << antialiasingLevel
        << "\nframerate_limit " << framerateLimit << "\nmouse_sensitivity " << mouseSensitivity << "\nmusic "
        << (music ? "true" : "false") << "\nmusic_volume " << musicVolume << "\n";
}

std::string SettingsFile::save(const std::string& path) const
{
    const std::string target = resourcePath(path);
    const std::string temporary = target + ".tmp";
    std::ofstream out(temporary, std::ios::trunc);
    if (!out)
        return "cannot write " + temporary + ": " + std::strerror(errno);
    write(out);
    out.close();
    if (!out) {
        std::remove(temporary.c_str());
        return "cannot write " + temporary + " (is the disk full?)";
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        return "cannot replace " + target + ": " + reason;
    }
    return "";
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
