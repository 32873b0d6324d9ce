#include "Player/Player.h"

#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Interface/ComponentContainer.h"
#include "Interface/FixedTextMeasure.h"
#include "Interface/Interface.h"
#include "Player/Ground.h"
#include "Player/Tool.h"
#include "World/Planet.h"

#include <algorithm>

namespace {

constexpr double radius = 500.0;

// The planet as a smooth ball of rock, with an optional shell of rock
// overhead to jump into. Leaving the ground goes straight up (or, out of the
// shell, straight down), 0.01 clear of it.
class BallGround : public Ground
{
public:
    double sampleDensity(const Vector3& p) override
    {
        const double r = p.length();
        if (r < radius)
            return std::min(127.0, (radius - r) * 100.0);
        return r >= ceilingFrom && r < ceilingTo ? 127.0 : -127.0;
    }
    Vector3 pushOutOfGround(const Vector3& from, const Vector3& to) override
    {
        if ((to - from).length() < 0.0001 || sampleDensity(to) < 0.0)
            return to;
        return to.normalise() * (to.length() < radius ? radius + 0.01 : ceilingFrom - 0.01);
    }

    double ceilingFrom = 0.0;
    double ceilingTo = 0.0;
};

class PlayerTest : public FixedTextMeasure
{
protected:
    void SetUp() override
    {
        FixedTextMeasure::SetUp();
        Window::getInstance().width = 800;
        Window::getInstance().height = 600;
        ui = std::make_unique<Interface>();
        ui->buildMenus();
    }
    void TearDown() override
    {
        player.reset();
        FixedTextMeasure::TearDown();
    }

    // A player standing at `feet` (the camera's eye when it is made).
    void spawn(const Vector3& feet)
    {
        camera.eye = feet;
        auto walked = std::make_unique<BallGround>();
        ground = walked.get();
        testing::internal::CaptureStdout();
        player = std::make_unique<Player>(std::move(walked));
        testing::internal::GetCapturedStdout();
    }
    void spawnStanding() { spawn({ 0.0, radius + 0.01, 0.0 }); }
    // Updates until the player stands again; false if it never does.
    bool land(double dt = 0.02)
    {
        for (int i = 0; i < 5000; ++i) {
            player->update(dt);
            if (!player->isJumping() && !player->isInAir() && player->getVerticalSpeed() == 0.0)
                return true;
        }
        return false;
    }
    // The feet rest on the ground once it is within a tenth of a unit below them.
    void expectOnGround() const
    {
        EXPECT_GE(player->getPosition().length(), radius);
        EXPECT_LE(player->getPosition().length(), radius + 0.11);
    }
    std::string text(const std::string& component) const { return ui->findComponent(component)->getText(); }

