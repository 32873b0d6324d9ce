#include "Terrain/FarTerrain.h"

#include "Terrain/Daylight.h"
#include "Terrain/TerrainBlock.h"
#include "Terrain/VoxelField.h"
#include "Terrain/VoxelWorld.h"
#include "Terrain/WaterBlock.h"
#include "World/DatablockAnalyzer.h"
#include "World/Planet.h"
#include "World/TerrainDataManager.h"
#include "World/Voxel.h"
#include "World/WaterDatablock.h"
#include "World/datablock.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <type_traits>
#include <unordered_map>

namespace {

constexpr int CELLS = FarTerrain::CHUNK / FarTerrain::STEP;
constexpr int BLOCKS_PER_CHUNK = FarTerrain::CHUNK / datablock::SIZE;
// Each upload sends a few hundred vertices; the whole planet takes a few seconds of frames.
constexpr int UPLOADS_PER_FRAME = 12;

static_assert(FarTerrain::CHUNK % datablock::SIZE == 0 && FarTerrain::CHUNK % FarTerrain::STEP == 0,
    "a chunk holds whole blocks and whole cells");

int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The samples as the mesher reads them: exact at the grid points. Between
// two of them along a grid edge, where the mesher walks to the voxel at which
// the surface crosses (densities are distances saturated within a voxel of
// the surface, so the samples alone would put every vertex midway), the
// voxel itself: its density, and its material where it is ground (the walk
// ends at the first such voxel, whose material the vertex takes). An air
// voxel there takes the material of the end in the ground, as the air sample
// may have none. Anywhere else the trilinear blend of the samples.
class GridField : public VoxelField
{
public:
    GridField(FarSampler& sampler, int origin, int points, const std::vector<std::int8_t>& density,
        const std::vector<std::uint8_t>& material)
        : sampler(sampler)
        , origin(origin)
        , points(points)
        , density(density)
        , material(material)
    {
    }

    VoxelSample sample(int x, int y, int z) override
    {
        int cell[3];
        double t[3];
        const int at[3] = { x, y, z };
        int between = 0;
        int edgeAxis = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const int last = (points - 1) * FarTerrain::STEP;
            const int d = std::clamp(at[axis] - origin, 0, last);
            cell[axis] = std::min(d / FarTerrain::STEP, points - 2);
            t[axis] = static_cast<double>(d - cell[axis] * FarTerrain::STEP) / FarTerrain::STEP;
            if (t[axis] != 0.0 && t[axis] != 1.0) {
                ++between;
                edgeAxis = axis;
            }
        }
        const auto corner = [&](int i, int j, int k) {
            return (static_cast<std::size_t>(cell[0] + i) * points + cell[1] + j) * points + cell[2] + k;
        };
        const auto end = [&](int axis, int side) {
            int c[3];
            for (int a = 0; a < 3; ++a)
                c[a] = a == axis ? side : t[a] == 1.0;
            return corner(c[0], c[1], c[2]);
        };
        if (between == 0) {
            const std::size_t i = end(-1, 0);
            return { density[i], material[i] };
        }
        if (between == 1) {
            FarSampler::Block& block = blockAt(x, y, z);
            const FarSampler::Sample read = block.read(x, y, z, false);
            if (read.density >= 0)
                return { read.density, block.read(x, y, z, true).material };
            const std::size_t low = end(edgeAxis, 0);
            return { read.density, material[density[low] >= 0 ? low : end(edgeAxis, 1)] };
        }
        double value = 0.0;
        int nearest = 0;
        for (int c = 0; c < 8; ++c) {
            const int i = c >> 2, j = (c >> 1) & 1, k = c & 1;
            const double weight = (i ? t[0] : 1.0 - t[0]) * (j ? t[1] : 1.0 - t[1]) * (k ? t[2] : 1.0 - t[2]);
            value += weight * density[corner(i, j, k)];
            if ((t[0] >= 0.5) == (i == 1) && (t[1] >= 0.5) == (j == 1) && (t[2] >= 0.5) == (k == 1))
                nearest = material[corner(i, j, k)];
        }
        return { static_cast<int>(std::lround(value)), nearest };
    }

private:
    // Each block is opened once for the build.
    FarSampler::Block& blockAt(int x, int y, int z)
    {
        const int bx = datablock::blockCoordinate(x);
        const int by = datablock::blockCoordinate(y);
        const int bz = datablock::blockCoordinate(z);
        const std::uint64_t key
            = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(bx) & 0x1FFFFF) << 42)
            | (static_cast<std::uint64_t>(static_cast<std::uint32_t>(by) & 0x1FFFFF) << 21)
            | (static_cast<std::uint32_t>(bz) & 0x1FFFFF);
        auto found = opened.find(key);
        if (found == opened.end())
            found = opened.emplace(key, sampler.open(bx, by, bz)).first;
        return found->second;
    }

    FarSampler& sampler;
    const int origin;
    const int points;
    const std::vector<std::int8_t>& density;
    const std::vector<std::uint8_t>& material;
    std::unordered_map<std::uint64_t, FarSampler::Block> opened;
};

