#include "Terrain/ModelInstances.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

// Looking steeply down along +x: the models stand ahead, not under the
// viewer's feet, each on its own spot, and skip the spots the ground finder
// rejects (a lake beyond x = 12), turning to the sides and behind. Their
// numbers are unique across models, dwarves (drawn first) taking the first,
// and survive the trip through a picking colour; the white background and
// numbers nobody has name nothing.
TEST(ModelInstancesTest, PlacedOnTheGroundInFrontOfTheViewerAndNumbered)
{
    ModelInstances instances;
    instances.picked = 2;
    instances.add("dwarf", { 9.0f, 9.0f, 9.0f });
    const Vector3 eye { 10.0, 1.7, -4.0 };
    Orientation facing;
    facing.forward = Vector3 { 0.3, -0.95, 0.0 }.normalise();
    for (const double shore : { 1e9, 12.0 }) {
        instances.placeAround(eye, facing, [&](const Vector3& p) -> std::optional<Vector3> {
            return p.x > shore ? std::nullopt : std::optional<Vector3>({ p.x, 0.0, p.z });
        });
        EXPECT_EQ(instances.picked, 0);
        EXPECT_TRUE(instances.of("dwarf").size() == 3 && instances.of("forge").size() == 2);
        std::vector<ModelInstances::Position> spots;
        for (const std::string& model : ModelInstances::modelNames())
            for (const ModelInstances::Position& p : instances.of(model)) {
                EXPECT_EQ(p[1], 0.0f) << "stands on the ground the finder returned";
                EXPECT_TRUE(shore < 100 || p[0] - eye.x > 4.0) << model;
                EXPECT_LE(p[0], shore) << model << " stands in the lake";
                EXPECT_LT(std::hypot(p[0] - eye.x, p[2] - eye.z), 17.0) << model;
                EXPECT_EQ(std::count(spots.begin(), spots.end(), p), 0);
                spots.push_back(p);
            }
    }
    const std::tuple<const char*, int, int> numbers[]
        = { { "dwarf", 0, 1 }, { "dwarf", 2, 3 }, { "forge", 0, 4 }, { "forge", 1, 5 } };
    for (const auto& [model, index, number] : numbers) {
        EXPECT_EQ(instances.numberOf(model, index), number);
        EXPECT_EQ(instances.numberFromColour(ModelInstances::colourOf(number)), number);
    }
    EXPECT_EQ(ModelInstances::colourOf(0x123456), (ModelInstances::Colour { 0x12, 0x34, 0x56 }));
    for (const ModelInstances::Colour& colour : { ModelInstances::Colour { 255, 255, 255 }, { 0, 0, 6 } })
        EXPECT_EQ(instances.numberFromColour(colour), 0);
    // Nowhere dry at all: nothing is placed, and nothing is picked.
    instances.placeAround(eye, facing, [](const Vector3&) { return std::optional<Vector3>(); });
    EXPECT_EQ(instances.count(), 0);
    EXPECT_EQ(instances.numberFromColour({ 0, 0, 1 }), 0);
}
