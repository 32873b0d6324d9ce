#include "Game/Game.h"

#include "Game/EventDispatcher.h"
#include "Game/Fonts.h"
#include "Game/Lights.h"
#include "Game/Scene.h"
#include "Game/Screenshot.h"
#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Graphics/FrameBuffer.h"
#include "Interface/Console.h"
#include "Interface/Draw2D.h"
#include "Interface/Interface.h"
#include "Interface/OptionsPage.h"
#include "Interface/StatsManager.h"
#include "Player/Player.h"
#include "Terrain/Terrain.h"
#include "Terrain/TerrainBlock.h"
#include "World/DatablockAnalyzer.h"
#include "Graphics/ShaderProgram.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <sstream>
#include <thread>

// Read by the framebuffer code to know how many colour attachments exist.
int maxColorAttachments = 0;

namespace {
const auto loadingFrameInterval = std::chrono::milliseconds(300);
const char* const settingsPath = "resources/config/settings.ini";
}

Game::Game(const std::string& title, StartupPhases::Clock::time_point launch)
    : phases(launch)
{
    using Clock = StartupPhases::Clock;
    // From launch: the members built before this body include SFML's shared
    // context, the first OpenGL context of the program.
    phases.begin(StartupPhases::Window, launch);
    Window& win = Window::getInstance();
    win.width = 800;
    win.height = 600;
    fpsClock.restart();

    interface = std::make_unique<Interface>();
    scene = std::make_unique<Scene>();

    settings = SettingsFile::read(settingsPath);
    // The X server truncates a size it cannot make, and the GL driver then
    // overruns its buffers: only sizes the screen can show are asked for.
    const sf::VideoMode screen = sf::VideoMode::getDesktopMode();
    settings.limitWindowSize(static_cast<int>(std::min(screen.width, 16384u)),
        static_cast<int>(std::min(screen.height, 16384u)));
    windowSettings.depthBits = settings.depthBits;
    windowSettings.stencilBits = settings.stencilBits;
    windowSettings.antialiasingLevel = settings.antialiasingLevel;
    win.fullscreen = settings.fullscreen;
    win.width = settings.windowedWidth;
    win.height = settings.windowedHeight;

    if (win.fullscreen) {
        sf::VideoMode mode(settings.fullscreenWidth, settings.fullscreenHeight, 32);
        // Sizes of 0 (or a mode the screen lacks) mean the desktop's own mode.
        if (!mode.isValid())
            mode = sf::VideoMode::getDesktopMode();
        window.create(mode, title, sf::Style::Fullscreen, windowSettings);
        window.setPosition({0, 0});
        win.width = static_cast<int>(mode.width);
        win.height = static_cast<int>(mode.height);
    } else {
        window.create(sf::VideoMode(win.width, win.height, 32), title,
            sf::Style::Titlebar | sf::Style::Resize | sf::Style::Close, windowSettings);
    }
    fullscreen = win.fullscreen;
    applySettings(settings);
    win.sfWindow = &window;

    GLenum glewStatus = glewInit();
    if (glewStatus != GLEW_OK) {
        std::cout << "Error Initializing GLEW!\n";
        std::cerr << "Error: " << glewGetErrorString(glewStatus) << "\n";
        ok = false;
    }
    if (ok) {
        if (!GLEW_ARB_vertex_buffer_object) {
            std::cout << "Error: This program requires graphics card support for ARB_vertex_buffer_object\n";
            ok = false;
        }
        if (!GLEW_EXT_texture3D) {
            std::cout << "Error: This program requires graphics card support for 3D textures!\n";
            ok = false;
        }
        if (!(GLEW_ARB_vertex_shader && GLEW_ARB_fragment_shader)) {
            std::cout << "Error: This program requires GLSL support!\n";
            ok = false;
        } else {
            std::cout << "GLSL: ready.\n";
        }
        std::cout << std::flush;
        glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS_EXT, &maxColorAttachments);
    }

    phases.end(StartupPhases::Window, Clock::now());

    phases.begin(StartupPhases::Fonts, Clock::now());
    if (Fonts::getInstance().hasError()) {
        std::cout << "Error: Could not initialize fonts!\n";
        ok = false;
    }
    phases.end(StartupPhases::Fonts, Clock::now());

    if (ok) {
        initGL();
        phases.begin(StartupPhases::Shaders, Clock::now());
        scene->setUpLoadingScreen();
        options = std::make_unique<OptionsPage>(*interface, settings, settingsPath,
            static_cast<int>(screen.width), static_cast<int>(screen.height),
            [this](const SettingsFile& changed) { applySettings(changed); });
        screenshot = std::make_unique<Screenshot>([this] { return captureFrame(); });
        phases.end(StartupPhases::Shaders, Clock::now(), false);
        loadingSteps = scene->loadingSteps();
        resize(win.width, win.height);
        std::srand(static_cast<unsigned>(std::time(nullptr)));
        updateClock.restart();
    }

    const GLubyte* version = glGetString(GL_VERSION);
    std::cout << "OpenGL Ver.: " << (version ? reinterpret_cast<const char*>(version) : "unknown") << "\n"
              << std::flush;
}

