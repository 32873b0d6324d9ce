#include "Terrain/ModelInstances.h"

namespace {

// Offsets (forward, right) from the viewer, in world units, in order of
// preference: in view and near enough to be seen at once, far enough not to
// stand on the viewer's feet; then to the sides and behind.
const std::vector<std::array<double, 2>> dwarfSpots { { 5.0, -2.0 }, { 6.5, 1.5 }, { 8.0, -0.5 },
    { 5.5, 3.5 }, { 7.0, -4.0 }, { 9.0, 2.5 }, { 4.5, -5.5 }, { 10.0, -3.0 }, { 4.0, 6.0 }, { 0.0, 6.0 },
    { 0.0, -6.0 }, { -5.0, 2.0 }, { -6.0, -3.0 } };
const std::vector<std::array<double, 2>> forgeSpots { { 13.0, -5.5 }, { 15.0, 5.0 }, { 12.0, 9.0 },
    { 14.0, -11.0 }, { 17.0, 0.0 }, { 10.0, -13.0 }, { 9.0, 13.0 }, { 0.0, 14.0 }, { 0.0, -14.0 },
    { -12.0, 6.0 }, { -13.0, -6.0 } };
const std::size_t dwarfCount = 3;
const std::size_t forgeCount = 2;

} // namespace

const std::vector<std::string>& ModelInstances::modelNames()
{
    static const std::vector<std::string> names { "dwarf", "forge" };
    return names;
}

void ModelInstances::placeAround(const Vector3& centre, const Orientation& facing, const GroundFinder& ground)
{
    lists.clear();
    picked = 0;
    // The look direction laid flat on the ground, so that looking up or down
    // does not move the models under the viewer or into the sky.
    const Vector3 up = facing.up.normalise();
    Vector3 forward = (facing.forward - up * facing.forward.dot(up)).normalise();
    if (forward.length() == 0.0)
        forward = up.cross(facing.right).normalise();
    const Vector3 right = forward.cross(up);
    const auto stand = [&](const std::string& model, const std::vector<std::array<double, 2>>& spots,
                           std::size_t wanted) {
        for (const auto& spot : spots) {
            if (of(model).size() == wanted)
                return;
            if (const std::optional<Vector3> p = ground(centre + forward * spot[0] + right * spot[1]))
                add(model, { static_cast<float>(p->x), static_cast<float>(p->y), static_cast<float>(p->z) });
        }
    };
    stand("dwarf", dwarfSpots, dwarfCount);
    stand("forge", forgeSpots, forgeCount);
}

void ModelInstances::add(const std::string& model, const Position& position)
{
    lists[model].push_back(position);
}

const std::vector<ModelInstances::Position>& ModelInstances::of(const std::string& model) const
{
    static const std::vector<Position> none;
    const auto found = lists.find(model);
    return found == lists.end() ? none : found->second;
}

int ModelInstances::count() const
{
    int total = 0;
    for (const std::string& model : modelNames())
        total += static_cast<int>(of(model).size());
    return total;
}

int ModelInstances::numberOf(const std::string& model, std::size_t index) const
{
    int before = 0;
    for (const std::string& name : modelNames()) {
        if (name == model)
            break;
        before += static_cast<int>(of(name).size());
    }
    return before + static_cast<int>(index) + 1;
}

ModelInstances::Colour ModelInstances::colourOf(int number)
{
    return { (number >> 16) & 255, (number >> 8) & 255, number & 255 };
}

int ModelInstances::numberFromColour(const Colour& colour) const
{
    const int number = (colour[0] << 16) | (colour[1] << 8) | colour[2];
    return number <= count() ? number : 0;
}
