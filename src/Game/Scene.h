#pragma once

#include <memory>

namespace sf {
class Music;
}
class Camera;
class Interface;
class Lights;

// The objects of the running world, owned by the Game: created during start-up,
// updated and drawn by the main loop, destroyed at shutdown. Main thread only.
class Scene {
public:
    Scene();
    ~Scene();

    // Lights, shared programs, menus, music and the world, in start-up order.
    void setUp();
    void update(double dt);
    void render3D();

    std::unique_ptr<Camera> camera;
    std::unique_ptr<Lights> lights;
    // The Game's interface, which exists before the scene.
    Interface* interface;
    bool captureMouse = true;
    std::unique_ptr<sf::Music> music;
    // The viewer's position, read by the terrain data manager.
    double viewerPosition[3] = {0.0, 0.0, 0.0};
};