// The sea as an undisturbed world holds it, straight from the planet. The
// ground hides it where it runs under the ground, so rock need not be told.
class SeaField : public VoxelField
{
public:
    explicit SeaField(const Planet& planet)
        : planet(planet)
    {
    }

    VoxelSample sample(int x, int y, int z) override
    {
        return { WaterDatablock::naturalValue(planet, x, y, z), 0 };
    }

private:
    const Planet& planet;
};

} // namespace

// Serves the samples to the far blocks, and the sea to the far seas.
class FarTerrain::GridWorld : public VoxelWorld
{
public:
    explicit GridWorld(FarTerrain& far)
        : far(far)
    {
    }

    std::unique_ptr<VoxelField> terrainField(const VoxelBox&) override
    {
        return std::make_unique<GridField>(far.sampler, far.origin, far.points, far.density, far.material);
    }
    std::unique_ptr<VoxelField> waterField(const VoxelBox&) override
    {
        return std::make_unique<SeaField>(far.planet);
    }
    bool popChangedVoxel(VoxelPosition&) override { return false; }
    bool popChangedWater(VoxelPosition&) override { return false; }
    void saveTick(double) override { }

private:
    FarTerrain& far;
};

// A chunk's mesh, of ground or of sea, that shows each build to meshBuilt.
// Made empty, it is meshed once it is given its chunk.
template <class Block> class FarTerrain::ChunkBlock : public Block
{
public:
    template <class... Options>
    ChunkBlock(FarTerrain& far, const VoxelBox& chunk, Options... options)
        : Block(VoxelBox { 0, -1, 0, -1, 0, -1 }, far.world.get(), STEP, options...)
        , far(far)
        , chunk(chunk)
    {
    }

protected:
    void buildArrays(Mesh& mesh) override
    {
        if (far.meshBuilt && !mesh.triangles.empty())
            far.meshBuilt(chunk, mesh, std::is_base_of_v<WaterBlock, Block>);
        Block::buildArrays(mesh);
    }

private:
    FarTerrain& far;
    const VoxelBox chunk;
};

// A chunk's ground: a terrain block without grass, which stands only on the
// rings' ground near the viewer.
class FarTerrain::FarBlock : public ChunkBlock<TerrainBlock>
{
public:
    using ChunkBlock::ChunkBlock;

protected:
    // The normals of the triangles around each vertex, weighted by their
    // areas: the voxel normals the rings blend would read some fifty voxels
    // a vertex, each evaluated by the generator here.
    void finishMesh(Mesh& mesh, VoxelField&) override
    {
        for (MeshVertex& vertex : mesh.vertices) {
            vertex.normal = Vector3();
            vertex.intensity = 0;
        }
        for (const MeshTriangle& triangle : mesh.triangles) {
            MeshVertex* v[3];
            for (int i = 0; i < 3; ++i)
                v[i] = &mesh.vertices[triangle.index[i]];
            const Vector3 area = (v[1]->position - v[0]->position).cross(v[2]->position - v[0]->position);
            for (MeshVertex* vertex : v)
                vertex->normal = vertex->normal + area;
        }
        for (MeshVertex& vertex : mesh.vertices)
            vertex.normal = vertex.normal.normalise();
    }
};

