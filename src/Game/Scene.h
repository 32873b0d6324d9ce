#pragma once

#include "Game/FrameProfile.h"
#include "Game/StartupPhases.h"

#include <functional>
#include <memory>
#include <vector>

namespace sf {
class Music;
}
class Camera;
class DataManagerWorld;
class Interface;
class Lights;
class Player;
struct SettingsFile;
class SkyDome;
class Terrain;
class TerrainDataManager;
class TerrainRenderer;

// The objects of the running world, owned by the Game: created during start-up,
// updated and drawn by the main loop, destroyed at shutdown. Main thread only.
class Scene {
public:
    Scene();
    ~Scene();

    // One piece of start-up, run between two frames of the loading screen.
    struct LoadingStep
    {
        StartupPhases::Phase phase;
        std::function<void()> run;
    };

    // What the loading screen needs: lights, the shared programs and the
    // menus, with the loading flag set.
    void setUpLoadingScreen();
    // The rest, in order: the world with the terrain's thread first, so that
    // its first pass overlaps everything else, then sounds, programs, models
    // and textures.
    std::vector<LoadingStep> loadingSteps();
    // Steps of the update and the render are marked in the profile.
    void update(double dt, FrameProfile& profile);
    void render3D(FrameProfile& profile);
    // The mouse sensitivity and the music of the settings, at once; music
    // asked for before it is loaded starts once it is.
    void applySettings(const SettingsFile& settings);

    std::unique_ptr<Camera> camera;
    std::unique_ptr<Lights> lights;
    std::unique_ptr<SkyDome> skydome;
    // The Game's interface, which exists before the scene.
    Interface* interface;
    bool captureMouse = true;
    // Null until loaded, and when its file could not be opened.
    std::unique_ptr<sf::Music> music;
    // The viewer's position, read by the terrain data manager.
    double viewerPosition[3] = {0.0, 0.0, 0.0};
    // Destroyed first at shutdown, once the terrain that reads it has
    // stopped: it saves the world file and every modified block while the
    // rest of the scene still exists.
    std::unique_ptr<TerrainDataManager> dataManager;
    // The meshed world around the viewer and its update thread, reading the
    // data manager through terrainWorld; stopped and freed before the data
    // manager goes.
    std::unique_ptr<DataManagerWorld> terrainWorld;
    std::unique_ptr<Terrain> terrain;
    // Draws the terrain's cells, grass, water and models; goes before the
    // terrain, whose command it answers.
    std::unique_ptr<TerrainRenderer> terrainRenderer;
    // The user's body and tools; the camera follows it.
    std::unique_ptr<Player> player;

private:
    void playMusic();
    // Puts the camera at the viewer position, upright on the planet.
    void placeCamera();
    // The viewer position the data manager and the terrain follow: the player's.
    void followPlayer();

    bool musicOn = false;
    float musicVolume = 40.0f;
};