    std::unique_ptr<Interface> ui;
    Camera camera;
    Planet planet { radius };
    BallGround* ground = nullptr;
    std::unique_ptr<Player> player;
};

TEST_F(PlayerTest, StartsUprightWithSixToolsAndItsHeadsUpTexts)
{
    spawn({ 0.0, radius + 12.3456, 0.0 });
    const Orientation& body = player->getOrientation();
    EXPECT_NEAR(body.up.dot({ 0.0, 1.0, 0.0 }), 1.0, 1e-12);
    EXPECT_NEAR(body.forward.dot(body.up), 0.0, 1e-12);
    EXPECT_EQ(camera.orientation.forward, body.forward);
    EXPECT_EQ(player->getToolOrigin(), camera.eye);

    const char* names[] = { "Basic dig tool", "Power dig tool", "Voxel Ray tool", "Info tool",
        "Texture paint tool", "Sphere dig tool" };
    ASSERT_EQ(player->toolCount(), 6u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(player->getTool(i).name(), names[i]);

    EXPECT_EQ(text("PLAYER_TOOL_DISPLAY"), "Current Tool:Basic dig tool");
    EXPECT_EQ(text("PLAYER_HEIGHT_DISPLAY"), "Height:12.34");
    EXPECT_EQ(text("PLAYER_HINT"), "Press ESC for menu, F to free mouse");
    ASSERT_NE(ui->findComponent("PLAYER_HELP_TEXT"), nullptr);

    // Hovering in free flight: nothing moves, the text gains its unit.
    player->onKeyPressed(sf::Keyboard::F5);
    player->update(0.1);
    EXPECT_EQ(text("PLAYER_HEIGHT_DISPLAY"), "Height:12.34 m");
}

TEST_F(PlayerTest, HelpButtonTogglesTheHelpWindowOncePerClick)
{
    spawnStanding();
    ui->update(0.0);
    auto* window = dynamic_cast<ComponentContainer*>(ui->findComponent("PLAYER_HELP_WIN"));
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());

    const InterfaceComponent* button = ui->findComponent("PLAYER_HELP_BTN");
    const int x = button->getPosition().first + button->getSize().first / 2;
    const int y = button->getPosition().second + button->getSize().second / 2;
    for (bool expected : { true, false }) {
        EXPECT_TRUE(ui->mouseButton(0, x, y, true));
        ui->mouseButton(0, x, y, false);
        EXPECT_EQ(window->isVisible(), expected);
    }
}

TEST_F(PlayerTest, WalkingADiagonalIsAsFastAsStraightAndRunningDoublesIt)
{
    spawnStanding();
    const auto stepLength = [&](std::initializer_list<sf::Keyboard::Key> keys) {
        for (sf::Keyboard::Key key : keys)
            player->onKeyPressed(key);
        const Vector3 before = player->getPosition();
        const Orientation body = player->getOrientation();
        player->update(0.1);
        const Vector3 moved = player->getPosition() - before;
        for (sf::Keyboard::Key key : keys)
            player->onKeyReleased(key);
        EXPECT_FALSE(player->isInAir());
        return std::make_pair(moved, body);
    };

    const auto [diagonal, body] = stepLength({ sf::Keyboard::W, sf::Keyboard::D });
    EXPECT_NEAR(diagonal.length(), 0.2, 1e-9);
    EXPECT_NEAR(diagonal.normalise().dot((body.forward + body.right).normalise()), 1.0, 1e-6);

    const auto [back, backBody] = stepLength({ sf::Keyboard::S });
    EXPECT_NEAR(back.length(), 0.2, 1e-9);
    EXPECT_NEAR(back.normalise().dot(backBody.forward), -1.0, 1e-6);

    const auto [run, runBody] = stepLength({ sf::Keyboard::LShift, sf::Keyboard::A });
    EXPECT_NEAR(run.length(), 0.4, 1e-9);
    EXPECT_NEAR(run.normalise().dot(runBody.right), -1.0, 1e-6);
    EXPECT_DOUBLE_EQ(player->getSpeed(), player->walkSpeed);
}

TEST_F(PlayerTest, StaysUprightOnTheGroundAsItCurves)
{
    spawnStanding();
    player->onKeyPressed(sf::Keyboard::W);
    // 60 units: the ground turns by about seven degrees under the feet.
    for (int i = 0; i < 300; ++i)
        player->update(0.1);
    const Vector3& feet = player->getPosition();
    const Orientation& body = player->getOrientation();
    expectOnGround();
    EXPECT_GT((feet - Vector3(0.0, radius, 0.0)).length(), 55.0);
    EXPECT_NEAR(body.up.dot(planet.upAt(feet)), 1.0, 1e-9);
    EXPECT_NEAR(body.forward.dot(body.up), 0.0, 1e-9);
    EXPECT_NEAR(body.right.dot(body.up), 0.0, 1e-9);
    EXPECT_EQ(camera.eye, feet + body.up * player->eyeHeight);
}

TEST_F(PlayerTest, FallingIsCappedAtTwentyAndEndsOnTheGround)
{
    spawn({ 0.0, radius + 200.0, 0.0 });
    double fastest = 0.0;
    for (int i = 0; i < 1000 && player->getPosition().length() > radius + 1.0; ++i) {
        player->update(0.05);
        fastest = std::max(fastest, player->getVerticalSpeed());
        ASSERT_LE(player->getVerticalSpeed(), Player::terminalSpeed);
    }
    EXPECT_DOUBLE_EQ(fastest, Player::terminalSpeed);
    ASSERT_TRUE(land());
    expectOnGround();
}

TEST_F(PlayerTest, JumpsOnlyFromTheGround)
{
    spawnStanding();
    player->onKeyPressed(sf::Keyboard::Space);
    EXPECT_TRUE(player->isJumping());
    EXPECT_DOUBLE_EQ(player->getVerticalSpeed(), -Player::jumpSpeed);
    player->update(0.02);
    player->update(0.02);
    EXPECT_TRUE(player->isInAir());

    const double rising = player->getVerticalSpeed();
    player->onKeyPressed(sf::Keyboard::Space);
    EXPECT_DOUBLE_EQ(player->getVerticalSpeed(), rising);

    double highest = 0.0;
    for (int i = 0; i < 200 && player->isJumping(); ++i) {
        player->update(0.02);
        highest = std::max(highest, player->getPosition().length() - radius);
    }
    EXPECT_FALSE(player->isJumping());
    // v² / 2g above the ground, give or take the steps.
    EXPECT_NEAR(highest, 25.0 / (2 * 9.81), 0.1);
    expectOnGround();

    player->onKeyPressed(sf::Keyboard::Space);
    EXPECT_DOUBLE_EQ(player->getVerticalSpeed(), -Player::jumpSpeed);
}

TEST_F(PlayerTest, AJumpUnderAnOverhangStopsBelowTheRock)
{
    spawnStanding();
    ground->ceilingFrom = radius + 2.2;
    ground->ceilingTo = radius + 4.0;
    player->onKeyPressed(sf::Keyboard::Space);

    bool stopped = false;
    for (int i = 0; i < 200 && player->isJumping(); ++i) {
        const Vector3 before = player->getPosition();
        const bool rising = player->getVerticalSpeed() < 0.0;
        player->update(0.02);
        ASSERT_LT(player->getPosition().length() + player->eyeHeight, ground->ceilingFrom);
        if (rising && player->getVerticalSpeed() == 0.0) {
            stopped = true;
            EXPECT_EQ(player->getPosition(), before);
        }
    }
    EXPECT_TRUE(stopped);
    EXPECT_FALSE(player->isJumping());
    expectOnGround();
}

TEST_F(PlayerTest, FreeFlightFollowsTheViewAtTwiceTheSpeedThroughTheGround)
{
    spawnStanding();
    player->onKeyPressed(sf::Keyboard::F5);
    EXPECT_TRUE(player->isFreeFlight());
    player->onKeyPressed(sf::Keyboard::Space);
    EXPECT_DOUBLE_EQ(player->getVerticalSpeed(), 0.0);

    // 30 degrees down.
    player->onMouseMotion(400, 300, 0, -200);
    EXPECT_EQ(player->lastMouseX, 400);
    const Vector3 look = camera.lookDirection();
    EXPECT_LT(look.dot(player->getOrientation().up), -0.49);

    player->onKeyPressed(sf::Keyboard::W);
    for (int i = 0; i < 30; ++i) {
        const Vector3 before = player->getPosition();
        player->update(0.1);
        const Vector3 moved = player->getPosition() - before;
        ASSERT_NEAR((moved - look * (2 * player->walkSpeed * 0.1)).length(), 0.0, 1e-9);
    }
    EXPECT_LT(player->getPosition().length(), radius - 4.0);
    EXPECT_EQ(player->getToolDirection(), look);

    // Back on foot, the ground pushes the body out again.
    player->onKeyReleased(sf::Keyboard::W);
    player->onKeyPressed(sf::Keyboard::F5);
    player->onKeyPressed(sf::Keyboard::W);
    player->update(0.1);
    EXPECT_GE(player->getPosition().length(), radius);
}

TEST_F(PlayerTest, WheelWrapsAtBothEndsAndHandsTheHeldButtonOn)
{
    spawnStanding();
    const auto wheel = [&](int delta) {
        player->onWheel(delta);
        return player->getCurrentTool();
    };
    EXPECT_EQ(wheel(-1), 5u);
    EXPECT_EQ(text("PLAYER_TOOL_DISPLAY"), "Left Hand Tool:Sphere dig tool");
    // The longer text pushes its neighbour on the top row aside.
    EXPECT_LT(ui->findComponent("PLAYER_TOOL_DISPLAY")->getRight(),
        ui->findComponent("PLAYER_HINT")->getPosition().first);
    EXPECT_EQ(wheel(1), 0u);
    EXPECT_EQ(wheel(1), 1u);
    // Several notches in one event.
    EXPECT_EQ(wheel(7), 2u);
    EXPECT_EQ(wheel(-3), 5u);
    EXPECT_EQ(wheel(-13), 4u);
    EXPECT_EQ(wheel(0), 4u);

    player->onMouseButton(0, true);
    EXPECT_TRUE(player->getTool(4).isActive());
    wheel(1);
    EXPECT_FALSE(player->getTool(4).isActive());
    EXPECT_TRUE(player->getTool(5).isActive());
    player->onMouseButton(0, false);
    EXPECT_FALSE(player->getTool(5).isActive());
}

} // namespace
