#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Graphics/DebugShapes.h"
#include "Interface/Interface.h"
#include "Interface/TextMeasure.h"
#include "Player/BasicDigTool.h"
#include "Player/InfoTool.h"
#include "Player/Player.h"
#include "Player/PowerDigTool.h"
#include "Player/SphereDigTool.h"
#include "Player/TexturePaintTool.h"
#include "Player/ToolSound.h"
#include "Player/VoxelRayTool.h"
#include "World/ManagerFixture.h"
#include "World/Planet.h"
#include "World/Vox.h"

#include <cmath>
#include <functional>
#include <set>

namespace {

// The tools in a world of their own, worked in the sky far above the ground
// (x from 800 on), where every voxel starts as air and cheap to generate; each
// test builds what the tools act on voxel by voxel. Tools aim from `eye` along
// `look`, the two the player would hand them.
class ToolsTest : public ManagerFixture
{
protected:
    void SetUp() override { manager = open(); }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        manager.reset();
        testing::internal::GetCapturedStdout();
    }
    void set(int x, int y, int z, int density, int material)
    {
        Vox voxel(*manager, x, y, z);
        voxel.density(density);
        voxel.material(material);
    }
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

    std::unique_ptr<TerrainDataManager> manager;
    Vector3 eye { 810.0, 10.0, 10.0 };
    Vector3 look { 1.0, 0.0, 0.0 };
};

template <class T> std::unique_ptr<Tool> make(const Vector3* eye, const Vector3* look)
{
    return std::make_unique<T>(eye, look);
}

struct Voxels
{
    int x, y, z, density, material, densityAfter, materialAfter;
};
struct EditCase
{
    const char* what;
    std::function<std::unique_ptr<Tool>(const Vector3*, const Vector3*)> tool;
    Vector3 eye;
    std::vector<Voxels> voxels;
    int printed; // "Setting material" lines
};

