#include "Player/Player.h"

#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Graphics/Rotation.h"
#include "Interface/Button.h"
#include "Interface/ComponentContainer.h"
#include "Interface/Interface.h"
#include "Interface/TextField.h"
#include "Player/BasicDigTool.h"
#include "Player/InfoTool.h"
#include "Player/PlayerCommands.h"
#include "Player/PowerDigTool.h"
#include "Player/SphereDigTool.h"
#include "Player/TerrainGround.h"
#include "Player/TexturePaintTool.h"
#include "Player/VoxelRayTool.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

const char* const helpTextLines
    = "Use mouse scroll wheel to change between tools. \n"
      "          Press F5 to go into free flight - note, you won't be affected by "
      "gravity or orientation! \n"
      "          Press ~ to bring up console. Type 'help' in console to see commands. \n";

// How far the head looks ahead of a step for a wall or a ceiling.
constexpr double headProbe = 0.5;
// Clearance above the head that a jump needs.
constexpr double headRoom = 0.15;
// How far below the feet the ground is felt.
constexpr double footProbe = 0.1;

Interface& interfaceOrThrow()
{
    Interface* ui = Interface::getInstance();
    if (!ui)
        throw "FATAL EXCEPTION: INTERFACE INSTANCED BEFORE INITED!";
    return *ui;
}

// The orientation whose up is `up` and whose forward is `forward` laid flat on
// the plane across it.
Orientation uprightAlong(const Vector3& forward, const Vector3& up)
{
    const Vector3 right = forward.normalise().cross(up).normalise();
    return Orientation::fromAxes(up.cross(right).normalise(), up, right);
}

} // namespace

Player::Player()
    : Player(std::make_unique<TerrainGround>(TerrainDataManager::getInstance()))
{
    TerrainDataManager& manager = TerrainDataManager::getInstance();
    edits = &manager.editHistory();
    commands = std::make_unique<PlayerCommands>(*this, manager);
}

Player::Player(std::unique_ptr<Ground> walkedGround)
    : camera(Camera::getInstance())
    , ground(std::move(walkedGround))
    , position(camera.eye)
    , orientation(camera.orientation)
    , toolOrigin(camera.eye)
{
    if (const Planet* planet = Planet::getInstance()) {
        const Vector3 up = planet->upAt(position);
        const Vector3 tilted = rotateY(rotateX(up, 20.0), 20.0);
        const Vector3 right = up.cross(tilted);
        orientation = Orientation::fromAxes(up.cross(right), up, right);
        camera.set(camera.eye, orientation);
    }
    toolDirection = camera.lookDirection();

    tools.push_back(std::make_unique<BasicDigTool>(&toolOrigin, &toolDirection));
    tools.push_back(std::make_unique<PowerDigTool>(&toolOrigin, &toolDirection));
    tools.push_back(std::make_unique<VoxelRayTool>(&toolOrigin, &toolDirection));
    tools.push_back(std::make_unique<InfoTool>(&toolOrigin, &toolDirection));
    auto paint = std::make_unique<TexturePaintTool>(&toolOrigin, &toolDirection);
    paintTool = paint.get();
    tools.push_back(std::move(paint));
    tools.push_back(std::make_unique<SphereDigTool>(&toolOrigin, &toolDirection));

    Interface& ui = interfaceOrThrow();
    toolDisplay
        = std::make_unique<TextField>("PLAYER_TOOL_DISPLAY", "Current Tool:" + tools[0]->name(), false);
    ui.addComponent(toolDisplay.get(), Interface::TopRow);
    heightDisplay = std::make_unique<TextField>("PLAYER_HEIGHT_DISPLAY", "", false);
    showHeight("");
    ui.addComponent(heightDisplay.get(), Interface::BottomRow);
    hint = std::make_unique<TextField>("PLAYER_HINT", "Press ESC for menu, F to free mouse", false);
    ui.addComponent(hint.get(), Interface::TopRow);
    helpButton = std::make_unique<Button>("PLAYER_HELP_BTN", "Help");
    helpButton->setCallback([this](Button& button) { toggleHelp(button); });
    ui.addComponent(helpButton.get(), Interface::TopRow);

    helpText = std::make_unique<TextField>("PLAYER_HELP_TEXT", helpTextLines, false);
    helpWindow = std::make_unique<ComponentContainer>("PLAYER_HELP_WIN", "Help");
    helpWindow->setFirst(helpText.get());
    helpWindow->setPosition(200, 200);
    helpWindow->setSize(500, 140);
    helpWindow->setVisible(false);
    ui.addWindow(helpWindow.get());
}

