#pragma once

#include "Interface/ConsoleAccessable.h"

#include <SFML/Graphics/Image.hpp>
#include <ctime>
#include <functional>
#include <string>

// The console command "screenshot": saves the frame, without the console, as
// a PNG named by the date and time under "screenshots/" in the working
// directory, and replies with its path or with why it could not. The reply is
// printed as well, since a command run by a bound key has no transcript to
// show it. Main thread only.
class Screenshot : public ConsoleAccessable
{
public:
    // Draws the current frame without the console and returns it.
    using Capture = std::function<sf::Image()>;

    explicit Screenshot(Capture capture);

    std::string handleCommand(const std::deque<std::string>& words) override;

    // Saves the image under `folder`, made when missing, as
    // "YYYY-MM-DD_hh-mm-ss.png" in local time, with "_2", "_3"... for more in
    // the same second; returns the reply.
    static std::string save(const sf::Image& image, const std::string& folder, std::time_t when);

private:
    Capture capture;
};
