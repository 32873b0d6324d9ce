#pragma once

#include "Game/SettingsFile.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class Button;
class Interface;
class TextField;

// The main menu's "Options" page: one button per setting of settings.ini,
// each click stepping it to its next choice (after the last, back to the
// first; a value edited into the file by hand moves on to the next choice
// above it). Every change is written to the file at once and handed to
// `apply`, which puts the frame-rate limit, the mouse sensitivity and the
// music into effect; full screen, window size and antialiasing are marked as
// taking effect at the next start. The page owns its buttons and its note
// and must not outlive the interface's use of them. Main thread only.
class OptionsPage
{
public:
    using Apply = std::function<void(const SettingsFile&)>;

    // Window sizes beyond maxWidth x maxHeight (the screen's) are not offered.
    OptionsPage(Interface& interface, SettingsFile& settings, std::string path, int maxWidth, int maxHeight,
        Apply apply);
    ~OptionsPage();
    OptionsPage(const OptionsPage&) = delete;
    OptionsPage& operator=(const OptionsPage&) = delete;

    // The page's index in the interface, -1 when it had no room for it.
    int getPage() const { return page; }

private:
    struct Option
    {
        std::unique_ptr<Button> button;
        std::function<std::string()> label;
        std::function<void()> step;
    };

    void add(const std::string& name, std::function<std::string()> label, std::function<void()> step);
    void changed();

    Interface& interface;
    SettingsFile& settings;
    const std::string path;
    const Apply apply;
    std::vector<std::pair<int, int>> windowSizes;
    std::vector<Option> options;
    std::unique_ptr<TextField> note;
    int page = -1;
};