Player::~Player() = default;

void Player::update(double dt)
{
    updateTool(dt);
    step(dt);
    showHeight(" m");
}

void Player::drawTools()
{
    for (const auto& tool : tools)
        tool->draw();
}

void Player::updateTool(double dt)
{
    if (currentTool >= tools.size())
        return;
    Tool& tool = *tools[currentTool];
    tool.timer += dt;
    if (tool.isActive() && tool.timer >= 1.0 / tool.rate) {
        tool.apply();
        tool.timer = 0.0;
    }
}

void Player::onMouseButton(int button, bool pressed)
{
    if (currentTool >= tools.size())
        return;
    if (button == 0 && edits) {
        if (pressed)
            edits->beginStroke();
        else
            edits->endStroke();
    }
    if (button == 0)
        tools[currentTool]->setActive(pressed);
    else if (button == 1 && pressed)
        tools[currentTool]->secondaryAction();
}

void Player::onMouseMotion(int x, int y, int dx, int dy)
{
    look(dx, dy);
    lastMouseX = x;
    lastMouseY = y;
}

void Player::onMouseMotion(int dx, int dy)
{
    look(dx, dy);
}

void Player::look(int dx, int dy)
{
    camera.yaw(dx);
    camera.pitch(dy);
    orientation = camera.orientation;
}

void Player::onWheel(int delta)
{
    const int count = static_cast<int>(tools.size());
    if (delta == 0 || count == 0)
        return;
    // One notch steps to the neighbour and wraps at the ends; a fast wheel
    // that reports several notches at once wraps the same way.
    const int next = ((static_cast<int>(currentTool) + delta) % count + count) % count;
    // The held button belongs to the tool in hand: the one put away stops
    // (and falls silent) and the new one takes over.
    Tool& previous = *tools[currentTool];
    const bool held = previous.isActive();
    previous.setActive(false);
    currentTool = static_cast<unsigned int>(next);
    tools[currentTool]->setActive(held);
    toolDisplay->setText("Left Hand Tool:" + tools[currentTool]->name());
    // The text changed width: its neighbours on the top row move aside.
    if (Interface* ui = Interface::getInstance())
        ui->resize(Window::getInstance().width, Window::getInstance().height);
}

void Player::onKeyPressed(sf::Keyboard::Key key)
{
    switch (key) {
    case sf::Keyboard::W:
        forwardInput = 1;
        break;
    case sf::Keyboard::S:
        forwardInput = -1;
        break;
    case sf::Keyboard::D:
        strafeInput = 1;
        break;
    case sf::Keyboard::A:
        strafeInput = -1;
        break;
    case sf::Keyboard::LShift:
        speed = runSpeed;
        break;
    case sf::Keyboard::Space:
        if (!jumping && !freeFlight) {
            verticalSpeed = -jumpSpeed;
            jumping = true;
        }
        break;
    case sf::Keyboard::F5:
        freeFlight = !freeFlight;
        break;
    case sf::Keyboard::Num0:
    case sf::Keyboard::Numpad0:
        paintTool->paintMaterial = 1;
        break;
    case sf::Keyboard::Num1:
    case sf::Keyboard::Numpad1:
        paintTool->paintMaterial = 3;
        break;
    case sf::Keyboard::Num2:
    case sf::Keyboard::Numpad2:
        paintTool->paintMaterial = 2;
        break;
    case sf::Keyboard::Num3:
    case sf::Keyboard::Numpad3:
        paintTool->paintMaterial = 5;
        break;
    default:
        break;
    }
}

void Player::onKeyReleased(sf::Keyboard::Key key)
{
    switch (key) {
    case sf::Keyboard::W:
    case sf::Keyboard::S:
        forwardInput = 0;
        break;
    case sf::Keyboard::A:
    case sf::Keyboard::D:
        strafeInput = 0;
        break;
    case sf::Keyboard::LShift:
        speed = walkSpeed;
        break;
    default:
        break;
    }
}

