#pragma once

// Worlds made of functions, and the plain scans fast welding and grass spacing must match.

#include "Terrain/Polygonizer.h"
#include "Terrain/Terrain.h"
#include "Terrain/Vegetation.h"
#include "Terrain/VoxelWorld.h"
#include "World/Planet.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <thread>

// A field given by a function of the voxel position.
struct FunctionField : VoxelField
{
    using Function = std::function<VoxelSample(int x, int y, int z)>;
    explicit FunctionField(Function f) { function = std::move(f); }
    VoxelSample sample(int x, int y, int z) override { return function(x, y, z); }
    Function function;
};

// A world of two functions, counting the fields it hands out. The functions
// may be swapped only while no block is being built.
struct FunctionWorld : VoxelWorld
{
    FunctionWorld(FunctionField::Function t, FunctionField::Function w) { terrain = t, water = w; }
    std::unique_ptr<VoxelField> terrainField(const VoxelBox&) override
    {
        return ++terrainFields, std::make_unique<FunctionField>(terrain);
    }
    std::unique_ptr<VoxelField> waterField(const VoxelBox&) override
    {
        return ++waterFields, std::make_unique<FunctionField>(water);
    }
    bool popChangedVoxel(VoxelPosition& out) override { return pop(changedVoxels, out); }
    bool popChangedWater(VoxelPosition& out) override { return pop(changedWater, out); }
    void saveTick(double) override { }
    FunctionField::Function terrain, water;
    std::atomic<int> terrainFields { 0 }, waterFields { 0 };
    std::deque<VoxelPosition> changedVoxels, changedWater;
    static bool pop(std::deque<VoxelPosition>& queue, VoxelPosition& out)
    {
        return !queue.empty() && (out = queue.front(), queue.pop_front(), true);
    }
};

// Ground below the height `level` along the y axis, or x for axis 0
// (densities rising one step per voxel down), air above, all of one material.
inline FunctionField::Function groundBelow(double level, int material, int axis = 1)
{
    return [=](int x, int y, int) {
        const double d = (level - (axis == 0 ? x : y)) * 40.0;
        return VoxelSample { static_cast<int>(std::clamp(d, -127.0, 127.0)), material };
    };
}

inline MeshVertex vertexAt(const Vector3& p, std::uint8_t material = 1)
{
    MeshVertex v;
    v.position = p;
    v.weights[0] = 1.0f;
    v.materials[0] = v.materials[1] = v.materials[2] = material;
    return v;
}

const FunctionField::Function nowhere = [](int, int, int) { return VoxelSample { -127, 0 }; };

// Random densities, never 0, and random materials 1..4, fixed per voxel by a
// seed (splitmix64 of the position and the seed).
inline FunctionField::Function randomField(unsigned seed)
{
    return [seed](int x, int y, int z) {
        std::uint64_t h = seed * 0x9E3779B97F4A7C15ull + static_cast<std::uint32_t>(x) * 0xBF58476D1CE4E5B9ull
            + static_cast<std::uint32_t>(y) * 0x94D049BB133111EBull
            + static_cast<std::uint32_t>(z) * 0x2545F4914F6CDD1Dull;
        h = (h ^ (h >> 30)) * 0xBF58476D1CE4E5B9ull;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBull;
        h ^= h >> 31;
        const int density = static_cast<int>(h % 254) - 127;
        return VoxelSample { density >= 0 ? density + 1 : density, static_cast<int>((h >> 32) % 4) + 1 };
    };
}

// The triangles of a box, in the polygonizer's order.
inline std::vector<MeshVertex> trianglesOf(
    FunctionField::Function function, const VoxelBox& box, int step,
    Polygonizer::TriangleFilter filter = [](auto&...) { return true; })
{
    FunctionField field(std::move(function));
    std::vector<MeshVertex> triangles;
    Polygonizer(field, [](int material) { return material; }).polygonize(box, step, filter, triangles);
    return triangles;
}

// The box's mesh as the polygonizer welds it while walking.
inline Mesh meshOf(FunctionField::Function function, const VoxelBox& box, int step)
{
    FunctionField field(std::move(function));
    Mesh mesh;
    Polygonizer(field, [](int material) { return material; })
        .polygonize(
            box, step, [](auto&...) { return true; }, mesh);
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
        const std::uint32_t i0 = add(triangles[i]), i1 = add(triangles[i + 1]), i2 = add(triangles[i + 2]);
        mesh.triangles.push_back({ { i2, i1, i0 } });
    }
    return mesh;
}