Game::~Game()
{
    Window::getInstance().sfWindow = nullptr;
}

void Game::initGL()
{
    const Camera& camera = Camera::getInstance();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_TEXTURE_3D);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(camera.fieldOfView, camera.aspect, camera.nearPlane, camera.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    const Window& win = Window::getInstance();
    glViewport(0, 0, win.width, win.height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
}

int Game::start()
{
    if (!ok)
        return 1;
    Window& win = Window::getInstance();
    int result = 0;
    try {
        state = 1;
        updateClock.restart();
        while (win.running)
            runFrame();
    } catch (const char* message) {
        std::cout << message << "\n";
        Console::getInstance().log("Unhandled exception in GAME::START()!");
        result = 1;
    } catch (const std::exception& error) {
        std::cout << error.what() << "\n";
        Console::getInstance().log("Unhandled exception in GAME::START()!");
        result = 1;
    } catch (...) {
        Console::getInstance().log("Unhandled exception in GAME::START()!");
        result = 1;
    }
    shutdown();
    return result;
}

void Game::runFrame()
{
    using Clock = FrameProfile::Clock;
    profile.begin(Clock::now());
    processEvents();
    profile.mark("events", Clock::now());
    if (interface->loading) {
        const bool frameDue = load();
        profile.mark("loading", Clock::now());
        if (!frameDue)
            return;
    }
    update();
    if (!playable && !interface->loading)
        phases.end(StartupPhases::Terrain, Clock::now());
    render();
    const std::string slowFrame = profile.end();
    StatsManager& stats = StatsManager::getInstance();
    if (playable) {
        if (!slowFrame.empty())
            std::cout << slowFrame << std::endl;
        stats.setStat("Worst frame ms, last 10 s", profile.worstRecentMs());
    } else if (!interface->loading) {
        const Clock::time_point shown = Clock::now();
        std::cout << phases.report(shown) << std::endl;
        stats.setStat("Start-up ms", static_cast<double>(phases.totalMs(shown)));
        playable = true;
    }
}

bool Game::load()
{
    using Clock = StartupPhases::Clock;
    // The loading screen comes first.
    if (lastLoadingFrame == Clock::time_point())
        return true;
    // The terrain exists from the first step on.
    if (scene->terrain)
        phases.setFraction(StartupPhases::Terrain, scene->terrain->progress() / 100.0);
    if (nextStep < loadingSteps.size()) {
        const Scene::LoadingStep& step = loadingSteps[nextStep++];
        const bool lastOfPhase = std::none_of(loadingSteps.begin() + nextStep, loadingSteps.end(),
            [&step](const Scene::LoadingStep& later) { return later.phase == step.phase; });
        phases.begin(step.phase, Clock::now());
        step.run();
        // The terrain's phase ends with its thread's first pass.
        if (step.phase != StartupPhases::Terrain)
            phases.end(step.phase, Clock::now(), lastOfPhase);
    } else {
        if (scene->terrain->passDone())
            return true;
        // Only the terrain's thread is at work.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // A loading frame costs a software rasteriser a good part of the time
    // the steps take, and takes the processor from the terrain's thread: a
    // few a second show the bar moving.
    return Clock::now() - lastLoadingFrame >= loadingFrameInterval;
}

void Game::applySettings(const SettingsFile& changed)
{
    window.setFramerateLimit(changed.framerateLimit > 0 ? changed.framerateLimit : 0);
    scene->applySettings(changed);
}

void Game::shutdown()
{
    scene.reset();
    window.close();
}

void Game::processEvents()
{
    sf::Event event;
    while (window.pollEvent(event)) {
        switch (event.type) {
        case sf::Event::Closed:
            Window::getInstance().running = false;
            break;
        case sf::Event::Resized:
            resize(static_cast<int>(event.size.width), static_cast<int>(event.size.height));
            break;
        case sf::Event::LostFocus:
            EventDispatcher::getInstance().notifyFocus(false);
            // The focus may move while the window first maps (it does under a
            // bare X server); the pointer is the player's to free only once
            // the world shows.
            if (!interface->loading)
                scene->captureMouse = false;
            break;
        case sf::Event::GainedFocus:
            EventDispatcher::getInstance().notifyFocus(true);
            break;
        case sf::Event::KeyPressed:
            keyPressed(event.key);
            break;
        case sf::Event::KeyReleased:
            if (!interface->loading)
                scene->player->onKeyReleased(event.key.code);
            break;
        case sf::Event::MouseWheelMoved:
            if (!interface->loading && !interface->menuOpen)
                scene->player->onWheel(event.mouseWheel.delta);
            break;
        case sf::Event::MouseButtonPressed:
            leftHeld = event.mouseButton.button == sf::Mouse::Left;
            rightHeld = event.mouseButton.button == sf::Mouse::Right;
            lastDragX = event.mouseButton.x;
            lastDragY = event.mouseButton.y;
            mouseButton(event.mouseButton.button, event.mouseButton.x,
                Window::getInstance().height - event.mouseButton.y, true);
            break;
        case sf::Event::MouseButtonReleased:
            lastMouseX = event.mouseButton.x;
            lastMouseY = event.mouseButton.y;
            leftHeld = rightHeld = false;
            mouseButton(event.mouseButton.button, event.mouseButton.x,
                Window::getInstance().height - event.mouseButton.y, false);
            break;
        case sf::Event::MouseMoved:
            if (leftHeld || rightHeld)
                dragMotion(event.mouseMove.x, event.mouseMove.y);
            else
                freeMotion(event.mouseMove.x, event.mouseMove.y);
            break;
        default:
            break;
        }
    }
}

void Game::keyPressed(const sf::Event::KeyEvent& key)
{
    if (!Console::getInstance().keyPressed(key.code, key.shift) && !interface->loading
        && !interface->keyPressed(key.code, key.shift)) {
        scene->player->onKeyPressed(key.code);
        if (key.control && (key.code == sf::Keyboard::Z || key.code == sf::Keyboard::Y)) {
            // The same steps as the console's commands, told on standard output.
            const bool redo = key.code == sf::Keyboard::Y || key.shift;
            std::cout << Console::getInstance().runCommand({ redo ? "redo" : "undo" }) << std::endl;
        } else if (key.code == sf::Keyboard::F) {
            scene->captureMouse = !scene->captureMouse;
        } else if (key.code == sf::Keyboard::PageUp) {
            Lights* lights = Lights::getInstance();
            lights->setLight2(!lights->light2On);
        } else if (key.code == sf::Keyboard::PageDown) {
            Lights* lights = Lights::getInstance();
            lights->setLight0(!lights->light0On);
        } else if (key.code == sf::Keyboard::F4) {
            const TerrainBlock* first = scene->terrain->firstTerrainBlock();
            scene->terrain->setWireframe(first ? !first->wireframe : true);
        }
    }
    if (key.code == sf::Keyboard::F12)
        showFps = !showFps;
}

void Game::mouseButton(sf::Mouse::Button button, int x, int y, bool pressed)
{
    if (!interface->loading && !interface->mouseButton(button, x, y, pressed))
        scene->player->onMouseButton(button, pressed);
}

bool Game::warpEcho(int x, int y)
{
    const Window& win = Window::getInstance();
    if (warpEchoes == 0 || x != win.width / 2 || y != win.height / 2)
        return false;
    --warpEchoes;
    lastMouseX = lastDragX = x;
    lastMouseY = lastDragY = y;
    return true;
}

void Game::freeMotion(int x, int y)
{
    if (warpEcho(x, y))
        return;
    const Window& win = Window::getInstance();
    if (!interface->loading && !interface->mouseMoved(x, win.height - y) && win.mouseMode == 1)
        scene->player->onMouseMotion(x, win.height - y, x - lastMouseX, lastMouseY - y);
    lastMouseX = x;
    lastMouseY = y;
}

void Game::dragMotion(int x, int y)
{
    if (warpEcho(x, y))
        return;
    const Window& win = Window::getInstance();
    if (!interface->loading && !interface->mouseDragged(x, win.height - y) && win.mouseMode == 1)
        scene->player->onMouseMotion(x - lastDragX, lastDragY - y);
    lastDragX = x;
    lastDragY = y;
}

void Game::update()
{
    Window& win = Window::getInstance();
    // The scene exists once every start-up step has run.
    if (nextStep == loadingSteps.size() && updateClock.getElapsedTime().asSeconds() > 0.016666666666666666) {
        scene->update(updateClock.restart().asSeconds(), profile);
    }

    if (win.mouseMode == 1) {
        // Motions still queued happened before this move and are measured
        // from the last position seen; the move's own motion event, met at
        // the centre, only puts that position back there.
        const sf::Vector2i centre(win.width / 2, win.height / 2);
        const sf::Vector2i pointer = sf::Mouse::getPosition(window);
        // The last position seen may be long out of date when the capture
        // begins: the window may have moved under a resting pointer, or the
        // pointer left it, without a motion event.
        if (!pointerHeld) {
            lastMouseX = lastDragX = pointer.x;
            lastMouseY = lastDragY = pointer.y;
            warpEchoes = 0;
            pointerHeld = true;
        }
        if (pointer != centre) {
            sf::Mouse::setPosition(centre, window);
            ++warpEchoes;
        }
        window.setMouseCursorVisible(false);
    } else {
        pointerHeld = false;
        window.setMouseCursorVisible(true);
    }

    const float elapsed = fpsClock.getElapsedTime().asSeconds();
    if (elapsed > 1.0f) {
        fps = frameCount / elapsed;
        frameCount = 0;
        fpsClock.restart();
    }
}

void Game::render()
{
    drawFrame(true);
    ++frameCount;
    window.display();
    profile.mark("swap", FrameProfile::Clock::now());
    if (interface->loading) {
        if (lastLoadingFrame == FrameProfile::Clock::time_point())
            phases.firstFrameShown(FrameProfile::Clock::now());
        lastLoadingFrame = FrameProfile::Clock::now();
    }
}

sf::Image Game::captureFrame()
{
    drawFrame(false);
    const sf::Vector2u size = window.getSize();
    sf::Image image;
    image.create(size.x, size.y, readImagePixels(static_cast<int>(size.x), static_cast<int>(size.y)).data());
    return image;
}

void Game::drawFrame(bool withConsole)
{
    const Window& win = Window::getInstance();
    glClearColor(static_cast<float>(win.clearColor[0]), static_cast<float>(win.clearColor[1]),
        static_cast<float>(win.clearColor[2]), 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    profile.mark("render clear", FrameProfile::Clock::now());
    glPushMatrix();
    scene->render3D(profile);
    glPopMatrix();

    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    const sf::Vector2u size = window.getSize();
    gluOrtho2D(0, size.x, 0, size.y);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindTexture(GL_TEXTURE_3D, 0);
    glBindTexture(GL_TEXTURE_2D_ARRAY_EXT, 0);

    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(0, 0);
    if (showFps) {
        std::ostringstream text;
        text << "FPS: " << fps;
        fpsText = text.str();
        Draw2D().drawLabel(fpsText, 10, 10, { 1.0f, 1.0f, 1.0f, 1.0f });
    }

    // The basic program samples unit 0, where FTGL binds its glyphs.
    glActiveTexture(GL_TEXTURE0);
    drawOverlay(withConsole);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glEnable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    profile.mark("render overlay", FrameProfile::Clock::now());
}

void Game::drawOverlay(bool withConsole)
{
    basic->use();
    glEnable(GL_TEXTURE_2D);
    interface->draw(phases.percent());
    if (!interface->menuOpen && !interface->loading) {
        const Window& win = Window::getInstance();
        const int cx = win.width / 2;
        const int cy = win.height / 2;
        glDisable(GL_TEXTURE_2D);
        glBegin(GL_LINES);
        glVertex2i(cx - 10, cy);
        glVertex2i(cx + 10, cy);
        glVertex2i(cx, cy - 10);
        glVertex2i(cx, cy + 10);
        glEnd();
        glEnable(GL_TEXTURE_2D);
    }
    basic->use();
    StatsManager::getInstance().draw();
    // The open console goes over everything else, so that its replies stay readable.
    Console& console = Console::getInstance();
    if (withConsole && console.isOpen())
        console.draw();
    // The world and its generator are made behind the loading screen.
    if (!interface->loading && !DatablockAnalyzer::getInstance())
        std::cout << "WARNING: DatablockAnalyzer InstancePointer is NULL!\n";
}

void Game::resize(int width, int height)
{
    // The window reports the size it was opened with as a resize.
    if (width == appliedWidth && height == appliedHeight)
        return;
    appliedWidth = width;
    appliedHeight = height;
    Camera& camera = Camera::getInstance();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A minimised window reports a height of 0.
    camera.aspect = static_cast<double>(width) / std::max(height, 1);
    gluPerspective(camera.fieldOfView, camera.aspect, camera.nearPlane, camera.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, width, height);
    EventDispatcher::getInstance().notifyResize(width, height);
    interface->resize(width, height);
    Console::getInstance().resize(width, height);
}
