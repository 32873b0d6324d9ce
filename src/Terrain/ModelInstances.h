#pragma once

#include "Graphics/Orientation.h"
#include "Graphics/Vector3.h"

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Where the models stand, and which instance the cursor is over.
//
// Instances are numbered from 1 across all models in drawing order ("dwarf"
// first, then "forge"), so that no two instances share a number; a number
// travels through the colour-picking buffer as the exact colour
// ((n >> 16) & 255, (n >> 8) & 255, n & 255). Main thread only.
class ModelInstances
{
public:
    using Position = std::array<float, 3>;
    using Colour = std::array<int, 3>;
    // The ground along the local up direction through a point, or nothing
    // where a model should not stand (under water).
    using GroundFinder = std::function<std::optional<Vector3>(const Vector3&)>;

    // The models in drawing order.
    static const std::vector<std::string>& modelNames();

    // Stands three dwarves and two forges on the ground in front of a viewer
    // at `centre` looking along `facing.forward`: the dwarves a few steps
    // away, the forges behind them, each at the first of its spots that the
    // ground finder accepts (fewer when it accepts too few). Replaces any
    // earlier instances.
    void placeAround(const Vector3& centre, const Orientation& facing, const GroundFinder& ground);
    void add(const std::string& model, const Position& position);
    // Empty for a model without instances.
    const std::vector<Position>& of(const std::string& model) const;
    int count() const;

    int numberOf(const std::string& model, std::size_t index) const;
    static Colour colourOf(int number);
    // The instance a colour read from the picking buffer names, 0 for none
    // (the buffer's background, or a colour that no instance has).
    int numberFromColour(const Colour& colour) const;

    // The instance under the cursor, 0 for none.
    int picked = 0;

private:
    std::map<std::string, std::vector<Position>> lists;
};
