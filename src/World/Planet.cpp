#include "World/Planet.h"

#include "Graphics/Rotation.h"
#include "Interface/Console.h"

#include <climits>
#include <cmath>
#include <iostream>
#include <sstream>

std::atomic<Planet*> Planet::instance { nullptr };

namespace {
// A number read from the start of a word, trailing characters ignored ("12abc"
// reads as 12). Infinities and overflows are not numbers a user meant.
bool readNumber(const std::string& word, double& value)
{
    std::istringstream stream(word);
    return static_cast<bool>(stream >> value) && std::isfinite(value);
}

std::string text(double value)
{
    std::ostringstream stream;
    stream << value;
    return stream.str();
}
}

Planet::Planet(double radius)
    : ConsoleAccessable("planet")
    , centre(0.0, 0.0, 0.0)
    , radius(radius)
    , sunDistance(radius * 100.0)
{
    placeSun();
    instance = this;
    Console::getInstance().registerHandler(this);
}

Planet::~Planet()
{
    Planet* self = this;
    instance.compare_exchange_strong(self, nullptr);
}

Planet* Planet::getInstance()
{
    Planet* planet = instance.load();
    if (!planet)
        std::cerr << "Error: planet instance pointer wasn't initialized!\n";
    return planet;
}

double Planet::heightAt(const Vector3& p) const
{
    return (p - centre).length() - radius;
}

Vector3 Planet::upAt(const Vector3& p) const
{
    if (p.length() < 0.0001)
        return { 1.0, 0.0, 0.0 };
    return (p - centre).normalise();
}

Orientation Planet::orientationForUp(const Vector3& up)
{
    if (1.0 - std::abs(up.y) < 0.0001) {
        if (up.y > 0)
            return Orientation {};
        return Orientation::fromAxes({ 1.0, 0.0, 0.0 }, { 0.0, -1.0, 0.0 }, { 0.0, 0.0, -1.0 });
    }
    const Vector3 forward(-up.z, 0.0, up.x);
    return Orientation::fromAxes(forward, up, forward.cross(up));
}

void Planet::update(double dt)
{
    if (paused)
        return;
    // The sun moves in steps of at least 0.02 s; the frame that moves it does
    // not count its own time.
    if (timeAccumulator > 0.02) {
        angle += timeAccumulator * 360.0 / secondsPerDay;
        // fmod rather than one subtraction: a long stall with a short day can
        // carry the sun more than one turn at once.
        if (angle > 360.0)
            angle = std::fmod(angle, 360.0);
        placeSun();
        timeAccumulator = 0.0;
    } else {
        timeAccumulator += dt;
    }
}

void Planet::setSunAngle(double degrees)
{
    // The angle comes from the world file; a damaged value must not leave the
    // sun (and with it the sky shader) at NaN for good.
    angle = std::isfinite(degrees) ? std::fmod(degrees, 360.0) : 0.0;
    if (angle < 0.0)
        angle += 360.0;
    placeSun();
}

void Planet::setDayLength(double seconds)
{
    if (!(seconds >= 1.0))
        secondsPerDay = 1;
    else if (seconds >= static_cast<double>(INT_MAX))
        secondsPerDay = INT_MAX;
    else
        secondsPerDay = static_cast<int>(seconds);
}

void Planet::placeSun()
{
    const double radians = degreesToRadians(angle);
    sun = Vector3(std::cos(radians) * sunDistance, 0.0, std::sin(radians) * sunDistance);
}

std::string Planet::handleCommand(const std::deque<std::string>& words)
{
    if (words.empty())
        return "Planet commands: \n pause \n resume \n dayLength [seconds] \n gravity [grav]";
    const std::string& command = words[0];
    if (command == "pause") {
        paused = true;
        return "Planet and sun updates paused";
    }
    if (command == "resume") {
        paused = false;
        return "Planet and sun updates resumed";
    }
    if (command == "dayLength" && words.size() == 1)
        return "Planet: current day length is  " + std::to_string(secondsPerDay) + " seconds";
    if (command == "gravity" && words.size() == 1)
        return "Planet: current gravity  " + text(pull) + " m/s/s";
    if (command == "dayLength" || command == "gravity")
        return setFromWord(command, words[1]);
    return "Planet: unknown command: \"" + command + "\"";
}

std::string Planet::setFromWord(const std::string& command, const std::string& word)
{
    double value = 0.0;
    if (!readNumber(word, value))
        return "Planet: Error: could not parse \"" + word + "\" to a number!";
    if (command == "dayLength") {
        setDayLength(value);
        return "Planet: day length set to: " + std::to_string(secondsPerDay) + " seconds";
    }
    // A weightless or inverted planet would fling the player into space.
    if (value > 0.01)
        pull = value;
    return "Planet: gravity set to: " + text(pull) + " m/s/s";
}