// A chunk's sea surface, keeping the ripples of the water on screen running.
class FarTerrain::FarSea : public ChunkBlock<WaterBlock>
{
public:
    FarSea(FarTerrain& far, const VoxelBox& chunk)
        : ChunkBlock(far, chunk, Clock::Keep)
    {
    }
};

FarTerrain::FarTerrain(TerrainDataManager& manager)
    : sampler(manager)
    , planet(manager.planet())
{
    const double offCentre
        = std::max({ std::abs(planet.centre.x), std::abs(planet.centre.y), std::abs(planet.centre.z) });
    const double reach = offCentre + planet.radius + manager.analyzer().airAbove() + STEP;
    centre = planet.centre;
    rockRadius = planet.radius + manager.analyzer().groundBelow();
    const int half = static_cast<int>(std::ceil(reach / CHUNK));
    chunks = 2 * half;
    origin = -half * CHUNK;
    points = chunks * CELLS + 1;
    blocksPerAxis = chunks * BLOCKS_PER_CHUNK + 1;
    const std::size_t samples = static_cast<std::size_t>(points) * points * points;
    density.assign(samples, 0);
    material.assign(samples, Voxel::UNGENERATED_MATERIAL);
    blocks.resize(static_cast<std::size_t>(chunks) * chunks * chunks);
    seas.resize(blocks.size());
    world = std::make_unique<GridWorld>(*this);
}

FarTerrain::~FarTerrain() = default;

std::size_t FarTerrain::indexOf(int x, int y, int z) const
{
    const auto at = [&](int v) { return static_cast<std::size_t>((v - origin) / STEP); };
    return (at(x) * points + at(y)) * points + at(z);
}

VoxelBox FarTerrain::chunkBox(int chunk) const
{
    const int a = chunk / (chunks * chunks);
    const int b = chunk / chunks % chunks;
    const int c = chunk % chunks;
    const int x = origin + a * CHUNK, y = origin + b * CHUNK, z = origin + c * CHUNK;
    return { x, x + CHUNK, y, y + CHUNK, z, z + CHUNK };
}

bool FarTerrain::work(std::mutex& listLock, std::chrono::steady_clock::duration budget)
{
    const auto end = std::chrono::steady_clock::now() + budget;
    const std::size_t blockCount = static_cast<std::size_t>(blocksPerAxis) * blocksPerAxis * blocksPerAxis;
    bool did = false;
    while (std::chrono::steady_clock::now() < end) {
        switch (phase) {
        case Phase::Densities:
            if (cursor < blockCount) {
                sampleBlock(static_cast<int>(cursor++));
            } else {
                phase = Phase::Materials;
                cursor = 0;
            }
            break;
        case Phase::Materials:
            if (cursor < blocks.size()) {
                const int chunk = static_cast<int>(cursor++);
                const bool surface = hasSurface(chunk);
                if (surface)
                    findMaterials(chunk);
                if (surface || hasOpenSea(chunk))
                    meshChunks.push_back(chunk);
            } else {
                phase = Phase::Meshes;
                cursor = 0;
            }
            break;
        case Phase::Meshes:
            if (cursor < meshChunks.size()) {
                mesh(listLock, meshChunks[cursor++]);
            } else {
                phase = Phase::Built;
                std::vector<int>().swap(meshChunks);
            }
            break;
        case Phase::Built: {
            bool waiting;
            {
                std::lock_guard<std::mutex> guard(editMutex);
                waiting = !edits.empty();
            }
            if (!waiting)
                return did;
            applyEdits(listLock);
            break;
        }
        }
        did = true;
    }
    return true;
}

