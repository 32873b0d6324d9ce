#pragma once

#include "Terrain/CachedVoxelField.h"
#include "Terrain/Mesh.h"
#include "Terrain/ScratchPool.h"
#include "Terrain/VoxelBox.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

// Marching cubes over the regular cells of the Transvoxel tables: turns the
// zero level of a voxel field inside a box into triangles. Samples lie `step`
// voxels apart; for steps above 1 every vertex is moved onto the one-voxel
// edge where the surface crosses. Each triangle's vertices come in table
// order (vertex 0, 1, 2) and are stored in reverse (2, 1, 0), the drawing
// order. One polygonizer serves one build on one thread.
class Polygonizer
{
public:
    // a, b, c are the table's vertices 2, 1 and 0, the drawing order.
    using TriangleFilter = std::function<bool(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c)>;
    // The texture layer that draws a material.
    using LayerLookup = std::function<int(int material)>;

    Polygonizer(CachedVoxelField& field, LayerLookup layerOf);
    // Reads every voxel from `field` as it is asked for.
    Polygonizer(VoxelField& field, LayerLookup layerOf);
    ~Polygonizer();

    // Both return false, adding nothing, when the box holds no surface (all
    // samples negative, or none). Steps below 1 count as 1.
    //
    // Appends the three vertices of every triangle the filter accepts, in
    // table order.
    bool polygonize(
        const VoxelBox& box, int step, const TriangleFilter& accept, std::vector<MeshVertex>& triangles);
    // Appends every accepted triangle to the mesh. A vertex reuses the
    // earliest vertex nearer than 1e-6 with the same materials and weights
    // (MeshVertex::weldsWith). Vertices of distinct edges lie apart unless
    // they sit on a voxel, so the search is by the edge or voxel a vertex
    // lies on, which finds what a scan of the whole list would.
    bool polygonize(const VoxelBox& box, int step, const TriangleFilter& accept, Mesh& mesh);

private:
    struct Corner
    {
        int x, y, z;
        int density;
        int material;
    };
    struct EdgeVertex
    {
        Vector3 position;
        int layer;
        // Where the vertex lies: its edge, or the voxel it sits on.
        std::uint64_t place;
        // The latest mesh vertex on the edge, -1 before the first.
        std::int32_t firstVertex;
    };
    struct Scratch;

    template <typename Emit>
    bool walk(const VoxelBox& box, int step, const TriangleFilter& accept, Emit emit);
    EdgeVertex edgeVertex(Corner a, Corner b, int step, std::uint64_t edge, const VoxelBox& box);
    void refine(Corner& low, Corner& high);
    int layer(int material);

    std::unique_ptr<CachedVoxelField> ownField;
    CachedVoxelField& field;
    LayerLookup layerOf;
    // -1 until a material's layer was asked for.
    std::array<int, 256> layers;
    ScratchLease<Scratch> scratch;
};
