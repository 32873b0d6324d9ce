#include "Game/Window.h"
#include "Graphics/Camera.h"
#include "Interface/Interface.h"
#include "Interface/TextMeasure.h"
#include "Player/Player.h"
#include "Player/Tool.h"
#include "Player/VoxelRayTool.h"
#include "VoxelWorld.h"
#include "World/Planet.h"

#include <cmath>
#include <set>

namespace {

// The player on the generated ground of a new world, with the tools acting on
// its voxels.
class PlayerWorldTest : public VoxelWorld
{
protected:
    void SetUp() override
    {
        VoxelWorld::SetUp();
        TextMeasure::install([](const std::string& line, Fonts::Face) {
            return std::make_pair(7 * static_cast<int>(line.size()), 10);
        });
        Window::getInstance().width = 800;
        Window::getInstance().height = 600;
        ui = std::make_unique<Interface>();
        camera = std::make_unique<Camera>();
        camera->eye = { position[0], position[1], position[2] };
        testing::internal::CaptureStdout();
        player = std::make_unique<Player>();
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override
    {
        player.reset();
        camera.reset();
        ui.reset();
        TextMeasure::install({});
        VoxelWorld::TearDown();
    }
    void select(unsigned int tool)
    {
        while (player->getCurrentTool() != tool)
            player->onWheel(1);
    }

    std::unique_ptr<Interface> ui;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<Player> player;
};

TEST_F(PlayerWorldTest, ToolFiresOnTheFirstUpdateAfterThePressAndNeverAfterTheRelease)
{
    select(2);
    auto& ray = dynamic_cast<VoxelRayTool&>(player->getTool(2));
    player->update(3.0);
    EXPECT_EQ(ray.getRayEnd(), Vector3());
    EXPECT_DOUBLE_EQ(ray.timer, 3.0);

    player->onMouseButton(0, true);
    player->update(0.01);
    EXPECT_DOUBLE_EQ(ray.timer, 0.0);
    EXPECT_EQ(ray.getRayStart(), player->getToolOrigin());

    player->update(0.5);
    EXPECT_DOUBLE_EQ(ray.timer, 0.5);
    player->update(0.6);
    EXPECT_DOUBLE_EQ(ray.timer, 0.0);

    // Released between two updates, past the tool's interval: no more fire.
    player->update(0.9);
    player->onMouseButton(0, false);
    player->update(0.2);
    EXPECT_DOUBLE_EQ(ray.timer, 1.1);

    // Only the tool in hand keeps time.
    EXPECT_DOUBLE_EQ(player->getTool(0).timer, 0.0);
}

TEST_F(PlayerWorldTest, MaterialKeysChooseWhatThePaintToolWrites)
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
    std::set<std::vector<int>> distinct;
    for (Vox voxel : hits) {
        voxel.material(7);
        const Vector3 p = voxel.getPosition();
        distinct.insert({ int(p.x), int(p.y), int(p.z) });
    }

    const std::pair<sf::Keyboard::Key, int> keys[] = { { sf::Keyboard::Num1, 3 }, { sf::Keyboard::Num3, 5 },
        { sf::Keyboard::Num0, 1 }, { sf::Keyboard::Num2, 2 } };
    player->onMouseButton(0, true);
    for (const auto& [key, material] : keys) {
        player->onKeyPressed(key);
        testing::internal::CaptureStdout();
        player->update(0.1);
        const std::string printed = testing::internal::GetCapturedStdout();
        std::string expected;
        for (std::size_t i = 0; i < distinct.size(); ++i)
            expected += "Setting material: " + std::to_string(material) + "\n";
        EXPECT_EQ(printed, expected);
        for (Vox voxel : hits)
            EXPECT_EQ(voxel.material(), material);
    }
}

TEST_F(PlayerWorldTest, WalksOverTheGeneratedGround)
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
