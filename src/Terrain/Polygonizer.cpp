#include "Terrain/Polygonizer.h"

#include "Terrain/TransvoxelTables.h"
#include "Terrain/VoxelField.h"

#include <algorithm>
#include <cmath>

namespace {

// The full-air density: a vertex next to such a corner takes the other corner's material.
constexpr int FULLY_AIR = -127;
// Densities are compared as fractions of 127 against single-precision 1e-4,
// which for whole densities singles out 0 and equal values.
const double DEGENERATE = static_cast<double>(1e-4f);

Vector3 positionOf(int x, int y, int z)
{
    return { static_cast<double>(x), static_cast<double>(y), static_cast<double>(z) };
}

} // namespace

Polygonizer::Polygonizer(VoxelField& field, LayerLookup layerOf)
    : field(field)
    , layerOf(std::move(layerOf))
{
    layers.fill(-1);
}

int Polygonizer::layer(int material)
{
    int& known = layers[static_cast<unsigned>(material) & 0xFF];
    if (known < 0)
        known = layerOf(material);
    return known;
}

bool Polygonizer::polygonize(
    const VoxelBox& box, int step, const TriangleFilter& accept, std::vector<MeshVertex>& triangles)
{
    step = std::max(step, 1);
    const int nx = (box.x1 - box.x0) / step + 1;
    const int ny = (box.y1 - box.y0) / step + 1;
    const int nz = (box.z1 - box.z0) / step + 1;
    if (nx <= 0 || ny <= 0 || nz <= 0)
        return false;

    std::vector<Corner> samples(static_cast<std::size_t>(nx) * ny * nz);
    bool allNegative = true;
    bool allNonNegative = true;
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j)
            for (int k = 0; k < nz; ++k) {
                const int x = box.x0 + i * step;
                const int y = box.y0 + j * step;
                const int z = box.z0 + k * step;
                const VoxelSample voxel = field.sample(x, y, z);
                samples[(static_cast<std::size_t>(i) * ny + j) * nz + k]
                    = { x, y, z, voxel.density, voxel.material };
                if (voxel.density >= 0)
                    allNegative = false;
                else
                    allNonNegative = false;
            }
    if (allNegative || allNonNegative)
        return false;

    auto sampleAt = [&](int i, int j, int k) -> const Corner& {
        return samples[(static_cast<std::size_t>(i) * ny + j) * nz + k];
    };
    for (int i = 0; i + 1 < nx; ++i)
        for (int j = 0; j + 1 < ny; ++j)
            for (int k = 0; k + 1 < nz; ++k) {
                Corner corners[8];
                unsigned caseCode = 0;
                for (int n = 0; n < 8; ++n) {
                    corners[n] = sampleAt(i + (n & 1), j + ((n >> 1) & 1), k + ((n >> 2) & 1));
                    if (corners[n].density < 0)
                        caseCode |= 1u << n;
                }
                if (caseCode == 0 || caseCode == 255)
                    continue;
                const RegularCellData& cell = regularCellData[regularCellClass[caseCode]];
                // Triangles of one cell share vertices; each is placed once.
                EdgeVertex placed[12];
                bool isPlaced[12] = {};
                for (int t = 0; t < cell.triangleCount(); ++t) {
                    EdgeVertex v[3];
                    for (int corner = 0; corner < 3; ++corner) {
                        const int index = cell.vertexIndex[3 * t + corner];
                        if (!isPlaced[index]) {
                            const unsigned code = regularVertexData[caseCode][index] & 0xFF;
                            placed[index] = edgeVertex(corners[code >> 4], corners[code & 0x0F], step);
                            isPlaced[index] = true;
                        }
                        v[corner] = placed[index];
                    }
                    MeshVertex vertex[3];
                    for (int n = 0; n < 3; ++n) {
                        vertex[n].position = v[n].position;
                        for (int m = 0; m < 3; ++m)
                            vertex[n].materials[m] = static_cast<std::uint8_t>(v[m].layer);
                    }
                    vertex[0].weights[0] = 1.0f;
                    vertex[1].weights[v[1].layer != v[0].layer ? 1 : 0] = 1.0f;
                    vertex[2].weights[v[2].layer != v[0].layer ? 2 : 0] = 1.0f;
                    if (accept(vertex[2], vertex[1], vertex[0]))
                        triangles.insert(triangles.end(), vertex, vertex + 3);
                }
            }
    return true;
}

void Polygonizer::refine(Corner& low, Corner& high)
{
    const int dx = high.x - low.x;
    const int dy = high.y - low.y;
    const int dz = high.z - low.z;
    const int length = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy + dz * dz)));
    if (length < 1)
        return;
    const int ux = dx / length;
    const int uy = dy / length;
    const int uz = dz / length;
    // Walks from the outside corner one voxel at a time to the first voxel
    // that is not outside. It never passes the inside corner, whose density
    // the field keeps, even if other voxels changed meanwhile.
    for (int n = 1; n < length; ++n) {
        const int x = low.x + ux;
        const int y = low.y + uy;
        const int z = low.z + uz;
        const VoxelSample voxel = field.sample(x, y, z);
        const Corner next { x, y, z, voxel.density, voxel.material };
        if (voxel.density >= 0) {
            high = next;
            return;
        }
        low = next;
    }
}

Polygonizer::EdgeVertex Polygonizer::edgeVertex(Corner a, Corner b, int step)
{
    if (step > 1) {
        if (b.density < a.density)
            refine(b, a);
        else
            refine(a, b);
    }
    const Vector3 pa = positionOf(a.x, a.y, a.z);
    const Vector3 pb = positionOf(b.x, b.y, b.z);
    const double fa = a.density / 127.0;
    const double fb = b.density / 127.0;
    Vector3 position;
    if (std::fabs(fa) < DEGENERATE)
        position = pa;
    else if (std::fabs(fb) < DEGENERATE)
        position = pb;
    else if (std::fabs(fa - fb) < DEGENERATE)
        position = pa;
    else
        position = pa + (pb - pa) * fa / (fa - fb);

    const int la = layer(a.material);
    const int lb = layer(b.material);
    int chosen;
    if (a.density == FULLY_AIR)
        chosen = lb;
    else if (b.density == FULLY_AIR)
        chosen = la;
    else
        chosen = (position - pb).length() > (position - pa).length() ? la : lb;
    return { position, chosen };
}
