#include "Terrain/ModelInstances.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Flat ground at y = 0: every point is dropped straight onto it.
std::optional<Vector3> flatGround(const Vector3& p)
{
    return Vector3 { p.x, 0.0, p.z };
}

} // namespace

TEST(ModelInstancesTest, NumbersAreUniqueAcrossModelsAndSurviveTheTripThroughAColour)
{
    ModelInstances instances;
    instances.add("forge", { 1.0f, 2.0f, 3.0f });
    instances.add("dwarf", { 4.0f, 5.0f, 6.0f });
    instances.add("dwarf", { 7.0f, 8.0f, 9.0f });
    instances.add("forge", { 0.0f, 0.0f, 0.0f });

    // Dwarves are drawn first, so they take the first numbers.
    EXPECT_EQ(instances.numberOf("dwarf", 0), 1);
    EXPECT_EQ(instances.numberOf("dwarf", 1), 2);
    EXPECT_EQ(instances.numberOf("forge", 0), 3);
    EXPECT_EQ(instances.numberOf("forge", 1), 4);
    for (int number = 1; number <= 4; ++number)
        EXPECT_EQ(instances.numberFromColour(ModelInstances::colourOf(number)), number);

    EXPECT_EQ(ModelInstances::colourOf(300), (ModelInstances::Colour { 0, 1, 44 }));
    EXPECT_EQ(ModelInstances::colourOf(0x123456), (ModelInstances::Colour { 0x12, 0x34, 0x56 }));
    // The white background and colours of numbers nobody has name nothing.
    EXPECT_EQ(instances.numberFromColour({ 255, 255, 255 }), 0);
    EXPECT_EQ(instances.numberFromColour({ 0, 0, 5 }), 0);
    EXPECT_EQ(instances.numberFromColour({ 0, 0, 0 }), 0);
}

TEST(ModelInstancesTest, PlacedOnTheGroundInFrontOfTheViewerWhereverTheViewerLooks)
{
    ModelInstances instances;
    instances.picked = 2;
    instances.add("dwarf", { 9.0f, 9.0f, 9.0f });

    // Looking steeply down along +x (the look direction as forward): the
    // models still stand ahead, not under the viewer's feet.
    const Vector3 eye { 10.0, 1.7, -4.0 };
    Orientation facing;
    facing.forward = Vector3 { 0.3, -0.95, 0.0 }.normalise();
    instances.placeAround(eye, facing, flatGround);

    EXPECT_EQ(instances.picked, 0);
    EXPECT_EQ(instances.of("dwarf").size(), 3u);
    EXPECT_EQ(instances.of("forge").size(), 2u);
    for (const std::string& model : ModelInstances::modelNames()) {
        for (const ModelInstances::Position& p : instances.of(model)) {
            EXPECT_EQ(p[1], 0.0f) << "stands on the ground the finder returned";
            const double ahead = p[0] - eye.x;
            const double distance = std::hypot(p[0] - eye.x, p[2] - eye.z);
            EXPECT_GT(ahead, 4.0) << model;
            EXPECT_LT(distance, 17.0) << model;
        }
    }
    // No two instances share a spot.
    const auto& dwarves = instances.of("dwarf");
    EXPECT_NE(dwarves[0], dwarves[1]);
    EXPECT_NE(dwarves[1], dwarves[2]);
}

TEST(ModelInstancesTest, SpotsTheGroundFinderRejectsAreSkippedForTheNextOnes)
{
    // A lake covers everything ahead of the viewer (x > 2).
    const auto dryGround = [](const Vector3& p) -> std::optional<Vector3> {
        if (p.x > 2.0)
            return std::nullopt;
        return Vector3 { p.x, 0.0, p.z };
    };
    ModelInstances instances;
    Orientation facing;
    instances.placeAround({ 0.0, 1.7, 0.0 }, facing, dryGround);
    EXPECT_EQ(instances.of("dwarf").size(), 3u);
    EXPECT_EQ(instances.of("forge").size(), 2u);
    for (const std::string& model : ModelInstances::modelNames())
        for (const ModelInstances::Position& p : instances.of(model))
            EXPECT_LE(p[0], 2.0f) << model << " stands in the lake";

    // Nowhere dry at all: nothing is placed, and nothing is picked.
    instances.placeAround({ 0.0, 1.7, 0.0 }, facing, [](const Vector3&) { return std::optional<Vector3>(); });
    EXPECT_EQ(instances.count(), 0);
    EXPECT_EQ(instances.numberFromColour({ 0, 0, 1 }), 0);
}
