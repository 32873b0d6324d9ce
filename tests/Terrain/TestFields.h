#pragma once

#include "Terrain/Mesh.h"
#include "Terrain/Polygonizer.h"
#include "Terrain/Vegetation.h"
#include "Terrain/VoxelField.h"
#include "Terrain/VoxelWorld.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

// A field given by a function of the voxel position.
class FunctionField : public VoxelField
{
public:
    using Function = std::function<VoxelSample(int x, int y, int z)>;
    explicit FunctionField(Function function)
        : function(std::move(function))
    {
    }
    VoxelSample sample(int x, int y, int z) override
    {
        ++reads;
        return function(x, y, z);
    }
    int reads = 0;

private:
    Function function;
};

// A world of two functions, counting the fields it hands out. The functions
// may be swapped only while no block is being built.
class FunctionWorld : public VoxelWorld
{
public:
    FunctionWorld(FunctionField::Function terrain, FunctionField::Function water)
        : terrain(std::move(terrain))
        , water(std::move(water))
    {
    }
    std::unique_ptr<VoxelField> terrainField(const VoxelBox&) override
    {
        ++terrainFields;
        return std::make_unique<FunctionField>(terrain);
    }
    std::unique_ptr<VoxelField> waterField(const VoxelBox&) override
    {
        ++waterFields;
        return std::make_unique<FunctionField>(water);
    }
    bool popChangedVoxel(VoxelPosition& out) override { return pop(changedVoxels, out); }
    bool popChangedWater(VoxelPosition& out) override { return pop(changedWater, out); }
    void saveTick(double dt) override { savedTime += dt; }

    FunctionField::Function terrain;
    FunctionField::Function water;
    std::atomic<int> terrainFields { 0 };
    std::atomic<int> waterFields { 0 };
    std::deque<VoxelPosition> changedVoxels;
    std::deque<VoxelPosition> changedWater;
    double savedTime = 0.0;

private:
    static bool pop(std::deque<VoxelPosition>& queue, VoxelPosition& out)
    {
        if (queue.empty())
            return false;
        out = queue.front();
        queue.pop_front();
        return true;
    }
};

// Ground below the height `level` (densities rising one step per voxel
// down), air above, all of one material.
inline FunctionField::Function groundBelow(double level, int material)
{
    return [=](int, int y, int) {
        const double d = (level - y) * 40.0;
        return VoxelSample { static_cast<int>(std::clamp(d, -127.0, 127.0)), material };
    };
}

inline FunctionField::Function nowhere()
{
    return [](int, int, int) { return VoxelSample { -127, 0 }; };
}

// Random densities, never 0, and random materials 1..4, fixed per voxel by a seed.
inline FunctionField::Function randomField(unsigned seed)
{
    return [seed](int x, int y, int z) {
        // splitmix64 of the position and the seed
        std::uint64_t h = seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint32_t>(x) * 0xBF58476D1CE4E5B9ull
            + static_cast<std::uint32_t>(y) * 0x94D049BB133111EBull
            + static_cast<std::uint32_t>(z) * 0x2545F4914F6CDD1Dull;
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        h ^= h >> 31;
        int density = static_cast<int>(h % 254) - 127;
        if (density >= 0)
            ++density;
        return VoxelSample { density, static_cast<int>((h >> 32) % 4) + 1 };
    };
}

inline Polygonizer::LayerLookup identityLayers()
{
    return [](int material) { return material; };
}

inline bool acceptAll(const MeshVertex&, const MeshVertex&, const MeshVertex&)
{
    return true;
}

// The polygonized and welded mesh of a box.
inline Mesh meshOf(VoxelField& field, const VoxelBox& box, int step)
{
    Mesh mesh;
    Polygonizer(field, identityLayers()).polygonize(box, step, acceptAll, mesh);
    return mesh;
}

// The plain welding scan: every vertex looks at all earlier ones from the first.
inline Mesh referenceWeld(const std::vector<MeshVertex>& triangles)
{
    Mesh mesh;
    auto add = [&mesh](const MeshVertex& vertex) {
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i)
            if (mesh.vertices[i].weldsWith(vertex))
                return static_cast<std::uint32_t>(i);
        mesh.vertices.push_back(vertex);
        return static_cast<std::uint32_t>(mesh.vertices.size() - 1);
    };
    for (std::size_t i = 0; i + 2 < triangles.size(); i += 3) {
        const std::uint32_t i0 = add(triangles[i]);
        const std::uint32_t i1 = add(triangles[i + 1]);
        const std::uint32_t i2 = add(triangles[i + 2]);
        mesh.triangles.push_back({ { i2, i1, i0 } });
    }
    return mesh;
}

inline bool sameMesh(const Mesh& a, const Mesh& b)
{
    if (a.vertices.size() != b.vertices.size() || a.triangles.size() != b.triangles.size())
        return false;
    for (std::size_t i = 0; i < a.vertices.size(); ++i)
        if (std::memcmp(&a.vertices[i], &b.vertices[i], sizeof(MeshVertex)) != 0)
            return false;
    for (std::size_t i = 0; i < a.triangles.size(); ++i)
        for (int n = 0; n < 3; ++n)
            if (a.triangles[i].index[n] != b.triangles[i].index[n])
                return false;
    return true;
}

// The plain spacing test: every candidate looks at every point so far.
inline std::vector<VegetationPoint> referencePoints(const Mesh& mesh, int grass)
{
    std::vector<VegetationPoint> points;
    for (const MeshTriangle& t : mesh.triangles) {
        const MeshVertex& v0 = mesh.vertices[t.index[0]];
        if (v0.materials[0] != grass || v0.materials[1] != grass || v0.materials[2] != grass)
            continue;
        const Vector3 s0 = v0.position, s1 = mesh.vertices[t.index[1]].position,
                      s2 = mesh.vertices[t.index[2]].position;
        const Vector3 n = (s1 - s0).cross(s2 - s1).normalise();
        const double length = (s1 - s0).length();
        const Vector3 d = length < 1e-5 ? Vector3() : (s1 - s0) / length;
        for (double t = 0.5; t < length; t += 1.0) {
            const Vector3 p = s0 + d * t;
            bool near = false;
            for (const VegetationPoint& q : points)
                near = near || (q.position - p).length() < Vegetation::SPACING;
            if (!near)
                points.push_back({ p, n });
        }
    }
    return points;
}
