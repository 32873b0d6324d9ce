#include "Terrain/Polygonizer.h"

#include "Terrain/TransvoxelTables.h"

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

// Vector3::length, inline.
double lengthOf(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

// Vertex places: an edge of the sample grid, or a voxel of the box.
std::uint64_t edgePlace(std::size_t edge)
{
    return static_cast<std::uint64_t>(edge) << 1;
}

std::uint64_t voxelPlace(const VoxelBox& box, int x, int y, int z)
{
    const auto sizeY = static_cast<std::uint64_t>(box.y1 - box.y0 + 1);
    const auto sizeZ = static_cast<std::uint64_t>(box.z1 - box.z0 + 1);
    return ((static_cast<std::uint64_t>(x - box.x0) * sizeY + static_cast<std::uint64_t>(y - box.y0)) * sizeZ
               + static_cast<std::uint64_t>(z - box.z0))
        << 1
        | 1u;
}

} // namespace

struct Polygonizer::Scratch
{
    struct EdgeSlot
    {
        std::uint32_t stamp;
        // The x index of the edge's lower sample: two slices share the slots.
        std::int32_t slice;
        std::uint32_t vertex;
    };
    struct VertexSlot
    {
        std::uint32_t stamp;
        std::uint32_t index;
        std::uint64_t key;
    };

    Generation generation;
    std::vector<VoxelSample> row;
    // Per sample.
    std::vector<int> densities;
    std::vector<int> materials;
    std::vector<std::uint8_t> outside;
    // Per edge of the sample grid (three per sample) in the two slices of
    // samples a cell spans, its vertex in edgeVertices.
    std::vector<EdgeSlot> edges;
    std::vector<EdgeVertex> edgeVertices;
    // Per mesh vertex on an edge: the next mesh vertex on the same edge, and
    // its weights and materials.
    std::vector<std::int32_t> nextOnEdge;
    std::vector<std::uint32_t> edgeKeys;
    // Vertices on voxels, by open addressing over (place, weights, materials).
    std::vector<VertexSlot> vertexSlots = std::vector<VertexSlot>(1024, VertexSlot { 0, 0, 0 });
    std::size_t usedVertexSlots = 0;

    std::uint32_t* findVertex(std::uint64_t key)
    {
        const std::size_t mask = vertexSlots.size() - 1;
        for (std::size_t i = slotOf(key, mask);; i = (i + 1) & mask) {
            VertexSlot& slot = vertexSlots[i];
            if (slot.stamp != generation.current) {
                slot = { generation.current, 0, key };
                ++usedVertexSlots;
                return nullptr;
            }
            if (slot.key == key)
                return &slot.index;
        }
    }

    // Records the index of a key that findVertex just did not find.
    void addVertex(std::uint64_t key, std::uint32_t index)
    {
        const std::size_t mask = vertexSlots.size() - 1;
        std::size_t i = slotOf(key, mask);
        while (vertexSlots[i].key != key || vertexSlots[i].stamp != generation.current)
            i = (i + 1) & mask;
        vertexSlots[i].index = index;
        if (2 * usedVertexSlots > vertexSlots.size())
            grow();
    }

    void grow()
    {
        std::vector<VertexSlot> old(vertexSlots.size() * 2, VertexSlot { 0, 0, 0 });
        old.swap(vertexSlots);
        const std::size_t mask = vertexSlots.size() - 1;
        for (const VertexSlot& slot : old) {
            if (slot.stamp != generation.current)
                continue;
            std::size_t i = slotOf(slot.key, mask);
            while (vertexSlots[i].stamp == generation.current)
                i = (i + 1) & mask;
            vertexSlots[i] = slot;
        }
    }

    static std::size_t slotOf(std::uint64_t key, std::size_t mask)
    {
        const std::uint64_t h = key * 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(h ^ (h >> 32)) & mask;
    }
};

Polygonizer::Polygonizer(CachedVoxelField& field, LayerLookup layerOf)
    : field(field)
    , layerOf(std::move(layerOf))
{
    layers.fill(-1);
}

Polygonizer::Polygonizer(VoxelField& source, LayerLookup layerOf)
    : ownField(std::make_unique<CachedVoxelField>(source, VoxelBox { 0, -1, 0, -1, 0, -1 }))
    , field(*ownField)
    , layerOf(std::move(layerOf))
{
    layers.fill(-1);
}

Polygonizer::~Polygonizer() = default;

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
    return walk(box, step, accept, [&](const MeshVertex(&vertex)[3], const std::uint32_t(&)[3]) {
        triangles.insert(triangles.end(), vertex, vertex + 3);
    });
}