void FarTerrain::sampleBlock(int block)
{
    const int i = block / (blocksPerAxis * blocksPerAxis);
    const int j = block / blocksPerAxis % blocksPerAxis;
    const int k = block % blocksPerAxis;
    const int first = origin / datablock::SIZE;
    const int last = origin + (points - 1) * STEP;
    FarSampler::Block source = sampler.open(first + i, first + j, first + k);
    // The grid points inside the block: the multiples of STEP in its span.
    const auto span = [&](int b, int& from, int& to) {
        from = std::max(b * datablock::SIZE, origin);
        from += (STEP - (from - origin) % STEP) % STEP;
        to = std::min(b * datablock::SIZE + datablock::SIZE - 1, last);
    };
    int x0, x1, y0, y1, z0, z1;
    span(first + i, x0, x1);
    span(first + j, y0, y1);
    span(first + k, z0, z1);
    for (int x = x0; x <= x1; x += STEP)
        for (int y = y0; y <= y1; y += STEP)
            for (int z = z0; z <= z1; z += STEP) {
                const FarSampler::Sample s = source.read(x, y, z, false);
                const std::size_t at = indexOf(x, y, z);
                density[at] = static_cast<std::int8_t>(s.density);
                material[at] = static_cast<std::uint8_t>(s.material);
            }
}

bool FarTerrain::hasSurface(int chunk) const
{
    const VoxelBox box = chunkBox(chunk);
    bool ground = false;
    bool air = false;
    for (int x = box.x0; x <= box.x1; x += STEP)
        for (int y = box.y0; y <= box.y1; y += STEP)
            for (int z = box.z0; z <= box.z1; z += STEP) {
                (density[indexOf(x, y, z)] >= 0 ? ground : air) = true;
                if (ground && air)
                    return true;
            }
    return false;
}

bool FarTerrain::hasOpenSea(int chunk) const
{
    const VoxelBox box = chunkBox(chunk);
    const double sea = planet.radius + planet.seaLevel;
    double nearest = 0.0;
    double farthest = 0.0;
    const double low[3] = { box.x0 - planet.centre.x, box.y0 - planet.centre.y, box.z0 - planet.centre.z };
    const double high[3] = { box.x1 - planet.centre.x, box.y1 - planet.centre.y, box.z1 - planet.centre.z };
    for (int axis = 0; axis < 3; ++axis) {
        const double inside = std::max({ low[axis], -high[axis], 0.0 });
        nearest += inside * inside;
        const double outside = std::max(std::abs(low[axis]), std::abs(high[axis]));
        farthest += outside * outside;
    }
    if (std::sqrt(nearest) > sea || std::sqrt(farthest) < sea)
        return false;
    for (int x = box.x0; x <= box.x1; x += STEP)
        for (int y = box.y0; y <= box.y1; y += STEP)
            for (int z = box.z0; z <= box.z1; z += STEP)
                if (density[indexOf(x, y, z)] < 0 && planet.heightAt(x, y, z) < planet.seaLevel)
                    return true;
    return false;
}