void Player::moveTo(const Vector3& p)
{
    position = p;
    verticalSpeed = 0.0;
    jumping = false;
    const Planet* planet = Planet::getInstance();
    if (planet && !freeFlight)
        orientation = uprightAlong(orientation.forward, planet->upAt(position));
    camera.set(position + (planet ? planet->upAt(position) : orientation.up) * eyeHeight, orientation);
    toolOrigin = camera.eye;
}

void Player::step(double dt)
{
    if (freeFlight)
        fly(dt);
    else
        walk(dt);
}

void Player::walk(double dt)
{
    const Planet* planet = Planet::getInstance();
    if (!planet)
        return;
    const Vector3 head = position + planet->upAt(position) * eyeHeight;

    if (forwardInput != 0 || strafeInput != 0) {
        const Vector3 wanted = orientation.forward * (forwardInput * speed * dt)
            + orientation.right * (strafeInput * speed * dt);
        // A diagonal step is as long as a straight one.
        const Vector3 move = wanted.normalise() * (speed * dt);
        const Vector3 feet = ground->pushOutOfGround(position, position + move);
        // The head looks half a unit further ahead; if it is pushed aside
        // (a wall or an overhang), the body follows the head's way around.
        const Vector3 ahead = move.normalise();
        const Vector3 headAt
            = ground->pushOutOfGround(head, head + move + ahead * headProbe) - ahead * headProbe;
        if ((headAt - (head + move)).length() > static_cast<double>(1e-4f))
            position = ground->pushOutOfGround(position, position + (headAt - head));
        else
            position = feet;
        orientation = uprightAlong(orientation.forward, planet->upAt(position));
    }

    const Vector3 up = planet->upAt(position);
    // In the air, or leaving the ground in a jump; otherwise standing.
    if (inAirAt(*planet, position) || verticalSpeed < 0.0) {
        verticalSpeed = std::min(verticalSpeed + planet->gravity() * dt, terminalSpeed);
        const Vector3 next = position - up * (verticalSpeed * dt);
        if (verticalSpeed >= 0.0) {
            if (ground->sampleDensity(next) >= 0.0) {
                position = ground->pushOutOfGround(position, next);
                inAir = false;
                verticalSpeed = 0.0;
            } else {
                position = next;
                inAir = true;
            }
        } else if (ground->sampleDensity(next + up * (eyeHeight + headRoom)) >= 0.0) {
            // The head would hit the rock above: the jump ends here.
            verticalSpeed = 0.0;
        } else {
            position = next;
            inAir = true;
        }
    } else {
        verticalSpeed = 0.0;
        jumping = false;
        inAir = false;
    }

    camera.set(position + up * eyeHeight, orientation);
    toolOrigin = camera.eye;
    toolDirection = camera.lookDirection();
}

void Player::fly(double dt)
{
    const Vector3 look = camera.lookDirection();
    position
        += look * (forwardInput * 2.0 * speed * dt) + orientation.right * (strafeInput * 2.0 * speed * dt);
    const Planet* planet = Planet::getInstance();
    const Vector3 up = planet ? planet->upAt(position) : orientation.up;
    camera.set(position + up * eyeHeight, orientation);
    toolOrigin = camera.eye;
    // Tools aim where the flyer looks.
    toolDirection = look;
}

bool Player::inAirAt(const Planet& planet, const Vector3& p)
{
    return ground->sampleDensity(p - planet.upAt(p) * footProbe) < 0.0;
}

void Player::showHeight(const std::string& unit)
{
    const Planet* planet = Planet::getInstance();
    if (!planet)
        return;
    const double height = (position - planet->centre).length() - planet->radius;
    std::ostringstream text;
    text << "Height:" << std::trunc(height * 100.0) / 100.0 << unit;
    heightDisplay->setText(text.str());
}

void Player::toggleHelp(Button& button)
{
    if (button.getName() != "PLAYER_HELP_BTN" || button.getState() != Button::Held)
        return;
    Interface* ui = Interface::getInstance();
    if (!ui)
        return;
    if (auto* window = dynamic_cast<ComponentContainer*>(ui->findComponent("PLAYER_HELP_WIN")))
        window->setVisible(!window->isVisible());
}
