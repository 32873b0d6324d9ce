#pragma once

#include "Game/EventListener.h"

#include <atomic>

namespace sf {
class Window;
}

// What the program knows about its one window: size, mode and whether the main
// loop keeps running. Not the SFML window itself. Fields are read and written
// directly by their users on the main thread; `running` is atomic because the
// terrain data manager and the worker threads read it too.
class Window : public EventListener {
public:
    static Window& getInstance();

    // Stores the colour only when no component is negative; always returns the
    // stored colour, so (-1, -1, -1) only reads it.
    const double* setClearColor(double r, double g, double b);

    void onResize(int newWidth, int newHeight) override;
    void onFocus(bool gained) override;

    sf::Window* sfWindow = nullptr;
    // 1: pointer captured (hidden, re-centred every update); 0: free and shown.
    int mouseMode = 0;
    double clearColor[3] = {0.0, 0.0, 0.0};
    bool fullscreen = false;
    int width = 800;
    int height = 600;
    std::atomic<bool> running{true};

private:
    Window();
};