void FarTerrain::findMaterials(int chunk)
{
    // The corners of every cell the surface crosses: the mesher takes its
    // materials from them.
    const VoxelBox box = chunkBox(chunk);
    constexpr int N = CELLS + 1;
    bool needed[N][N][N] = {};
    for (int a = 0; a < CELLS; ++a)
        for (int b = 0; b < CELLS; ++b)
            for (int c = 0; c < CELLS; ++c) {
                int solid = 0;
                for (int corner = 0; corner < 8; ++corner)
                    solid
                        += density[indexOf(box.x0 + (a + (corner >> 2)) * STEP,
                               box.y0 + (b + ((corner >> 1) & 1)) * STEP, box.z0 + (c + (corner & 1)) * STEP)]
                        >= 0;
                if (solid == 0 || solid == 8)
                    continue;
                for (int corner = 0; corner < 8; ++corner)
                    needed[a + (corner >> 2)][b + ((corner >> 1) & 1)][c + (corner & 1)] = true;
            }
    // Block by block, each opened once and only when one of its samples is needed.
    const int firstBlock = floorDiv(box.x0, datablock::SIZE);
    for (int bi = 0; bi <= BLOCKS_PER_CHUNK; ++bi)
        for (int bj = 0; bj <= BLOCKS_PER_CHUNK; ++bj)
            for (int bk = 0; bk <= BLOCKS_PER_CHUNK; ++bk) {
                const int bx = firstBlock + bi;
                const int by = floorDiv(box.y0, datablock::SIZE) + bj;
                const int bz = floorDiv(box.z0, datablock::SIZE) + bk;
                std::optional<FarSampler::Block> source;
                for (int a = 0; a < N; ++a) {
                    const int x = box.x0 + a * STEP;
                    if (datablock::blockCoordinate(x) != bx)
                        continue;
                    for (int b = 0; b < N; ++b) {
                        const int y = box.y0 + b * STEP;
                        if (datablock::blockCoordinate(y) != by)
                            continue;
                        for (int c = 0; c < N; ++c) {
                            const int z = box.z0 + c * STEP;
                            const std::size_t at = indexOf(x, y, z);
                            if (!needed[a][b][c] || datablock::blockCoordinate(z) != bz
                                || material[at] != Voxel::UNGENERATED_MATERIAL)
                                continue;
                            if (!source)
                                source.emplace(sampler.open(bx, by, bz));
                            material[at] = static_cast<std::uint8_t>(source->read(x, y, z, true).material);
                        }
                    }
                }
            }
}

void FarTerrain::mesh(std::mutex& listLock, int chunk)
{
    const VoxelBox box = chunkBox(chunk);
    std::unique_ptr<FarBlock>& ground = blocks[static_cast<std::size_t>(chunk)];
    std::unique_ptr<FarSea>& sea = seas[static_cast<std::size_t>(chunk)];
    std::vector<VisualBlock*> fresh;
    if (ground) {
        ground->rebuild();
    } else if (hasSurface(chunk)) {
        ground = std::make_unique<FarBlock>(*this, box);
        ground->setRange(box, STEP);
        fresh.push_back(ground.get());
    }
    // The sea's surface follows from the planet alone: an edit can only open it.
    if (!sea && hasOpenSea(chunk)) {
        sea = std::make_unique<FarSea>(*this, box);
        sea->setRange(box, STEP);
        fresh.push_back(sea.get());
    }
    std::lock_guard<std::mutex> guard(listLock);
    made.insert(made.end(), fresh.begin(), fresh.end());
    shown.erase(std::remove_if(shown.begin(), shown.end(), [&](const Chunk& c) { return c.box == box; }),
        shown.end());
    TerrainBlock* shownGround = ground && ground->hasTriangles() ? ground.get() : nullptr;
    WaterBlock* shownSea = sea && sea->hasTriangles() ? sea.get() : nullptr;
    if (shownGround || shownSea)
        shown.push_back({ box, shownGround, shownSea });
}

void FarTerrain::markDirty(int x, int y, int z)
{
    sampler.markStored(
        datablock::blockCoordinate(x), datablock::blockCoordinate(y), datablock::blockCoordinate(z));
    // Samples, and voxels on the grid's edges, where the mesher finds the surface.
    if ((x % STEP != 0) + (y % STEP != 0) + (z % STEP != 0) > 1)
        return;
    std::lock_guard<std::mutex> guard(editMutex);
    edits.push_back({ x, y, z });
}