// Along +x from 810 a 3-unit ray meets 810 once and 811 to 813 twice each, a
// 5-unit one 811 to 815 twice (a voxel's distance from the eye counts against
// the reach).
const EditCase edits[] = {
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

TEST_F(ToolsTest, EachToolEditsTheVoxelsItReaches)
{
    for (const EditCase& edit : edits) {
        SCOPED_TRACE(edit.what);
        for (const Voxels& v : edit.voxels)
            set(v.x, v.y, v.z, v.density, v.material);
        eye = edit.eye;
        const std::unique_ptr<Tool> tool = edit.tool(&eye, &look);
        testing::internal::CaptureStdout();
        tool->apply();
        std::string expected;
        for (int i = 0; i < edit.printed; ++i)
            expected += "Setting material: 1\n";
        EXPECT_EQ(testing::internal::GetCapturedStdout(), expected);
        for (const Voxels& v : edit.voxels) {
            EXPECT_EQ(raw(v.x, v.y, v.z).density(), v.densityAfter) << v.x << ", " << v.y << ", " << v.z;
            EXPECT_EQ(raw(v.x, v.y, v.z).material(), v.materialAfter) << v.x << ", " << v.y << ", " << v.z;
        }
    }
    // Painting what is painted already changes and prints nothing.
    changes();
    testing::internal::CaptureStdout();
    TexturePaintTool(&eye, &look).apply();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(changes(), 0);
}

TEST_F(ToolsTest, DiggingAirChangesNothing)
{
    for (int x = 805; x <= 820; ++x)
        Vox(*manager, x, 10, 10).density();
    changes();
    eye = { 812.5, 10.5, 10.5 };
    BasicDigTool(&eye, &look).apply();
    PowerDigTool(&eye, &look).apply();
    SphereDigTool(&eye, &look).apply();
    EXPECT_EQ(changes(), 0);
}

TEST_F(ToolsTest, InfoToolShowsTheVoxelsAroundTheFarthestHitWithin2)
{
    InfoTool tool(&eye, &look);
    set(812, 10, 10, 127, 1);
    set(813, 10, 10, -127, 10);
    manager->getNodeAt(813, 10, 10)->wdb->setWater(100, 813, 10, 10);
    tool.apply();
    ASSERT_TRUE(tool.selection());
    EXPECT_EQ(*tool.selection(), (VoxelPosition { 812, 10, 10 }));

    const std::vector<VoxelMark> marks = tool.marks();
    ASSERT_EQ(marks.size(), 13u * 13u * 13u);
    // x outermost, z innermost, from 6 below the selection to 6 above.
    const auto at = [&](int dx, int dy, int dz) { return marks[((dx + 6) * 13 + dy + 6) * 13 + dz + 6]; };
    EXPECT_EQ(at(-6, -6, -6).position, Vector3(806, 4, 4));
    EXPECT_EQ(at(6, 5, 4).position, Vector3(818, 15, 14));
    // Grass, water, and dry air in the colour of a material without one.
    const std::tuple<VoxelMark, float, Colour> shown[] = { { at(0, 0, 0), 0.3f, { 0.12f, 0.5f, 0.12f } },
        { at(1, 0, 0), 0.1f, { 0.0f, 0.0f, 0.6f } }, { at(0, 1, 0), 0.046f, { 1.0f, 0.5f, 0.7f } } };
    for (const auto& [mark, size, colour] : shown) {
        EXPECT_FLOAT_EQ(mark.size, size);
        EXPECT_EQ(mark.colour, colour);
    }

    // Nothing in memory along the ray keeps the selection.
    eye = { 5000.0, 10.0, 10.0 };
    tool.apply();
    EXPECT_EQ(*tool.selection(), (VoxelPosition { 812, 10, 10 }));
    tool.secondaryAction();
    EXPECT_TRUE(tool.marks().empty());
}

TEST_F(ToolsTest, RayToolShowsEveryVoxelMetAndAnEightUnitLine)
{
    VoxelRayTool tool(&eye, &look);
    set(811, 10, 10, 127, 1);
    for (const Vector3& direction :
        { Vector3(0.0, 0.0, 0.25), Vector3(0.0, 3.0, 4.0), Vector3(1.0, 0.0, 0.0) }) {
        look = direction;
        tool.apply();
        EXPECT_EQ(tool.getRayStart(), eye);
        EXPECT_NEAR((tool.getRayEnd() - (eye + direction.normalise() * 8.0)).length(), 0.0, 1e-12);
    }
    const std::vector<VoxelMark> marks = tool.marks();
    ASSERT_EQ(marks.size(), manager->castVoxelRay(eye, look, 8.0).size());
    EXPECT_EQ(marks[1].position, Vector3(811, 10, 10));
    EXPECT_FLOAT_EQ(marks[1].size, 0.1f);

    DebugShapes& shapes = DebugShapes::getInstance();
    const std::size_t cubes = shapes.queuedCubes(), lines = shapes.queuedLines();
    tool.draw();
    EXPECT_EQ(shapes.queuedCubes(), cubes + marks.size());
    EXPECT_EQ(shapes.queuedLines(), lines + 1);
}

// There is no audio device under Xvfb either: a tool sound never stops the tool.
TEST(ToolSoundTest, AMissingFileLeavesTheSoundSilent)
{
    testing::internal::CaptureStdout();
    ToolSound sound("./Resources/sounds/no-such-sound.wav", "no-such-sound.wav");
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(sound.isLoaded());
    sound.setPlaying(true);
    sound.setPlaying(false);
}

// The player on the generated ground of a new world, with its tools.
class PlayerInWorldTest : public ToolsTest
{
protected:
    void SetUp() override
    {
        ToolsTest::SetUp();
        TextMeasure::install([](const std::string& line, Fonts::Face) {
            return std::make_pair(7 * static_cast<int>(line.size()), 10);
        });
        Window::getInstance().width = 800;
        Window::getInstance().height = 600;
        ui = std::make_unique<Interface>();
        camera.eye = { position[0], position[1], position[2] };
        testing::internal::CaptureStdout();
        player = std::make_unique<Player>();
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override
    {
        player.reset();
        TextMeasure::install({});
        ToolsTest::TearDown();
    }
    void select(unsigned int tool)
    {
        while (player->getCurrentTool() != tool)
            player->onWheel(1);
    }

    std::unique_ptr<Interface> ui;
    Camera camera;
    std::unique_ptr<Player> player;
};

TEST_F(PlayerInWorldTest, ToolFiresOnTheFirstUpdateAfterThePressAndNeverAfterTheRelease)
{
    select(2);
    auto& ray = dynamic_cast<VoxelRayTool&>(player->getTool(2));
    player->update(3.0);
    EXPECT_EQ(ray.getRayEnd(), Vector3());
    player->onMouseButton(0, true);
    player->update(0.01);
    EXPECT_EQ(ray.getRayStart(), player->getToolOrigin());
    // Timers: (dt, timer after it) at 1 per second; released before the last.
    const std::pair<double, double> steps[] = { { 0.5, 0.5 }, { 0.6, 0.0 }, { 0.9, 0.9 } };
    for (const auto& [dt, timer] : steps) {
        player->update(dt);
        EXPECT_DOUBLE_EQ(ray.timer, timer) << dt;
    }
    player->onMouseButton(0, false);
    player->update(0.2);
    EXPECT_DOUBLE_EQ(ray.timer, 1.1);
    // Only the tool in hand keeps time.
    EXPECT_DOUBLE_EQ(player->getTool(0).timer, 0.0);
}

TEST_F(PlayerInWorldTest, MaterialKeysChooseWhatThePaintToolWrites)
{
    select(4);
    player->update(0.01);
    // The blocks around the eye, as the terrain would have them in memory.
    const Vector3 eye = player->getToolOrigin();
    for (int dx = -4; dx <= 4; dx += 4)
        for (int dy = -4; dy <= 4; dy += 4)
            for (int dz = -4; dz <= 4; dz += 4)
                Vox(*manager, int(eye.x) + dx, int(eye.y) + dy, int(eye.z) + dz);
    const std::vector<Vox> hits
        = manager->castVoxelRay(player->getToolOrigin(), player->getToolDirection(), 3.0);
    ASSERT_FALSE(hits.empty());
    player->onMouseButton(0, true);
    const std::pair<sf::Keyboard::Key, int> keys[] = { { sf::Keyboard::Num1, 3 }, { sf::Keyboard::Num3, 5 },
        { sf::Keyboard::Num0, 1 }, { sf::Keyboard::Num2, 2 } };
    for (const auto& [key, material] : keys) {
        player->onKeyPressed(key);
        testing::internal::CaptureStdout();
        player->update(0.1);
        testing::internal::GetCapturedStdout();
        for (Vox voxel : hits)
            EXPECT_EQ(voxel.material(), material);
    }
}

TEST_F(PlayerInWorldTest, WalksOverTheGeneratedGround)
{
    Planet& planet = manager->planet();
    const Vector3 start = player->getPosition();
    player->onKeyPressed(sf::Keyboard::W);
    for (int i = 0; i < 60; ++i)
        player->update(1.0 / 60.0);
    const Vector3 end = player->getPosition();
    EXPECT_GT((end - start).length(), 1.0);
    // Still on the ground: standing, and no higher than a step above it.
    EXPECT_FALSE(player->isInAir());
    EXPECT_LT(std::abs(planet.heightAt(end) - planet.heightAt(start)), 2.0);
    EXPECT_GE(manager->sampleDensity(end - planet.upAt(end) * 0.1), 0.0);
}

} // namespace
