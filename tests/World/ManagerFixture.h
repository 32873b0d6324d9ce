#pragma once

#include "TempFolder.h"
#include "World/TerrainDataManager.h"

#include <gtest/gtest.h>
#include <memory>

// A data manager on a world of its own in a temporary folder, seeds 13 and 14, without the water
// thread unless asked, so that tests see the queues as they left them. The viewer starts 10 units
// above the undisturbed surface on the x axis.
class ManagerFixture : public ::testing::Test
{
protected:
    TempFolder temp;
    double position[3] = { 510.0, 0.0, 0.0 };

    std::unique_ptr<TerrainDataManager> open(
        int capacity = 1000, bool waterThread = false, const std::string& world = "World")
    {
        testing::internal::CaptureStdout(); // a new world announces its folder
        auto manager
            = std::make_unique<TerrainDataManager>(position, world, 13, 14, capacity, temp.path, waterThread);
        testing::internal::GetCapturedStdout();
        return manager;
    }
    std::string blockFile(int bx, int by, int bz) const
    {
        return WorldFolder(temp.path, "World").blockFile(bx, by, bz);
    }
};