void FarTerrain::applyEdits(std::mutex& listLock)
{
    std::vector<VoxelPosition> changed;
    {
        std::lock_guard<std::mutex> guard(editMutex);
        changed.swap(edits);
    }
    const int last = origin + (points - 1) * STEP;
    std::set<int> dirty;
    for (const VoxelPosition& p : changed) {
        if (std::min({ p.x, p.y, p.z }) < origin || std::max({ p.x, p.y, p.z }) > last)
            continue;
        if (p.x % STEP == 0 && p.y % STEP == 0 && p.z % STEP == 0) {
            const FarSampler::Sample s = sampler.sample(p.x, p.y, p.z, true);
            const std::size_t at = indexOf(p.x, p.y, p.z);
            density[at] = static_cast<std::int8_t>(s.density);
            material[at] = static_cast<std::uint8_t>(s.material);
        }
        // Every chunk whose box holds the point: two along an axis on a chunk border.
        const auto range = [&](int v, int& from, int& to) {
            const int q = (v - origin) / CHUNK;
            to = std::min(q, chunks - 1);
            from = (v - origin) % CHUNK == 0 && q > 0 ? q - 1 : to;
        };
        int a0, a1, b0, b1, c0, c1;
        range(p.x, a0, a1);
        range(p.y, b0, b1);
        range(p.z, c0, c1);
        for (int a = a0; a <= a1; ++a)
            for (int b = b0; b <= b1; ++b)
                for (int c = c0; c <= c1; ++c)
                    dirty.insert((a * chunks + b) * chunks + c);
    }
    for (int chunk : dirty) {
        if (hasSurface(chunk))
            findMaterials(chunk);
        mesh(listLock, chunk);
    }
}

bool FarTerrain::update(std::mutex& listLock, double dt)
{
    const bool built = isBuilt();
    std::vector<VisualBlock*> pending;
    {
        std::lock_guard<std::mutex> guard(listLock);
        for (VisualBlock* block : made)
            if (block->needsUpload()) {
                pending.push_back(block);
                if (pending.size() == UPLOADS_PER_FRAME)
                    break;
            }
    }
    for (VisualBlock* block : pending)
        block->update(dt);
    return built && pending.empty();
}

bool FarTerrain::isHidden(const VoxelBox& box, const Vector3& eye) const
{
    if (hidden.contains(box.x0, box.y0, box.z0) && hidden.contains(box.x1, box.y1, box.z1))
        return true;
    // The points whose line of sight meets the ball form a convex set (the
    // ball and its shadow), so the box is in it when its corners are. An eye
    // dug into the ball sees what the rings show.
    if ((eye - centre).length() < rockRadius)
        return false;
    for (int corner = 0; corner < 8; ++corner) {
        const Vector3 p(
            (corner & 4) ? box.x1 : box.x0, (corner & 2) ? box.y1 : box.y0, (corner & 1) ? box.z1 : box.z0);
        const Vector3 sight = p - eye;
        const double t = std::clamp((centre - eye).dot(sight) / sight.dot(sight), 0.0, 1.0);
        if ((eye + sight * t - centre).length() >= rockRadius)
            return false;
    }
    return true;
}

FarSampler::Sample FarTerrain::sampleAt(int x, int y, int z) const
{
    const std::size_t at = indexOf(x, y, z);
    return { density[at], material[at] };
}

std::size_t FarTerrain::memoryBytes() const
{
    std::size_t bytes = density.capacity() + material.capacity() + blocks.capacity() * sizeof(blocks[0])
        + seas.capacity() * sizeof(seas[0]);
    const auto add = [&](const VisualBlock& block, std::size_t blockBytes, std::size_t vertexBytes) {
        bytes += blockBytes + block.builtVertexCount() * vertexBytes
            + block.builtTriangleCount() * 3 * sizeof(std::uint16_t);
    };
    for (const auto& block : blocks)
        if (block)
            add(*block, sizeof(FarBlock), sizeof(MeshVertex));
    for (const auto& sea : seas)
        if (sea)
            add(*sea, sizeof(FarSea), sizeof(WaterVertex));
    return bytes;
}

void FarTerrain::openHaze(Daylight& light, double altitude, double radius, double opening)
{
    const double h = std::max(altitude, 0.0);
    const double horizon = std::sqrt(2.0 * radius * h + h * h);
    const double t = std::clamp(opening, 0.0, 1.0);
    const float eased = static_cast<float>(t * t * (3.0 - 2.0 * t));
    const auto widen = [&](float& edge, double open) {
        edge += (std::max(edge, static_cast<float>(open)) - edge) * eased;
    };
    widen(light.fogStart, 0.5 * horizon);
    widen(light.fogEnd, 2.0 * horizon + 200.0);
}
