#include "Player/Player.h"

#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Interface/Console.h"
#include "Interface/Interface.h"
#include "Interface/InterfaceComponent.h"
#include "Interface/TextMeasure.h"
#include "Player/BasicDigTool.h"
#include "Player/Ground.h"
#include "Player/InfoTool.h"
#include "Player/PowerDigTool.h"
#include "Player/SphereDigTool.h"
#include "Player/TexturePaintTool.h"
#include "World/ManagerFixture.h"
#include "World/Planet.h"
#include "World/Vox.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

constexpr double radius = 500.0;

// The planet as a smooth ball of rock, with an optional shell of rock
// overhead to jump into. Leaving the ground goes straight up (or, out of the
// shell, straight down), 0.01 clear of it.
struct BallGround : public Ground
{
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

    double ceilingFrom = 0.0, ceilingTo = 0.0;
};

// The player on a ball of rock, or on the generated ground of a world of its
// own. The tools are worked in that world's sky far above the ground (x from
// 800 on), where every voxel starts as air and is cheap to generate; they aim
// from `eye` along `look`, the two the player would hand them.
class PlayerTest : public ManagerFixture
{
protected:
    void SetUp() override
    {
        TextMeasure::install([](const std::string& line, Fonts::Face) {
            return std::make_pair(7 * static_cast<int>(line.size()), 10);
        });
        Window::getInstance().width = 800;
        Window::getInstance().height = 600;
        ui = std::make_unique<Interface>();
    }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        player.reset();
        manager.reset();
        testing::internal::GetCapturedStdout();
        TextMeasure::install({});
    }

    // With its feet at `feet` on the ball, or at the start of a new world on its ground.
    void spawn(const Vector3& feet = { 0.0, radius + 0.01, 0.0 }, bool world = false)
    {
        auto walked = std::make_unique<BallGround>();
        ball = walked.get();
        if (world)
            manager = open();
        camera.eye = world ? Vector3(position[0], position[1], position[2]) : feet;
        testing::internal::CaptureStdout();
        player = world ? std::make_unique<Player>() : std::make_unique<Player>(std::move(walked));
        testing::internal::GetCapturedStdout();
    }
    double height() const { return player->getPosition().length() - radius; }
    // The feet rest on the ground once it is within a tenth of a unit below them.
    void expectOnGround() const { EXPECT_NEAR(height(), 0.055, 0.055); }
    std::string text(const std::string& component) const { return ui->findComponent(component)->getText(); }

    // The stored record, without generating anything: a material of 0 reads
    // as 0 here, where a handle would generate a new one.
    const Voxel& raw(int x, int y, int z)
    {
        datablock& block = *manager->getNodeAt(x, y, z)->tdb;
        return block.localVoxel(x - block.minX(), y - block.minY(), z - block.minZ());
    }
    int changes()
    {
        int count = 0;
        for (VoxelPosition changed; manager->popChangedVoxel(changed);)
            ++count;
        return count;
    }

    std::unique_ptr<Interface> ui;
    Camera camera;
    Planet planet { radius };
    BallGround* ball = nullptr;
    std::unique_ptr<TerrainDataManager> manager;
    std::unique_ptr<Player> player;
    Vector3 eye { 810.0, 10.0, 10.0 };
    Vector3 look { 1.0, 0.0, 0.0 };
};

