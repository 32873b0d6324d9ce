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
#include <functional>

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
    void spawn(const Vector3& feet = { 0.0, radius + 0.01, 0.0 })
    {
        camera.eye = feet;
        auto walked = std::make_unique<BallGround>();
        ground = walked.get();
        testing::internal::CaptureStdout();
        player = std::make_unique<Player>(std::move(walked));
        testing::internal::GetCapturedStdout();
    }
    // Updates until a jump ends, the position checked after every step by `check`.
    void jump(const std::function<void()>& check = [] {})
    {
        player->onKeyPressed(sf::Keyboard::Space);
        for (int i = 0; i < 200 && player->isJumping(); ++i) {
            player->update(0.02);
            check();
        }
        EXPECT_FALSE(player->isJumping());
        expectOnGround();
    }
    // The feet rest on the ground once it is within a tenth of a unit below them.
    void expectOnGround() const
    {
        EXPECT_GE(player->getPosition().length(), radius);
        EXPECT_LE(player->getPosition().length(), radius + 0.11);
    }
    double height() const { return player->getPosition().length() - radius; }
    std::string text(const std::string& component) const { return ui->findComponent(component)->getText(); }

    std::unique_ptr<Interface> ui;
    Camera camera;
    Planet planet { radius };
    BallGround* ground = nullptr;
    std::unique_ptr<Player> player;
};

TEST_F(PlayerTest, HeightIsCutToTwoDecimalsAndGainsItsUnitInFlight)
{
    spawn({ 0.0, radius + 12.3456, 0.0 });
    EXPECT_EQ(text("PLAYER_HEIGHT_DISPLAY"), "Height:12.34");
    player->onKeyPressed(sf::Keyboard::F5);
    player->update(0.1);
    EXPECT_EQ(text("PLAYER_HEIGHT_DISPLAY"), "Height:12.34 m");
}

TEST_F(PlayerTest, HelpButtonTogglesTheHelpWindowOncePerClick)
{
    spawn();
    ui->update(0.0);
    auto* window = dynamic_cast<ComponentContainer*>(ui->findComponent("PLAYER_HELP_WIN"));
    ASSERT_NE(window, nullptr);
    const InterfaceComponent* button = ui->findComponent("PLAYER_HELP_BTN");
    const int x = button->getPosition().first + 1, y = button->getPosition().second + 1;
    for (bool expected : { true, false }) {
        EXPECT_TRUE(ui->mouseButton(0, x, y, true));
        ui->mouseButton(0, x, y, false);
        EXPECT_EQ(window->isVisible(), expected);
    }
}

// Diagonals are no faster than straight steps; Shift doubles the speed only while held.
TEST_F(PlayerTest, WalksAndRunsAlongTheKeysPressed)
{
    spawn();
    const struct
    {
        std::vector<sf::Keyboard::Key> keys;
        double forward, right, length;
    } steps[] = { { { sf::Keyboard::W, sf::Keyboard::D }, 1, 1, 0.2 }, { { sf::Keyboard::S }, -1, 0, 0.2 },
        { { sf::Keyboard::LShift, sf::Keyboard::A }, 0, -1, 0.4 }, { { sf::Keyboard::D }, 0, 1, 0.2 } };
    for (const auto& step : steps) {
        for (sf::Keyboard::Key key : step.keys)
            player->onKeyPressed(key);
        const Vector3 before = player->getPosition();
        const Orientation body = player->getOrientation();
        player->update(0.1);
        for (sf::Keyboard::Key key : step.keys)
            player->onKeyReleased(key);
        const Vector3 expected
            = (body.forward * step.forward + body.right * step.right).normalise() * step.length;
        EXPECT_NEAR((player->getPosition() - before - expected).length(), 0.0, 1e-6)
            << step.forward << step.right;
        EXPECT_FALSE(player->isInAir());
    }
}

TEST_F(PlayerTest, StaysUprightOnTheGroundAsItCurves)
{
    spawn();
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
    EXPECT_EQ(camera.orientation.forward, body.forward);
    EXPECT_EQ(player->getToolOrigin(), camera.eye);
}

