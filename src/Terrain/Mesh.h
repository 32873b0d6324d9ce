#pragma once

#include "Graphics/Vector3.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// One vertex of a terrain mesh, in the layout the vertex buffer uses
// (64 bytes, stride 64): position and normal in doubles, the blend weights of
// the triangle's three materials, the texture layers of those materials in
// triangle order, and an intensity byte.
struct MeshVertex
{
    Vector3 position;
    Vector3 normal;
    float weights[3] = { 0.0f, 0.0f, 0.0f };
    std::uint8_t materials[3] = { 0, 0, 0 };
    std::uint8_t intensity = 0;

    // Whether `other` can stand for this vertex in a mesh: nearer than 1e-6
    // with the same three materials and exactly the same weights.
    bool weldsWith(const MeshVertex& other) const
    {
        const Vector3 d = position - other.position;
        return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z) < 1e-6 && materials[0] == other.materials[0]
            && materials[1] == other.materials[1] && materials[2] == other.materials[2]
            && weights[0] == other.weights[0] && weights[1] == other.weights[1]
            && weights[2] == other.weights[2];
    }
};

static_assert(sizeof(MeshVertex) == 64, "the vertex buffer layout is 64 bytes per vertex");
static_assert(offsetof(MeshVertex, normal) == 24 && offsetof(MeshVertex, weights) == 48
        && offsetof(MeshVertex, materials) == 60 && offsetof(MeshVertex, intensity) == 63,
    "attribute offsets of the vertex buffer");

// Three indices into a mesh's vertex list, in drawing order.
struct MeshTriangle
{
    std::uint32_t index[3];
};

// An indexed triangle mesh: what a visual block builds from its voxels.
struct Mesh
{
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;

    // Keeps the first maxVertices vertices and the triangles that use only
    // them, so that the indices fit a narrower index type; returns how many
    // triangles were dropped.
    std::size_t keepVertices(std::size_t maxVertices)
    {
        if (vertices.size() <= maxVertices)
            return 0;
        vertices.resize(maxVertices);
        const std::size_t before = triangles.size();
        std::size_t kept = 0;
        for (const MeshTriangle& t : triangles)
            if (t.index[0] < maxVertices && t.index[1] < maxVertices && t.index[2] < maxVertices)
                triangles[kept++] = t;
        triangles.resize(kept);
        return before - kept;
    }
};
