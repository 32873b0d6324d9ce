#include "Game/Screenshot.h"

#include "Game/ResourcePath.h"
#include "Interface/Console.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

Screenshot::Screenshot(Capture frame)
    : ConsoleAccessable("screenshot")
    , capture(std::move(frame))
{
    Console::getInstance().registerHandler(this);
}

std::string Screenshot::handleCommand(const std::deque<std::string>& words)
{
    if (!words.empty())
        return "screenshot: saves the frame as a PNG under screenshots/, e.g. bound with \"bind f11 "
               "screenshot\"";
    const std::string reply = save(capture(), "screenshots", std::time(nullptr));
    std::cout << reply << std::endl;
    return reply;
}

std::string Screenshot::save(const sf::Image& image, const std::string& folder, std::time_t when)
{
    namespace fs = std::filesystem;
    const fs::path directory = resourcePath(folder);
    std::error_code error;
    fs::create_directories(directory, error);
    if (error)
        return "Screenshot not saved: cannot make the folder " + directory.string() + ": " + error.message();
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", std::localtime(&when));
    fs::path file = directory / (std::string(stamp) + ".png");
    for (int n = 2; fs::exists(file, error); ++n)
        file = directory / (std::string(stamp) + "_" + std::to_string(n) + ".png");
    // SFML says only that it failed: opening the file first finds out why.
    if (!std::ofstream(file, std::ios::binary))
        return "Screenshot not saved: cannot write " + file.string() + ": " + std::strerror(errno);
    if (!image.saveToFile(file.string())) {
        fs::remove(file, error);
        return "Screenshot not saved: the PNG could not be written to " + file.string()
            + " (an empty frame, or a full disk)";
    }
    return "Screenshot saved: " + file.string();
}