bool Polygonizer::polygonize(const VoxelBox& box, int step, const TriangleFilter& accept, Mesh& mesh)
{
    Scratch& s = *scratch;
    // nextOnEdge and edgeKeys start at the mesh's first new vertex.
    const std::size_t base = mesh.vertices.size();
    s.nextOnEdge.clear();
    s.edgeKeys.clear();
    auto add = [&](const MeshVertex& v) {
        const auto index = static_cast<std::uint32_t>(mesh.vertices.size());
        mesh.vertices.push_back(v);
        s.nextOnEdge.push_back(-1);
        s.edgeKeys.push_back(0);
        return index;
    };
    return walk(box, step, accept, [&](const MeshVertex(&vertex)[3], const std::uint32_t(&placed)[3]) {
        std::uint32_t index[3];
        for (int n = 0; n < 3; ++n) {
            const MeshVertex& v = vertex[n];
            // Vertex n's weight sits in slot n or 0.
            const std::uint32_t weightSlot = v.weights[n] == 1.0f ? static_cast<std::uint32_t>(n) : 0;
            const std::uint32_t key = weightSlot << 24 | std::uint32_t { v.materials[2] } << 16
                | std::uint32_t { v.materials[1] } << 8 | v.materials[0];
            EdgeVertex& at = s.edgeVertices[placed[n]];
            if (at.place & 1) {
                const std::uint64_t voxelKey = at.place << 26 | key;
                if (const std::uint32_t* found = s.findVertex(voxelKey)) {
                    index[n] = *found;
                } else {
                    index[n] = add(v);
                    s.addVertex(voxelKey, index[n]);
                }
                continue;
            }
            std::int32_t found = at.firstVertex;
            while (found >= 0 && s.edgeKeys[static_cast<std::size_t>(found) - base] != key)
                found = s.nextOnEdge[static_cast<std::size_t>(found) - base];
            if (found >= 0) {
                index[n] = static_cast<std::uint32_t>(found);
            } else {
                index[n] = add(v);
                s.edgeKeys[index[n] - base] = key;
                s.nextOnEdge[index[n] - base] = at.firstVertex;
                at.firstVertex = static_cast<std::int32_t>(index[n]);
            }
        }
        mesh.triangles.push_back({ { index[2], index[1], index[0] } });
    });
}

