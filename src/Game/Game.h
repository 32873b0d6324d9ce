#pragma once

#include "Game/FrameProfile.h"
#include "Game/Scene.h"
#include "Game/SettingsFile.h"
#include "Game/StartupPhases.h"

#include <SFML/System/Clock.hpp>
#include <SFML/Window/Event.hpp>
#include <SFML/Window/Window.hpp>

#include <memory>
#include <string>

namespace sf {
class Image;
}
class Interface;
class OptionsPage;
class Screenshot;

// The program: opens the window, shows the loading screen while the scene is
// set up step by step and the terrain's first pass runs, and runs the main
// loop (events, a 60 Hz update, render) until the window closes or "exit"
// runs. Main thread only.
class Game {
public:
    // `launch` is when the program started, for the start-up times.
    Game(const std::string& title, StartupPhases::Clock::time_point launch);
    ~Game();

    // Runs the main loop; 0 after a normal end, 1 after a failed start or a
    // fatal error that ended the loop.
    int start();
    // False when the window, OpenGL or the fonts could not be set up.
    bool startedUp() const { return ok; }

private:
    void initGL();
    void processEvents();
    // One pass of the main loop, timed step by step.
    void runFrame();
    // While loading: runs the next start-up step, or waits a little for the
    // terrain's first pass; false when no new loading frame is due.
    bool load();
    void update();
    void render();
    // Everything but the buffer swap; the console goes over the rest.
    void drawFrame(bool withConsole);
    void drawOverlay(bool withConsole);
    // The "screenshot" command's frame: drawn again, without the console, and read back.
    sf::Image captureFrame();
    // What the Options page changes that applies at once.
    void applySettings(const SettingsFile& changed);
    void resize(int width, int height);
    void keyPressed(const sf::Event::KeyEvent& key);
    void mouseButton(sf::Mouse::Button button, int x, int y, bool pressed);
    // Whether a motion event to (x, y) is the echo of the pointer's move back
    // to the window centre; if so the look-around positions restart there.
    bool warpEcho(int x, int y);
    void freeMotion(int x, int y);
    void dragMotion(int x, int y);
    void shutdown();

    unsigned char state = 0;
    // Created before the scene, which needs it, and destroyed after it.
    std::unique_ptr<Interface> interface;
    std::unique_ptr<Scene> scene;
    sf::Window window;
    sf::ContextSettings windowSettings{24, 8, 0};
    bool ok = true;
    bool fullscreen = false;
    SettingsFile settings;
    // Hold pointers into the interface and this game; they go before either.
    std::unique_ptr<OptionsPage> options;
    std::unique_ptr<Screenshot> screenshot;
    unsigned int frameCount = 1;
    double fps = 0.0;
    sf::Clock fpsClock;
    bool showFps = true;
    int lastMouseX = 0, lastMouseY = 0;
    int lastDragX = 0, lastDragY = 0;
    bool leftHeld = false, rightHeld = false;
    // Moves of the pointer back to the centre whose motion events are still to come.
    int warpEchoes = 0;
    // Whether the last update held the pointer at the centre.
    bool pointerHeld = false;
    std::string fpsText;
    sf::Clock updateClock;
    int appliedWidth = 0, appliedHeight = 0;

    StartupPhases phases;
    std::vector<Scene::LoadingStep> loadingSteps;
    std::size_t nextStep = 0;
    // Frames are timed once the world has shown.
    bool playable = false;
    FrameProfile::Clock::time_point lastLoadingFrame;
    FrameProfile profile;
};
