#pragma once

#include "Graphics/Orientation.h"
#include "Graphics/Vector3.h"
#include "Interface/ConsoleAccessable.h"

#include <atomic>

// The shape of the world and its sky: centre, radius, sea level, the local up
// direction, gravity and a sun circling once per day. Created once by the
// terrain data manager; answers the "planet" console commands.
//
// Threads: centre, radius and seaLevel never change after construction and
// are read by the generator and water threads; the instance pointer is atomic
// for them. Everything else (update, commands, sun, gravity, day length) is
// main thread only.
class Planet : public ConsoleAccessable
{
public:
    explicit Planet(double radius);
    ~Planet() override;

    // Null, after writing "Error: planet instance pointer wasn't
    // initialized!" to standard error, when no planet exists.
    static Planet* getInstance();

    // Distance of p above the undisturbed surface.
    double heightAt(const Vector3& p) const;
    double heightAt(double x, double y, double z) const { return heightAt(Vector3 { x, y, z }); }
    // Unit vector away from the centre; (1, 0, 0) at the centre itself.
    Vector3 upAt(const Vector3& p) const;
    Vector3 upAt(double x, double y, double z) const { return upAt(Vector3 { x, y, z }); }
    // An orientation whose up axis is the unit vector up, for standing models,
    // grass and water upright on the sphere.
    static Orientation orientationForUp(const Vector3& up);

    // Advances the sun; called once per frame.
    void update(double dt);
    void setSunAngle(double degrees);
    double sunAngle() const { return angle; }
    const Vector3& sunPosition() const { return sun; }
    // Seconds per full turn of the sun, at least 1.
    int dayLength() const { return secondsPerDay; }
    void setDayLength(double seconds);
    // World units per second squared.
    double gravity() const { return pull; }
    bool isPaused() const { return paused; }

    std::string handleCommand(const std::deque<std::string>& words) override;

    const Vector3 centre;
    const double radius;
    // Water surface height relative to the radius.
    const double seaLevel = -5.0;

private:
    void placeSun();
    std::string setFromWord(const std::string& command, const std::string& word);

    static std::atomic<Planet*> instance;

    const double sunDistance;
    double angle = 0.0;
    Vector3 sun;
    double pull = 9.81;
    bool paused = false;
    int secondsPerDay = 120;
    double timeAccumulator = 0.0;
};