TEST_F(PlayerTest, FallingIsCappedAtTwentyAndEndsOnTheGround)
{
    spawn({ 0.0, radius + 200.0, 0.0 });
    double fastest = 0.0;
    for (int i = 0; i < 1000; ++i) {
        player->update(0.05);
        fastest = std::max(fastest, player->getVerticalSpeed());
        ASSERT_LE(player->getVerticalSpeed(), Player::terminalSpeed);
        if (!player->isInAir() && player->getVerticalSpeed() == 0.0)
            break;
    }
    EXPECT_DOUBLE_EQ(fastest, Player::terminalSpeed);
    expectOnGround();
}

TEST_F(PlayerTest, JumpsOnlyFromTheGround)
{
    spawn();
    double highest = 0.0;
    jump([&] {
        highest = std::max(highest, height());
        // A second press in the air changes nothing.
        const double speed = player->getVerticalSpeed();
        if (player->isInAir())
            player->onKeyPressed(sf::Keyboard::Space);
        ASSERT_EQ(player->getVerticalSpeed(), speed);
    });
    // v² / 2g above the ground, give or take the steps.
    EXPECT_NEAR(highest, 25.0 / (2 * 9.81), 0.1);
    player->onKeyPressed(sf::Keyboard::Space);
    EXPECT_DOUBLE_EQ(player->getVerticalSpeed(), -Player::jumpSpeed);
}

TEST_F(PlayerTest, AJumpUnderAnOverhangStopsBelowTheRock)
{
    spawn();
    ground->ceilingFrom = radius + 2.2;
    ground->ceilingTo = radius + 4.0;
    // The rising step that would reach the rock is not taken, and the fall begins.
    Vector3 before = player->getPosition();
    double speed = -Player::jumpSpeed;
    bool stopped = false;
    jump([&] {
        ASSERT_LT(height() + radius + player->eyeHeight, ground->ceilingFrom);
        if (speed < 0.0 && player->getVerticalSpeed() == 0.0) {
            stopped = true;
            EXPECT_EQ(player->getPosition(), before);
        }
        before = player->getPosition();
        speed = player->getVerticalSpeed();
    });
    EXPECT_TRUE(stopped);
}

TEST_F(PlayerTest, FreeFlightFollowsTheViewAtTwiceTheSpeedThroughTheGround)
{
    spawn();
    player->onKeyPressed(sf::Keyboard::F5);
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
        ASSERT_NEAR(
            (player->getPosition() - before - look * (2 * player->walkSpeed * 0.1)).length(), 0.0, 1e-9);
    }
    EXPECT_LT(height(), -4.0);
    EXPECT_EQ(player->getToolDirection(), look);

    // Back on foot, the ground pushes the body out again.
    player->onKeyReleased(sf::Keyboard::W);
    player->onKeyPressed(sf::Keyboard::F5);
    player->onKeyPressed(sf::Keyboard::W);
    player->update(0.1);
    EXPECT_GE(height(), 0.0);
}

TEST_F(PlayerTest, WheelWrapsAtBothEndsAndHandsTheHeldButtonOn)
{
    spawn();
    const std::pair<int, unsigned> turns[]
        = { { -1, 5 }, { 1, 0 }, { 1, 1 }, { 7, 2 }, { -3, 5 }, { -13, 4 }, { 0, 4 } };
    for (const auto& [delta, tool] : turns) {
        player->onWheel(delta);
        EXPECT_EQ(player->getCurrentTool(), tool) << delta;
    }
    // The longer text pushes its neighbour on the top row aside.
    EXPECT_EQ(text("PLAYER_TOOL_DISPLAY"), "Left Hand Tool:Texture paint tool");
    EXPECT_LT(ui->findComponent("PLAYER_TOOL_DISPLAY")->getRight(),
        ui->findComponent("PLAYER_HINT")->getPosition().first);

    player->onMouseButton(0, true);
    EXPECT_TRUE(player->getTool(4).isActive());
    player->onWheel(1);
    EXPECT_FALSE(player->getTool(4).isActive());
    EXPECT_TRUE(player->getTool(5).isActive());
    player->onMouseButton(0, false);
    EXPECT_FALSE(player->getTool(5).isActive());
}

} // namespace