template <typename Emit>
bool Polygonizer::walk(const VoxelBox& box, int step, const TriangleFilter& accept, Emit emit)
{
    step = std::max(step, 1);
    const int nx = (box.x1 - box.x0) / step + 1;
    const int ny = (box.y1 - box.y0) / step + 1;
    const int nz = (box.z1 - box.z0) / step + 1;
    if (nx <= 0 || ny <= 0 || nz <= 0)
        return false;

    Scratch& s = *scratch;
    const std::size_t count = static_cast<std::size_t>(nx) * ny * nz;
    s.densities.resize(count);
    s.materials.resize(count);
    s.outside.resize(count);
    bool allNegative = true;
    bool allNonNegative = true;
    s.row.resize(static_cast<std::size_t>(nz));
    std::size_t n = 0;
    for (int i = 0; i < nx; ++i)
        for (int j = 0; j < ny; ++j) {
            field.sampleRow(box.x0 + i * step, box.y0 + j * step, box.z0, step, nz, s.row.data());
            for (int k = 0; k < nz; ++k, ++n) {
                const VoxelSample& voxel = s.row[static_cast<std::size_t>(k)];
                s.densities[n] = voxel.density;
                s.materials[n] = voxel.material;
                s.outside[n] = voxel.density < 0;
                if (voxel.density >= 0)
                    allNegative = false;
                else
                    allNonNegative = false;
            }
        }
    if (allNegative || allNonNegative)
        return false;

    s.generation.next(s.edges, s.vertexSlots);
    s.usedVertexSlots = 0;
    s.edgeVertices.clear();
    const std::size_t sliceEdges = 3 * static_cast<std::size_t>(ny) * nz;
    if (s.edges.size() < 2 * sliceEdges)
        s.edges.resize(2 * sliceEdges, Scratch::EdgeSlot { 0, 0, 0 });

    const std::size_t strideX = static_cast<std::size_t>(ny) * nz;
    const std::size_t stride[3] = { strideX, static_cast<std::size_t>(nz), 1 };
    auto cornerAt = [&](std::size_t sample, int i, int j, int k) {
        return Corner { box.x0 + i * step, box.y0 + j * step, box.z0 + k * step, s.densities[sample],
            s.materials[sample] };
    };
    const std::uint8_t* outside = s.outside.data();
    for (int i = 0; i + 1 < nx; ++i)
        for (int j = 0; j + 1 < ny; ++j) {
            // Samples of corners 0 to 3 at k = 0; corners 4 to 7 are the next k.
            const std::size_t c0 = (static_cast<std::size_t>(i) * ny + j) * nz;
            const std::size_t c1 = c0 + strideX;
            const std::size_t c2 = c0 + nz;
            const std::size_t c3 = c1 + nz;
            unsigned lower = outside[c0] | outside[c1] << 1 | outside[c2] << 2 | outside[c3] << 3;
            for (int k = 0; k + 1 < nz; ++k) {
                const unsigned upper = outside[c0 + k + 1] | outside[c1 + k + 1] << 1
                    | outside[c2 + k + 1] << 2 | outside[c3 + k + 1] << 3;
                const unsigned caseCode = lower | upper << 4;
                lower = upper;
                if (caseCode == 0 || caseCode == 255)
                    continue;
                const RegularCellData& cell = regularCellData[regularCellClass[caseCode]];
                for (int t = 0; t < cell.triangleCount(); ++t) {
                    std::uint32_t placed[3];
                    for (int corner = 0; corner < 3; ++corner) {
                        const unsigned code
                            = regularVertexData[caseCode][cell.vertexIndex[3 * t + corner]] & 0xFF;
                        // The tables name every edge from its lower corner A to B.
                        const unsigned a = code >> 4;
                        const unsigned axis = (a ^ (code & 0x0F)) >> 1;
                        const int ia = i + (a & 1), ja = j + ((a >> 1) & 1), ka = k + ((a >> 2) & 1);
                        const std::size_t sampleA = (static_cast<std::size_t>(ia) * ny + ja) * nz + ka;
                        const std::size_t inSlice = sampleA - static_cast<std::size_t>(ia) * strideX;
                        Scratch::EdgeSlot& slot = s.edges[(ia & 1) * sliceEdges + 3 * inSlice + axis];
                        if (slot.stamp != s.generation.current || slot.slice != ia) {
                            const EdgeVertex v = edgeVertex(cornerAt(sampleA, ia, ja, ka),
                                cornerAt(sampleA + stride[axis], ia + (axis == 0), ja + (axis == 1),
                                    ka + (axis == 2)),
                                step, 3 * sampleA + axis, box);
                            slot = { s.generation.current, ia,
                                static_cast<std::uint32_t>(s.edgeVertices.size()) };
                            s.edgeVertices.push_back(v);
                        }
                        placed[corner] = slot.vertex;
                    }
                    const EdgeVertex* v[3] = { &s.edgeVertices[placed[0]], &s.edgeVertices[placed[1]],
                        &s.edgeVertices[placed[2]] };
                    const std::uint8_t m0 = static_cast<std::uint8_t>(v[0]->layer);
                    const std::uint8_t m1 = static_cast<std::uint8_t>(v[1]->layer);
                    const std::uint8_t m2 = static_cast<std::uint8_t>(v[2]->layer);
                    const bool second = v[1]->layer != v[0]->layer;
                    const bool third = v[2]->layer != v[0]->layer;
                    const MeshVertex vertex[3] = {
                        { v[0]->position, Vector3(), { 1.0f, 0.0f, 0.0f }, { m0, m1, m2 }, 0 },
                        { v[1]->position, Vector3(), { second ? 0.0f : 1.0f, second ? 1.0f : 0.0f, 0.0f },
                            { m0, m1, m2 }, 0 },
                        { v[2]->position, Vector3(), { third ? 0.0f : 1.0f, 0.0f, third ? 1.0f : 0.0f },
                            { m0, m1, m2 }, 0 },
                    };
                    if (accept(vertex[2], vertex[1], vertex[0]))
                        emit(vertex, placed);
                }
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
        const VoxelSample voxel = field.at(x, y, z);
        const Corner next { x, y, z, voxel.density, voxel.material };
        if (voxel.density >= 0) {
            high = next;
            return;
        }
        low = next;
    }
}

Polygonizer::EdgeVertex Polygonizer::edgeVertex(
    Corner a, Corner b, int step, std::uint64_t edge, const VoxelBox& box)
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
    std::uint64_t place;
    if (std::fabs(fa) < DEGENERATE) {
        position = pa;
        place = voxelPlace(box, a.x, a.y, a.z);
    } else if (std::fabs(fb) < DEGENERATE) {
        position = pb;
        place = voxelPlace(box, b.x, b.y, b.z);
    } else if (std::fabs(fa - fb) < DEGENERATE) {
        position = pa;
        place = voxelPlace(box, a.x, a.y, a.z);
    } else {
        position = pa + (pb - pa) * fa / (fa - fb);
        place = edgePlace(edge);
    }

    const int la = layer(a.material);
    const int lb = layer(b.material);
    int chosen;
    if (a.density == FULLY_AIR)
        chosen = lb;
    else if (b.density == FULLY_AIR)
        chosen = la;
    else
        chosen = lengthOf(position - pb) > lengthOf(position - pa) ? la : lb;
    return { position, chosen, place, -1 };
}
