#pragma once

#include "Terrain/Mesh.h"
#include "Terrain/VoxelBox.h"

#include <array>
#include <functional>
#include <vector>

class VoxelField;

// Marching cubes over the regular cells of the Transvoxel tables: turns the
// zero level of a voxel field inside a box into triangles. Samples lie `step`
// voxels apart; for steps above 1 every vertex is moved onto the one-voxel
// edge where the surface crosses. Triangles come out unwelded, three vertices
// each in table order (vertex 0, 1, 2); MeshWelder turns them into a mesh.
// One polygonizer serves one build on one thread.
class Polygonizer
{
public:
    // a, b, c are the table's vertices 2, 1 and 0, the drawing order.
    using TriangleFilter = std::function<bool(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c)>;
    // The texture layer that draws a material.
    using LayerLookup = std::function<int(int material)>;

    Polygonizer(VoxelField& field, LayerLookup layerOf);

    // Appends every triangle the filter accepts to `triangles`. Returns false,
    // adding nothing, when the box holds no surface (all samples negative, or
    // none). Steps below 1 count as 1.
    bool polygonize(
        const VoxelBox& box, int step, const TriangleFilter& accept, std::vector<MeshVertex>& triangles);

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
    };

    EdgeVertex edgeVertex(Corner a, Corner b, int step);
    void refine(Corner& low, Corner& high);
    int layer(int material);

    VoxelField& field;
    LayerLookup layerOf;
    // -1 until a material's layer was asked for.
    std::array<int, 256> layers;
};