// Byte for byte; empty meshes may hold no buffers at all.
inline bool sameMesh(const Mesh& a, const Mesh& b)
{
    return a.vertices.size() == b.vertices.size() && a.triangles.size() == b.triangles.size()
        && (a.vertices.empty()
            || std::memcmp(a.vertices.data(), b.vertices.data(), a.vertices.size() * sizeof(MeshVertex)) == 0)
        && (a.triangles.empty()
            || std::memcmp(a.triangles.data(), b.triangles.data(), a.triangles.size() * sizeof(MeshTriangle))
                == 0);
}

// The plain spacing test: every candidate looks at every point so far; a
// triangle of a coarser mesh than the fine ring's is split in four at its
// midpoints, again for each further doubling of the step.
inline std::vector<VegetationPoint> referencePoints(const Mesh& mesh, int grass, int step = 2)
{
    std::vector<VegetationPoint> points;
    std::function<void(const Vector3&, const Vector3&, const Vector3&, const Vector3&, int)> part
        = [&](const Vector3& s0, const Vector3& s1, const Vector3& s2, const Vector3& n, int size) {
              if (size > Vegetation::DENSE_STEP) {
                  const Vector3 a = (s0 + s1) * 0.5, b = (s1 + s2) * 0.5, c = (s2 + s0) * 0.5;
                  for (const auto& [p0, p1, p2] : { std::array { s0, a, c }, std::array { a, s1, b },
                           std::array { c, b, s2 }, std::array { a, b, c } })
                      part(p0, p1, p2, n, size / 2);
                  return;
              }
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
          };
    for (const MeshTriangle& t : mesh.triangles) {
        const MeshVertex& v0 = mesh.vertices[t.index[0]];
        if (v0.materials[0] != grass || v0.materials[1] != grass || v0.materials[2] != grass)
            continue;
        const Vector3 s0 = v0.position, s1 = mesh.vertices[t.index[1]].position,
                      s2 = mesh.vertices[t.index[2]].position;
        const Vector3 n = (s1 - s0).cross(s2 - s1).normalise();
        if (Planet::getInstance() && n.dot(Planet::getInstance()->upAt(s0)) < Vegetation::MIN_UPRIGHTNESS)
            continue;
        part(s0, s1, s2, n, step);
    }
    return points;
}

template <class Condition> bool waitFor(Condition condition, int tries = 2000)
{
    for (int i = 0; i < tries && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

// Both rings fill their windows around `viewer` with blocks of their boxes
// and steps, and each ring's visible list holds exactly its cells with
// triangles, each once.
inline void expectRingsAround(Terrain& terrain, const Vector3& viewer)
{
    std::lock_guard<std::mutex> guard(terrain.lock());
    for (bool fine : { true, false }) {
        const TerrainRing ring = fine ? TerrainRing(2, 12, 5) : TerrainRing(4, 40, 7);
        const int half = ring.count / 2;
        const TerrainRing::Coordinates centre = ring.cellAt(viewer);
        std::set<TerrainRing::Coordinates> placed;
        std::set<GridCell*> meshed;
        for (const auto& cell : terrain.cells())
            if (cell->fine == fine) {
                const TerrainRing::Coordinates at { cell->ringX, cell->ringY, cell->ringZ };
                placed.insert(at);
                EXPECT_TRUE(std::abs(at[0] - centre[0]) <= half && std::abs(at[1] - centre[1]) <= half
                    && std::abs(at[2] - centre[2]) <= half);
                EXPECT_TRUE(cell->box == ring.boxOf(at) && cell->terrain->box() == cell->box
                    && cell->terrain->step() == ring.step && cell->water->cellX == at[0]);
                if (cell->hasTriangles())
                    meshed.insert(cell.get());
            }
        EXPECT_EQ(placed.size(), std::size_t(ring.count * ring.count * ring.count));
        const auto& visible = fine ? terrain.fineVisible() : terrain.coarseVisible();
        EXPECT_EQ(std::set<GridCell*>(visible.begin(), visible.end()), meshed);
        EXPECT_EQ(visible.size(), meshed.size());
    }
}
