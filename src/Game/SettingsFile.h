#pragma once

#include <istream>
#include <ostream>
#include <string>

// The settings in "resources/config/settings.ini": a header token
// "[settings]" followed by whitespace-separated key/value pairs. Read once at
// start-up; the Options page changes them and writes the file back.
struct SettingsFile {
    bool fullscreen = false;
    int windowedWidth = 800;
    int windowedHeight = 600;
    int fullscreenWidth = 0;
    int fullscreenHeight = 0;
    int antialiasingLevel = 0;
    int framerateLimit = 0;
    // Degrees the view turns per pixel of mouse motion, read rounded to
    // hundredths and kept within 0.01 to 5.
    double mouseSensitivity = 0.15;
    // The background music, off unless the file turns it on; volume in percent.
    bool music = false;
    int musicVolume = 40;
    // Asked of every context whether or not the file could be read.
    int depthBits = 32;
    int stencilBits = 8;

    // Reads the file; a missing file or a wrong header prints its message and
    // keeps the defaults (a wrong header still lets the later keys count).
    static SettingsFile read(const std::string& path);
    // The token reader behind read(), for any stream.
    static SettingsFile parse(std::istream& in);
    // Every key, in the file's format; keys the reader does not know are not kept.
    void write(std::ostream& out) const;
    // Writes beside the target and renames over it. "" when saved, else why not.
    std::string save(const std::string& path) const;

    // A windowed size below 1 or beyond the screen (maxWidth x maxHeight) is
    // reported and replaced by the default 800 x 600, or by the screen's own
    // size when even that does not fit; true when the size was kept.
    bool limitWindowSize(int maxWidth, int maxHeight);
};
