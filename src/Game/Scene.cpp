#include "Game/Scene.h"

#include "Game/Lights.h"
#include "Game/ResourcePath.h"
#include "Game/SettingsFile.h"
#include "Game/Window.h"
#include "Graphics/BufferPool.h"
#include "Graphics/Camera.h"
#include "Graphics/DebugShapes.h"
#include "Graphics/ShaderProgram.h"
#include "Graphics/SkyDome.h"
#include "Graphics/Textures.h"
#include "Interface/Interface.h"
#include "Player/Player.h"
#include "Terrain/DataManagerWorld.h"
#include "Terrain/FarTerrain.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainRenderer.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"

#include <GL/glew.h>
#include <SFML/Audio/Music.hpp>

#include <iostream>

Scene::Scene()
    : camera(std::make_unique<Camera>())
    , lights(std::make_unique<Lights>())
    , interface(Interface::getInstance())
{
    if (!interface)
        throw "FATAL EXCEPTION: INTERFACE INSTANCED BEFORE INITED!";
    Window::getInstance().mouseMode = 0;
}

Scene::~Scene()
{
    terrainRenderer.reset();
    terrain.reset();
    terrainWorld.reset();
    dataManager.reset();
}

void Scene::setUpLoadingScreen()
{
    lights->configure();
    createSharedPrograms();
    interface->buildMenus();
    interface->addAboutPages();
    interface->loading = true;
    Window::getInstance().setClearColor(1.0, 1.0, 1.0);
}

std::vector<Scene::LoadingStep> Scene::loadingSteps()
{
    return {
        { StartupPhases::Terrain,
            [this] {
                // Decoded on a thread of their own while the rest loads.
                prefetchImages(TerrainRenderer::imageFiles());
                const Vector3& eye = camera->eye;
                viewerPosition[0] = eye.x;
                viewerPosition[1] = eye.y;
                viewerPosition[2] = eye.z;
                dataManager = std::make_unique<TerrainDataManager>(
                    viewerPosition, "Test-20DBSIZE-500m-radius-Map-3", 13, 14, TerrainDataManager::GAME_CAPACITY);
                placeCamera();
                // The player stands where the camera was placed, so the
                // terrain can start around that point before the player exists.
                terrainWorld = std::make_unique<DataManagerWorld>(*dataManager);
                terrain = std::make_unique<Terrain>(*terrainWorld, camera->eye);
                terrain->setFarLevel(std::make_unique<FarTerrain>(*dataManager));
                terrain->launch();
            } },
        { StartupPhases::Sounds,
            [this] {
                player = std::make_unique<Player>();
                followPlayer();
                music = std::make_unique<sf::Music>();
                if (!music->openFromFile(resourcePath("resources/music/mainmusic.ogg"))) {
                    std::cout << "Error opening background music!\n";
                    music.reset();
                } else {
                    music->setLoop(true);
                    playMusic();
                }
            } },
        { StartupPhases::Shaders,
            [this] {
                skydome = std::make_unique<SkyDome>(15.0f, 15.0f);
                terrainRenderer = std::make_unique<TerrainRenderer>(
                    *terrain, TerrainRenderer::dataManagerGround(), TerrainRenderer::loadLater);
                terrainRenderer->loadPrograms();
            } },
        { StartupPhases::Models, [this] { terrainRenderer->loadModels(); } },
        { StartupPhases::Textures,
            [this] {
                terrainRenderer->loadTextures();
                glFogi(GL_FOG_MODE, GL_LINEAR);
                glFogf(GL_FOG_START, 180.0f);
                glFogf(GL_FOG_END, 240.0f);
                const float fogColour[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
                glFogfv(GL_FOG_COLOR, fogColour);
                glFogi(GL_FOG_COORD_SRC, GL_FRAGMENT_DEPTH);
                glColor3f(1.0f, 1.0f, 1.0f);
                glBindTexture(GL_TEXTURE_3D, 0);
                glBindTexture(GL_TEXTURE_2D, 0);
            } },
    };
}

void Scene::applySettings(const SettingsFile& settings)
{
    camera->mouseSensitivity = settings.mouseSensitivity;
    musicOn = settings.music;
    musicVolume = static_cast<float>(settings.musicVolume);
    if (music)
        playMusic();
}

void Scene::playMusic()
{
    music->setVolume(musicVolume);
    if (!musicOn)
        music->stop();
    else if (music->getStatus() != sf::Music::Playing)
        music->play();
}

void Scene::placeCamera()
{
    const Vector3 position{viewerPosition[0], viewerPosition[1], viewerPosition[2]};
    camera->set(position, Planet::orientationForUp(Planet::getInstance()->upAt(position)));
}

void Scene::update(double dt, FrameProfile& profile)
{
    using Clock = FrameProfile::Clock;
    BufferPool::getInstance().service();
    dataManager->rethrowFailure();
    terrain->rethrowFailure();
    if (terrain->passDone())
        interface->loading = false;
    profile.mark("update pool", Clock::now());
    const bool paused = interface->update(dt);
    profile.mark("update interface", Clock::now());
    if (paused) {
        Window::getInstance().mouseMode = 0;
        return;
    }
    Window::getInstance().mouseMode = captureMouse ? 1 : 0;
    camera->update(dt);
    profile.mark("update camera", Clock::now());
    terrain->update(dt);
    profile.mark("update terrain", Clock::now());
    player->update(dt);
    // The tools' edits go to the edit worker at once, to be meshed while this frame renders.
    terrain->queueEdits();
    profile.mark("update player", Clock::now());

    Planet* planet = Planet::getInstance();
    if (planet)
        planet->update(dt);
    followPlayer();
    terrain->setViewerPosition(player->getPosition());
    profile.mark("update planet", Clock::now());
}

void Scene::followPlayer()
{
    const Vector3& feet = player->getPosition();
    viewerPosition[0] = feet.x;
    viewerPosition[1] = feet.y;
    viewerPosition[2] = feet.z;
}

void Scene::render3D(FrameProfile& profile)
{
    using Clock = FrameProfile::Clock;
    if (interface->menuOpen || interface->loading)
        return;
    glDisable(GL_FOG);
    camera->applyView();
    lights->position();
    skydome->render(camera->lookDirection());
    profile.mark("render sky", Clock::now());
    terrainRenderer->render();
    profile.mark("render terrain", Clock::now());
    player->drawTools();
    DebugShapes::getInstance().drawAll();
    profile.mark("render tools", Clock::now());
}
