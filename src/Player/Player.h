#pragma once

#include "Graphics/Orientation.h"
#include "Graphics/Vector3.h"

#include <SFML/Window/Keyboard.hpp>
#include <memory>
#include <string>
#include <vector>

class Button;
class Camera;
class ComponentContainer;
class EditHistory;
class Ground;
class Planet;
class PlayerCommands;
class TextField;
class TexturePaintTool;
class Tool;

// The user's body: walks on the planet's ground (W, A, S, D, Left Shift to
// run, Space to jump), falls toward the planet's centre, stands upright as the
// ground curves, flies freely with F5, and holds six tools switched with the
// wheel and fired with the left button; in the game each press and hold of
// the button is one stroke of the data manager's edit history, which the
// console's "undo" and "redo" take back and bring again. After every step it
// places the camera at its eye. It keeps the tool and height texts, a hint and a help window on
// the interface.
//
// Created by the scene after the camera, the terrain data manager and the
// planet. Main thread only.
class Player
{
public:
    // Walks on the terrain data manager's ground, records strokes in its edit
    // history and answers the commands of PlayerCommands. Throws when the
    // camera, the data manager or the interface does not exist yet.
    Player();
    // Walks on the given ground.
    explicit Player(std::unique_ptr<Ground> ground);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Tool timing, then a walking or flying step, then the height text.
    void update(double dt);
    // Every tool shows what it shows, current or not.
    void drawTools();

    // button 0 left (fires the current tool while held), 1 right.
    void onMouseButton(int button, bool pressed);
    // Looking around with the pointer captured; dy positive upwards, (x, y)
    // from the window's bottom left.
    void onMouseMotion(int x, int y, int dx, int dy);
    // Looking around while a button is held.
    void onMouseMotion(int dx, int dy);
    // Positive turns to the next tool, wrapping at both ends.
    void onWheel(int delta);
    void onKeyPressed(sf::Keyboard::Key key);
    void onKeyReleased(sf::Keyboard::Key key);
    // Puts the feet at p, at rest, with the camera at the eye above.
    void moveTo(const Vector3& p);

    const Vector3& getPosition() const { return position; }
    const Orientation& getOrientation() const { return orientation; }
    // Toward the planet's centre; negative while rising.
    double getVerticalSpeed() const { return verticalSpeed; }
    bool isJumping() const { return jumping; }
    bool isInAir() const { return inAir; }
    bool isFreeFlight() const { return freeFlight; }
    double getSpeed() const { return speed; }
    unsigned int getCurrentTool() const { return currentTool; }
    std::size_t toolCount() const { return tools.size(); }
    Tool& getTool(std::size_t index) const { return *tools.at(index); }
    // Where the tools aim from (the eye) and along.
    const Vector3& getToolOrigin() const { return toolOrigin; }
    const Vector3& getToolDirection() const { return toolDirection; }

    // The pointer as last reported with a look motion; read by model picking.
    int lastMouseX = 0;
    int lastMouseY = 0;

    const double eyeHeight = 1.8;
    const double walkSpeed = 2.0;
    const double runSpeed = 4.0;
    static constexpr double jumpSpeed = 5.0;
    static constexpr double terminalSpeed = 20.0;

private:
    void updateTool(double dt);
    void step(double dt);
    void walk(double dt);
    void fly(double dt);
    void look(int dx, int dy);
    bool inAirAt(const Planet& planet, const Vector3& p);
    void showHeight(const std::string& unit);
    void toggleHelp(Button& button);

    Camera& camera;
    std::unique_ptr<Ground> ground;
    Vector3 position;
    Orientation orientation;
    Vector3 toolDirection;
    Vector3 toolOrigin;
    int forwardInput = 0;
    int strafeInput = 0;
    double verticalSpeed = 0.0;
    bool jumping = false;
    bool inAir = false;
    bool freeFlight = false;
    std::vector<std::unique_ptr<Tool>> tools;
    TexturePaintTool* paintTool = nullptr;
    unsigned int currentTool = 0;
    double speed = walkSpeed;

    // The data manager's, which outlives the player only up to the scene's
    // end: used while the game runs, never at destruction.
    EditHistory* edits = nullptr;
    std::unique_ptr<PlayerCommands> commands;

    std::unique_ptr<TextField> toolDisplay;
    std::unique_ptr<TextField> heightDisplay;
    std::unique_ptr<TextField> hint;
    std::unique_ptr<Button> helpButton;
    std::unique_ptr<TextField> helpText;
    std::unique_ptr<ComponentContainer> helpWindow;
};
