#pragma once

#include "Terrain/Mesh.h"

#include <vector>

// A place where a grass quad stands, with the normal of its triangle.
struct VegetationPoint
{
    Vector3 position;
    Vector3 normal;
};

// One corner of a grass quad as the vegetation buffer holds it (32 bytes).
struct VegetationVertex
{
    float position[3];
    float texCoord[2];
    float normal[3];
};

static_assert(sizeof(VegetationVertex) == 32, "the vegetation buffer layout is 32 bytes per vertex");

// Grass derived from a terrain mesh: points spread along the first edge of
// every triangle made wholly of the grass layer and, on a planet, facing the
// sky at least MIN_UPRIGHTNESS (the cosine of its slope), one voxel apart
// and at least SPACING from each other, each standing one quad along the
// triangle's normal. On steeper ground, cliffs and overhangs the quads
// would stick out sideways: far off, in the haze, as pale shards and lines
// against the sky.
class Vegetation
{
public:
    static constexpr double SPACING = 0.34;
    static constexpr double MIN_UPRIGHTNESS = 0.6;
    // The sampling step (the fine ring's) whose triangles carry grass as they
    // are. A triangle of a mesh sampled every 2 * DENSE_STEP voxels is four
    // times as large and would get about half as many points: it is split
    // at its edges' midpoints into four, each taking the rule in its place,
    // so that the grass of both rings stands equally dense where they meet.
    static constexpr int DENSE_STEP = 2;

    // Triangles in mesh order; candidates at 0.5, 1.5, 2.5 ... along the edge
    // from a triangle's first stored vertex to its second. A triangle of a
    // mesh sampled every `step` voxels is split in four while the step is
    // above DENSE_STEP: the corner triangles at its first, second and third
    // vertex, then the middle one, whose first vertex is the first edge's
    // midpoint; each part keeps the whole triangle's normal and uprightness.
    static std::vector<VegetationPoint> points(const Mesh& mesh, int grassLayer, int step = DENSE_STEP);
    // Four vertices per point: a quad one unit high along the normal and two
    // wide, turned about the normal by an angle that varies with the position.
    static std::vector<VegetationVertex> quads(const std::vector<VegetationPoint>& points);
};
