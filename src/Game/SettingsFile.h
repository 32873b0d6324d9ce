#pragma once

#include <istream>
#include <string>

// The display settings read once at start-up from "resources/config/settings.ini":
// a header token "[settings]" followed by whitespace-separated key/value pairs.
struct SettingsFile {
    bool fullscreen = false;
    int windowedWidth = 800;
    int windowedHeight = 600;
    int fullscreenWidth = 0;
    int fullscreenHeight = 0;
    int antialiasingLevel = 0;
    int framerateLimit = 0;
    // Asked of every context whether or not the file could be read.
    int depthBits = 32;
    int stencilBits = 8;

    // Reads the file; a missing file or a wrong header prints its message and
    // keeps the defaults (a wrong header still lets the later keys count).
    static SettingsFile read(const std::string& path);
    // The token reader behind read(), for any stream.
    static SettingsFile parse(std::istream& in);

    // A windowed size below 1 or beyond the screen (maxWidth x maxHeight) is
    // reported and replaced by the default 800 x 600, or by the screen's own
    // size when even that does not fit; true when the size was kept.
    bool limitWindowSize(int maxWidth, int maxHeight);
};