// Diagonals are no faster than straight steps; Shift doubles the speed only
// while held. Walking on, the body stays upright as the ground curves.
TEST_F(PlayerTest, WalksAndRunsAlongTheKeysPressedAndStaysUpright)
{
    spawn();
    using Keys = std::vector<sf::Keyboard::Key>;
    const std::tuple<Keys, double, double, double> steps[]
        = { { { sf::Keyboard::W, sf::Keyboard::D }, 1, 1, 0.2 }, { { sf::Keyboard::S }, -1, 0, 0.2 },
              { { sf::Keyboard::LShift, sf::Keyboard::A }, 0, -1, 0.4 }, { { sf::Keyboard::D }, 0, 1, 0.2 } };
    for (const auto& [keys, forward, right, length] : steps) {
        for (sf::Keyboard::Key key : keys)
            player->onKeyPressed(key);
        const Vector3 before = player->getPosition();
        const Orientation body = player->getOrientation();
        player->update(0.1);
        for (sf::Keyboard::Key key : keys)
            player->onKeyReleased(key);
        const Vector3 expected = (body.forward * forward + body.right * right).normalise() * length;
        EXPECT_NEAR((player->getPosition() - before - expected).length(), 0.0, 1e-6) << forward << right;
        EXPECT_FALSE(player->isInAir());
    }

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

// Falling is capped at terminal speed. A press in the air never jumps again.
// In the open the jump rises v² / 2g; under an overhang the rising step that
// would bring the head into the rock is not taken, and the fall begins.
TEST_F(PlayerTest, FallsNoFasterThanTwentyAndJumpsOnlyFromTheGround)
{
    spawn({ 0.0, radius + 200.0, 0.0 });
    double fastest = 0.0;
    for (int i = 0; i < 1000 && (i == 0 || player->isInAir() || player->getVerticalSpeed() != 0.0); ++i) {
        player->update(0.05);
        fastest = std::max(fastest, player->getVerticalSpeed());
        ASSERT_LE(player->getVerticalSpeed(), Player::terminalSpeed);
    }
    EXPECT_DOUBLE_EQ(fastest, Player::terminalSpeed);
    expectOnGround();

    for (double overhang : { 0.0, 2.2 }) {
        ball->ceilingFrom = radius + overhang;
        ball->ceilingTo = radius + 2.0 * overhang;
        double highest = 0.0, speed = -Player::jumpSpeed;
        Vector3 before = player->getPosition();
        bool stopped = false;
        player->onKeyPressed(sf::Keyboard::Space);
        for (int i = 0; i < 200 && player->isJumping(); ++i) {
            player->update(0.02);
            highest = std::max(highest, height());
            stopped |= speed < 0.0 && player->getVerticalSpeed() == 0.0 && player->getPosition() == before;
            before = player->getPosition();
            speed = player->getVerticalSpeed();
            if (player->isInAir())
                player->onKeyPressed(sf::Keyboard::Space);
            ASSERT_EQ(player->getVerticalSpeed(), speed);
        }
        EXPECT_FALSE(player->isJumping());
        expectOnGround();
        EXPECT_EQ(stopped, overhang > 0.0);
        // Under the rock the head stays clear of it by some headroom.
        EXPECT_NEAR(highest, overhang > 0.0 ? 0.2 : 25.0 / (2 * 9.81), 0.1);
    }
}

TEST_F(PlayerTest, FreeFlightFollowsTheViewAtTwiceTheSpeedThroughTheGround)
{
    spawn({ 0.0, radius + 12.3456, 0.0 });
    player->onKeyPressed(sf::Keyboard::F5);
    player->onKeyPressed(sf::Keyboard::Space);
    EXPECT_DOUBLE_EQ(player->getVerticalSpeed(), 0.0);
    player->update(0.1);
    // Cut to two decimals, not rounded.
    EXPECT_EQ(text("PLAYER_HEIGHT_DISPLAY"), "Height:12.34 m");

    player->onMouseMotion(400, 300, 0, -200); // 30 degrees down
    EXPECT_EQ(player->lastMouseX, 400);
    const Vector3 look = camera.lookDirection();
    EXPECT_LT(look.dot(player->getOrientation().up), -0.49);
    player->onKeyPressed(sf::Keyboard::W);
    for (int i = 0; i < 100; ++i) {
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
    player->onWheel(1);
    EXPECT_FALSE(player->getTool(4).isActive());
    EXPECT_TRUE(player->getTool(5).isActive());
    player->onMouseButton(0, false);
    EXPECT_FALSE(player->getTool(5).isActive());
}

// Walking keeps the feet on the generated ground.
TEST_F(PlayerTest, WalksOverTheGeneratedGround)
{
    spawn({}, true);
    const Planet& ground = manager->planet();
    const Vector3 start = player->getPosition();
    player->onKeyPressed(sf::Keyboard::W);
    for (int i = 0; i < 60; ++i)
        player->update(1.0 / 60.0);
    const Vector3 end = player->getPosition();
    EXPECT_GT((end - start).length(), 1.0);
    EXPECT_FALSE(player->isInAir());
    EXPECT_LT(std::abs(ground.heightAt(end) - ground.heightAt(start)), 2.0);
    EXPECT_GE(manager->sampleDensity(end - ground.upAt(end) * 0.1), 0.0);
}

// In the game a press and hold of the button is one stroke, whatever the tools
// wrote in it, which the console's "undo" and "redo" take back and bring
// again; "goto" lands on the ground out of free flight, and "where" tells it.
TEST_F(PlayerTest, ConsoleUndoesStrokesAndMovesThePlayer)
{
    spawn({}, true);
    const auto run = [](const std::string& line) {
        return Console::getInstance().runCommand(Console::splitWords(line));
    };
    player->onMouseButton(0, true);
    for (int x : { 805, 806, 805 })
        Vox(*manager, x, 0, 0).material(3);
    player->onMouseButton(0, false);
    const std::pair<const char*, const char*> replies[] = {
        { "undo", "Undid stroke 1: 2 voxels" },
        { "undo", "Nothing to undo" },
        { "redo 5", "Redid stroke 1: 2 voxels" },
        { "undo 0", "undo: Error: \"0\" is no number of strokes! \n undo [n]" },
        { "goto 1 2", "goto commands: \n goto <x> <y> <z> \n goto surface" },
        { "goto 600 0 x", "goto: Error: could not parse \"x\" to a number!" },
        { "goto 600 0 1e7", "goto: Error: (600.00, 0.00, 10000000.00) lies outside the world!" },
    };
    for (const auto& [line, reply] : replies)
        EXPECT_EQ(reply, run(line));
    EXPECT_EQ(3, Vox(*manager, 806, 0, 0).material());

    const auto onGround = [&] {
        const Vector3& p = player->getPosition();
        return std::abs(manager->sampleDensity(p)) < 5.0 && std::abs(p.y) + std::abs(p.z) < 1e-9;
    };
    const std::pair<const char*, bool> moves[]
        = { { "goto 600 0 0", false }, { "goto 600 0 0", true }, { "goto surface", true } };
    for (const auto& [line, flying] : moves) {
        if (player->isFreeFlight() != flying)
            player->onKeyPressed(sf::Keyboard::F5);
        run(line);
        EXPECT_TRUE(flying && std::string(line) != "goto surface"
                ? player->getPosition() == Vector3(600, 0, 0)
                : onGround())
            << line;
    }
    // Ground a redo puts back over a walking player lifts the player onto it.
    player->onKeyPressed(sf::Keyboard::F5);
    const double feet = player->getPosition().x;
    player->onMouseButton(0, true);
    for (int above = 1; above <= 3; ++above)
        Vox(*manager, static_cast<int>(std::lround(feet)) + above, 0, 0).density(Voxel::FULLY_SOLID);
    player->onMouseButton(0, false);
    run("undo");
    run("redo");
    EXPECT_GT(player->getPosition().x, feet + 2.0);
    EXPECT_TRUE(onGround());
    EXPECT_EQ(camera.eye, player->getPosition() + Vector3(player->eyeHeight, 0, 0));
    const int bx = static_cast<int>(std::floor(player->getPosition().x)) / 20;
    const std::string where = run("where");
    for (const std::string& part : std::vector<std::string> { "Block: (" + std::to_string(bx) + ", 0, 0) in "
                 + temp.path + "World/data/" + std::to_string(WorldFolder::folderIndex(bx, 0)) + "/",
             std::to_string(bx) + ".0.0.w", "Sun angle: 0.00 degrees, day length: 120 seconds" })
        EXPECT_NE(where.find(part), std::string::npos) << where;
    const std::string height = "Height above the ground: ";
    EXPECT_NEAR(std::stod(where.substr(where.find(height) + height.size())), 0.0, 0.05) << where;
}

// The tool in hand fires (and its timer restarts) on the first update after
// the press, then once per interval, and never after the release; only the
// tool in hand keeps time. Number keys choose the paint tool's material.
TEST_F(PlayerTest, ToolFiresOnTheFirstUpdateAfterThePressAndNeverAfterTheRelease)
{
    manager = open(); // where the paint tool looks
    spawn();
    player->onWheel(4);
    auto& paint = dynamic_cast<TexturePaintTool&>(player->getTool(4));
    player->update(3.0);
    EXPECT_EQ(paint.timer, 3.0);
    player->onMouseButton(0, true);
    const std::pair<double, double> steps[]
        = { { 0.001, 0.0 }, { 0.05, 0.05 }, { 0.05, 0.0 }, { 0.09, 0.09 } };
    for (const auto& [dt, timer] : steps) {
        player->update(dt);
        EXPECT_DOUBLE_EQ(paint.timer, timer) << dt;
    }
    player->onMouseButton(0, false);
    player->update(0.2);
    EXPECT_DOUBLE_EQ(paint.timer, 0.29);
    EXPECT_EQ(player->getTool(0).timer, 0.0);

    const std::pair<sf::Keyboard::Key, int> keys[] = { { sf::Keyboard::Num1, 3 }, { sf::Keyboard::Num3, 5 },
        { sf::Keyboard::Num0, 1 }, { sf::Keyboard::Num2, 2 } };
    for (const auto& [key, material] : keys) {
        player->onKeyPressed(key);
        EXPECT_EQ(paint.paintMaterial, material);
    }
}

template <class T> std::unique_ptr<Tool> make(const Vector3* eye, const Vector3* look)
{
    return std::make_unique<T>(eye, look);
}

struct Voxels
{
    int x, y, z, density, material, densityAfter, materialAfter;
};

// Along +x from 810 a 3-unit ray meets 810 once and 811 to 813 twice each, a
// 5-unit one 811 to 815 twice (a voxel's distance from the eye counts against
// the reach). Rows share the world; each sets the voxels it looks at.
const struct
{
    const char* what;
    std::function<std::unique_ptr<Tool>(const Vector3*, const Vector3*)> tool;
    Vector3 eye;
    std::vector<Voxels> voxels;
    long printed; // lines, one per voxel painted
} edits[] = {
    { "basic: 250 off the nearest", make<BasicDigTool>, { 810, 10, 10 },
        { { 810, 10, 10, 127, 5, -123, 5 }, { 811, 10, 10, 127, 5, 127, 5 } }, 0 },
    { "basic: the rest from the next; emptied loses its material, grass shows soil", make<BasicDigTool>,
        { 810, 10, 10 }, { { 810, 10, 10, 0, 1, -127, 0 }, { 811, 10, 10, 127, 1, 4, 2 } }, 0 },
    { "basic: air costs nothing", make<BasicDigTool>, { 810, 10, 10 },
        { { 810, 10, 10, -127, 10, -127, 10 }, { 811, 10, 10, 127, 5, -123, 5 },
            { 812, 10, 10, 127, 5, 127, 5 } },
        0 },
    // 20 off per meeting, also off the face neighbours of each voxel met.
    { "power", make<PowerDigTool>, { 810, 10, 10 },
        { { 810, 11, 10, -115, 1, -127, 0 }, { 813, 10, 10, 127, 5, 7, 5 }, { 811, 11, 10, 127, 5, 87, 5 },
            { 816, 10, 10, 127, 5, 87, 5 }, { 811, 12, 10, 127, 5, 127, 5 } },
        0 },
    // Within 8 of the eye truncated to (10, 5, -3), not rounded to -4.
    { "sphere", make<SphereDigTool>, { 10.7, 5.2, -3.9 },
        { { 2, 5, -3, 127, 3, -127, 3 }, { 18, 5, -3, 127, 3, -127, 3 }, { 10, -3, -3, 127, 3, -127, 3 },
            { 10, 13, -3, 127, 3, -127, 3 }, { 10, 5, -11, 127, 3, -127, 3 }, { 10, 5, 5, 127, 3, -127, 3 },
            { 16, 10, -3, 127, 3, -127, 3 }, { 1, 5, -3, 127, 3, 127, 3 }, { 19, 5, -3, 127, 3, 127, 3 },
            { 10, 5, -12, 127, 3, 127, 3 }, { 10, 5, 6, 127, 3, 127, 3 }, { 10, 14, -3, 127, 3, 127, 3 },
            { 16, 11, -3, 127, 3, 127, 3 } },
        0 },
    // Grass before any material key (never the "not generated" 0), density
    // kept, one line per voxel it changes.
    { "paint", make<TexturePaintTool>, { 810, 10, 10 },
        { { 810, 10, 10, 127, 1, 127, 1 }, { 811, 10, 10, 127, 5, 127, 1 }, { 812, 10, 10, 60, 2, 60, 1 },
            { 813, 10, 10, -127, 4, -127, 1 } },
        3 },
};

TEST_F(PlayerTest, EachToolEditsTheVoxelsItReaches)
{
    manager = open();
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.what);
        for (const Voxels& v : edit.voxels) {
            Vox voxel(*manager, v.x, v.y, v.z);
            voxel.density(v.density);
            voxel.material(v.material);
        }
        eye = edit.eye;
        testing::internal::CaptureStdout();
        edit.tool(&eye, &look)->apply();
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), edit.printed);
        for (const Voxels& v : edit.voxels)
            EXPECT_EQ(std::make_pair(raw(v.x, v.y, v.z).density(), raw(v.x, v.y, v.z).material()),
                std::make_pair(v.densityAfter, v.materialAfter))
                << v.x << ", " << v.y << ", " << v.z;
    }
    // Painting what is painted already changes and prints nothing, nor does
    // the info tool, which selects the farthest voxel within 2 units and shows
    // the 13³ around it, x outermost, z innermost.
    changes();
    testing::internal::CaptureStdout();
    TexturePaintTool(&eye, &look).apply();
    InfoTool info(&eye, &look);
    info.apply();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(changes(), 0);
    EXPECT_EQ(info.selection(), (VoxelPosition { 812, 10, 10 }));
    ASSERT_EQ(info.marks().size(), 13u * 13u * 13u);
    EXPECT_EQ(info.marks()[(12 * 13 + 11) * 13 + 10].position, Vector3(818, 15, 14));

    // Nor does digging air.
    for (int x = 805; x <= 820; ++x)
        Vox(*manager, x, 30, 10).density();
    changes();
    eye = { 812.5, 30.5, 10.5 };
    using Make = std::unique_ptr<Tool> (*)(const Vector3*, const Vector3*);
    for (Make dig : { make<BasicDigTool>, make<PowerDigTool>, make<SphereDigTool> })
        dig(&eye, &look)->apply();
    EXPECT_EQ(changes(), 0);
}

} // namespace
