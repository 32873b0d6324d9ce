#include "Interface/OptionsPage.h"

#include "Interface/Button.h"
#include "Interface/Interface.h"
#include "Interface/TextField.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <tuple>

namespace {
// Marks the settings that take effect at the next start.
const std::string nextStart = " *";

// The first choice above `current`, or the first of all after the last.
template <class T> T nextChoice(const std::vector<T>& choices, const T& current)
{
    const auto above = std::upper_bound(choices.begin(), choices.end(), current);
    return above == choices.end() ? choices.front() : *above;
}

std::string offOr(bool off, const std::string& value)
{
    return off ? "off" : value;
}
}

OptionsPage::OptionsPage(Interface& menus, SettingsFile& settingsFile, std::string filePath, int maxWidth,
    int maxHeight, Apply applyNow)
    : interface(menus)
    , settings(settingsFile)
    , path(std::move(filePath))
    , apply(std::move(applyNow))
{
    for (const auto& size : { std::make_pair(800, 600), std::make_pair(1024, 768), std::make_pair(1280, 720),
             std::make_pair(1280, 800), std::make_pair(1366, 768), std::make_pair(1600, 900),
             std::make_pair(1920, 1080), std::make_pair(settings.windowedWidth, settings.windowedHeight) })
        if (size.first <= maxWidth && size.second <= maxHeight
            && std::find(windowSizes.begin(), windowSizes.end(), size) == windowSizes.end())
            windowSizes.push_back(size);
    std::sort(windowSizes.begin(), windowSizes.end());

    page = interface.addPage(0, "Options");
    if (page < 0)
        return;
    // A page fills from the bottom up, above its "Back" button.
    note = std::make_unique<TextField>("TXT_OPTIONS_NOTE", "* applies at next start", false);
    note->setSize(200, 30);
    interface.addPageText(page, note.get());
    add(
        "OPTION_MUSIC",
        [this] { return "Music: " + offOr(!settings.music, std::to_string(settings.musicVolume) + "%"); },
        [this] {
            // Off, then on at the volume it had, louder up to full, then off again.
            if (!settings.music) {
                settings.music = true;
                if (settings.musicVolume == 0)
                    settings.musicVolume = 20;
            } else if (settings.musicVolume >= 100) {
                settings.music = false;
            } else {
                settings.musicVolume = nextChoice({ 20, 40, 60, 80, 100 }, settings.musicVolume);
            }
        });
    add(
        "OPTION_MOUSE_SENSITIVITY",
        [this] {
            std::ostringstream label;
            label << "Mouse sensitivity: " << settings.mouseSensitivity;
            return label.str();
        },
        [this] {
            settings.mouseSensitivity
                = nextChoice({ 0.05, 0.1, 0.15, 0.2, 0.3, 0.5 }, settings.mouseSensitivity);
        });
    add(
        "OPTION_FRAMERATE_LIMIT",
        [this] {
            return "Frame-rate limit: "
                + offOr(settings.framerateLimit <= 0, std::to_string(settings.framerateLimit));
        },
        [this] {
            settings.framerateLimit = nextChoice({ 0, 30, 60, 120 }, settings.framerateLimit);
        });
    add(
        "OPTION_ANTIALIASING",
        [this] {
            return "Antialiasing: "
                + offOr(settings.antialiasingLevel <= 1, std::to_string(settings.antialiasingLevel) + "x")
                + nextStart;
        },
        [this] {
            settings.antialiasingLevel = nextChoice({ 0, 2, 4, 8 }, settings.antialiasingLevel);
        });
    add(
        "OPTION_WINDOW_SIZE",
        [this] {
            return "Window size: " + std::to_string(settings.windowedWidth) + " x "
                + std::to_string(settings.windowedHeight) + nextStart;
        },
        [this] {
            std::tie(settings.windowedWidth, settings.windowedHeight)
                = nextChoice(windowSizes, { settings.windowedWidth, settings.windowedHeight });
        });
    add(
        "OPTION_FULLSCREEN",
        [this] { return "Full screen: " + offOr(!settings.fullscreen, "on") + nextStart; },
        [this] { settings.fullscreen = !settings.fullscreen; });
}

OptionsPage::~OptionsPage() = default;

void OptionsPage::add(const std::string& name, std::function<std::string()> label, std::function<void()> step)
{
    Option option { std::make_unique<Button>(name, label()), std::move(label), std::move(step) };
    Button* button = option.button.get();
    const std::size_t index = options.size();
    button->setCallback([this, index](Button& clicked) {
        if (clicked.getState() != Button::Idle)
            return;
        options[index].step();
        changed();
    });
    options.push_back(std::move(option));
    interface.addPageButton(page, button);
}

void OptionsPage::changed()
{
    for (Option& option : options)
        option.button->setText(option.label());
    const std::string failure = settings.save(path);
    if (!failure.empty())
        std::cout << "Could not save the settings: " << failure << std::endl;
    apply(settings);
}
