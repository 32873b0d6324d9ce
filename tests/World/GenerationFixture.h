#pragma once

#include "Interface/StatsManager.h"
#include "World/DatablockAnalyzer.h"
#include "World/Planet.h"
#include "World/datablock.h"

#include <gtest/gtest.h>
#include <libnoise/module/perlin.h>

// The planet and the generator as a new world has them: radius 500, seeds 13 and 14.
class GenerationFixture : public ::testing::Test
{
protected:
    Planet planet { 500.0 };
    DatablockAnalyzer analyzer { 13, 14 };

    double voxelsGenerated()
    {
        analyzer.publishStatistics();
        return StatsManager::getInstance().getStat("voxels generated");
    }

    // A Perlin module set up independently of the generator, to check its wiring.
    static noise::module::Perlin perlin(double frequency, int octaves, int seed, bool fast = true)
    {
        noise::module::Perlin module;
        module.SetFrequency(frequency);
        module.SetOctaveCount(octaves);
        module.SetSeed(seed);
        if (fast)
            module.SetNoiseQuality(noise::QUALITY_FAST);
        return module;
    }
};
