#pragma once

#include "Interface/StatsManager.h"
#include "World/DatablockAnalyzer.h"
#include "World/Planet.h"
#include "World/datablock.h"

#include <gtest/gtest.h>

// The planet and the generator as a new world has them: radius 500, seeds 13 and 14.
class GenerationFixture : public ::testing::Test
{
protected:
    Planet planet { 500.0 };
    DatablockAnalyzer analyzer { 13, 14 };

    static double voxelsGenerated() { return StatsManager::getInstance().getStat("voxels generated"); }
    // Every local index in file order: x outermost, z innermost.
    template <typename Visit> static void forEachLocal(Visit visit)
    {
        for (int x = 0; x < datablock::SIZE; ++x)
            for (int y = 0; y < datablock::SIZE; ++y)
                for (int z = 0; z < datablock::SIZE; ++z)
                    visit(x, y, z);
    }
    template <typename Test> static bool everywhere(Test test)
    {
        bool all = true;
        forEachLocal([&](int x, int y, int z) { all = all && test(x, y, z); });
        return all;
    }
};
